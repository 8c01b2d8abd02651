// Line-based text files beside the program (logs and lists). Written as UTF-8 with CR LF line
// ends, and read, through the path codec, so that the bytes of a name or list entry that is not
// UTF-8 read as a name with those bytes does and are written back as they were; readers accept
// CR LF, LF and CR. The Latin-1 variants read and
// write byte for byte, for files whose fields hold raw bytes.
//
// Only regular files are opened, and a symbolic link in the file's place is never followed:
// neither writer writes through one, replaces one, or creates the file a dangling one names.
#pragma once

#include <QString>
#include <QStringList>

#include <sys/types.h>

#include <cstddef>
#include <string_view>

#include "platform/result.h"

namespace platform {

enum class TextEncoding { Utf8, Latin1 };
// The program's own files end their lines with CR LF; files that other programs read by the
// desktop's rules (key files) with LF alone.
enum class LineEnd { CrLf, Lf };

// The most a text file may hold for readLines: lists are small, and a file far larger would
// only cost memory and start-up time.
inline constexpr qsizetype kMaxTextFileBytes = qsizetype{4} << 20;  // 4 MiB

// Opens (creating when missing), appends `line` + CR LF with a single write, so that lines of
// several writers never interleave, and closes. The line is written unchanged, so a line that
// holds line breaks itself spans several lines.
Status appendLine(const QString& path, const QString& line,
                  TextEncoding encoding = TextEncoding::Utf8);
// A file kept open for appending lines, as appendLine opens it (never through a link, only a
// regular file), so that many lines in a row cost one write each. Closed with the object.
class AppendFile {
public:
    AppendFile() = default;
    ~AppendFile();
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    Status open(const QString& path);
    bool isOpen() const { return fd_ >= 0; }
    void close();
    // `line` + CR LF with a single write.
    Status append(const QString& line, TextEncoding encoding = TextEncoding::Utf8);
    // Each line + CR LF, all with a single write.
    Status appendLines(const QStringList& lines, TextEncoding encoding = TextEncoding::Utf8);

private:
    int fd_ = -1;
    QString path_;
};

// Replaces the file with the lines, each followed by `lineEnd`. Written to a new file beside it,
// flushed to disk and renamed over it, so a failure anywhere leaves the old file whole (or no
// file at all where there was none). The replaced file's permissions are kept.
Status writeLines(const QString& path, const QStringList& lines,
                  TextEncoding encoding = TextEncoding::Utf8, LineEnd lineEnd = LineEnd::CrLf);
// All lines without their line ends; a final line end does not add an empty line. Fails for a
// missing file, a folder, anything but a regular file, and a file of more than
// kMaxTextFileBytes.
Result<QStringList> readLines(const QString& path, TextEncoding encoding = TextEncoding::Utf8);

// Writes every byte to `fd`, going on after short writes and interruptions; fails with the
// system's reason.
Status writeAll(int fd, std::string_view bytes);

// The write call through which the writers above put their bytes; write(2) unless a test puts
// a failing one in its place. Returns the one it replaces. Not for use while another thread
// writes.
using WriteCall = ssize_t (*)(int fd, const void* data, std::size_t size);
WriteCall setWriteCall(WriteCall call);

}  // namespace platform
