#include "platform/textfile.h"

#include <QByteArray>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>

#include "platform/errortext.h"
#include "platform/filesystem.h"
#include "platform/programfolder.h"

namespace platform {

namespace {

WriteCall g_write = ::write;

std::string describe(const QString& path) {
    return platform::quoted(path.toStdString());
}

std::string encodeText(const QString& text, TextEncoding encoding) {
    if (encoding == TextEncoding::Utf8) {
        // The path codec: plain UTF-8, except that the stand-ins for undecodable name bytes
        // become those bytes again.
        return nativePath(text);
    }
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar ch : text) {
        bytes.push_back(ch.unicode() > 0xFF ? '?' : static_cast<char>(ch.unicode()));
    }
    return bytes;
}

QString decodeText(QByteArray bytes, TextEncoding encoding) {
    if (encoding == TextEncoding::Latin1) {
        return QString::fromLatin1(bytes);
    }
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        bytes.remove(0, 3);
    }
    // The path codec, as the writer encodes: a byte that is not UTF-8 (a word typed in the
    // Windows code page) reads as a name with that byte reads, and is written back as it came.
    return fromNativePath(bytes.toStdString());
}

bool hasNul(const std::string& path) {
    return path.find('\0') != std::string::npos;
}

// Why `path` cannot take a file of ours, in the words of the error an open reported.
std::string openFailure(int error) {
    switch (error) {
        case ELOOP:
            return "it is a symbolic link";
        case EISDIR:
            return "it is a folder";
        case ENXIO:
            return "it is not a regular file";
        default:
            return systemErrorText(error);
    }
}

// A new file beside `target` that no one else has, created with `mode` (less the umask) and
// never through a link; its path goes to `temp`. Hidden, and named after the target, so that
// one left behind by a crash is recognisable.
int createBeside(const std::string& target, mode_t mode, std::string& temp) {
    static std::atomic<unsigned> counter{0};
    const std::size_t slash = target.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        struct timespec now {};
        clock_gettime(CLOCK_MONOTONIC, &now);
        char suffix[64];
        std::snprintf(suffix, sizeof suffix, ".%ld.%u.%lx.tmp", static_cast<long>(getpid()),
                      counter.fetch_add(1), static_cast<unsigned long>(now.tv_nsec));
        temp = folder + "." + name + suffix;
        const int fd =
            ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

// Puts `bytes` in place of the file at `target` (or where none is), all or nothing. `kept` is
// the replaced file's state, or null for a new file.
Status replaceWith(const std::string& target, const std::string& bytes, const struct stat* kept) {
    std::string temp;
    const int fd = createBeside(target, kept ? 0600 : 0666, temp);
    if (fd < 0) {
        return systemFailure("cannot create a temporary file beside it", errno);
    }
    Status status = writeAll(fd, bytes);
    if (status && kept && ::fchmod(fd, kept->st_mode & 07777) != 0) {
        status = systemFailure("cannot give the new file the old one's permissions", errno);
    }
    // On disk before the rename, or a crash could leave an empty file under the old name.
    if (status && ::fsync(fd) != 0) {
        status = systemFailure("cannot flush it to disk", errno);
    }
    if (::close(fd) != 0 && status) {
        status = systemFailure("cannot write it", errno);
    }
    if (status && ::rename(temp.c_str(), target.c_str()) != 0) {
        status = systemFailure("cannot put it in place", errno);
    }
    if (!status) {
        ::unlink(temp.c_str());
        return status;
    }
    // The rename itself is durable only once the folder is flushed; the data already is.
    const std::size_t slash = target.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string(".") : target.substr(0, slash == 0 ? 1 : slash);
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return Status::success();
}

}  // namespace

Status writeAll(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = g_write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            return systemFailure("cannot write", errno);
        }
        if (put == 0) {
            return Status::failure("cannot write: the file takes no more bytes");
        }
        done += static_cast<std::size_t>(put);
    }
    return Status::success();
}

WriteCall setWriteCall(WriteCall call) {
    const WriteCall old = g_write;
    g_write = call ? call : ::write;
    return old;
}

AppendFile::~AppendFile() {
    close();
}

void AppendFile::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

Status AppendFile::open(const QString& path) {
    close();
    path_ = path;
    const std::string native = nativePath(path);
    if (hasNul(native)) {
        return Status::failure("Cannot append to " + describe(path) +
                               ": the path holds a NUL character");
    }
    // O_NOFOLLOW: a link placed where the file should be is not followed, dangling or not.
    // O_NONBLOCK: a FIFO without a reader fails at once instead of holding the open.
    const int fd = ::open(
        native.c_str(),
        O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) {
        return Status::failure("Cannot append to " + describe(path) + ": " + openFailure(errno));
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return Status::failure("Cannot append to " + describe(path) + ": it is not a regular file");
    }
    fd_ = fd;
    return Status::success();
}

Status AppendFile::append(const QString& line, TextEncoding encoding) {
    return appendLines(QStringList{line}, encoding);
}

Status AppendFile::appendLines(const QStringList& lines, TextEncoding encoding) {
    if (fd_ < 0) {
        return Status::failure("Cannot write to " + describe(path_) + ": it is not open");
    }
    // Room for a block of plain lines at once, rather than growing through ever larger copies.
    qsizetype plain = 0;
    for (const QString& line : lines) {
        plain += line.size() + 2;
    }
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(plain));
    for (const QString& line : lines) {
        bytes += encodeText(line, encoding);
        bytes += "\r\n";
    }
    ssize_t put = -1;
    do {
        put = g_write(fd_, bytes.data(), bytes.size());
    } while (put < 0 && errno == EINTR);
    if (put < 0) {
        return systemFailure("Cannot write to " + describe(path_), errno);
    }
    if (static_cast<std::size_t>(put) != bytes.size()) {
        return Status::failure("Cannot write to " + describe(path_) + ": the line was cut short");
    }
    return Status::success();
}

Status appendLine(const QString& path, const QString& line, TextEncoding encoding) {
    AppendFile file;
    if (Status opened = file.open(path); !opened.ok()) {
        return opened;
    }
    Status written = file.append(line, encoding);
    file.close();
    return written;
}

Status writeLines(const QString& path, const QStringList& lines, TextEncoding encoding,
                  LineEnd lineEnd) {
    const std::string native = nativePath(path);
    if (hasNul(native)) {
        return Status::failure("Cannot replace " + describe(path) +
                               ": the path holds a NUL character");
    }
    struct stat old {};
    bool existed = false;
    if (::lstat(native.c_str(), &old) == 0) {
        if (S_ISLNK(old.st_mode)) {
            return Status::failure("Cannot replace " + describe(path) + ": it is a symbolic link");
        }
        if (S_ISDIR(old.st_mode)) {
            return Status::failure("Cannot replace " + describe(path) + " is a folder");
        }
        if (!S_ISREG(old.st_mode)) {
            return Status::failure("Cannot replace " + describe(path) + " is not a regular file");
        }
        existed = true;
    } else if (errno != ENOENT) {
        return systemFailure("Cannot replace " + describe(path), errno);
    }
    std::string bytes;
    for (const QString& line : lines) {
        bytes += encodeText(line, encoding);
        bytes += lineEnd == LineEnd::Lf ? "\n" : "\r\n";
    }
    const Status status = replaceWith(native, bytes, existed ? &old : nullptr);
    if (!status) {
        return Status::failure("Cannot write " + describe(path) + ": " + status.reason());
    }
    return Status::success();
}

Result<QStringList> readLines(const QString& path, TextEncoding encoding) {
    // Opened without blocking and checked again once open: a FIFO never holds the read.
    auto opened = fs::ReadFile::open(nativePath(path));
    if (!opened) {
        return opened.status();
    }
    const fs::ReadFile& file = opened.value();
    // Read to the end rather than to the size the file had at the open, and no further than
    // the limit: a file may grow meanwhile, and some report no size at all.
    QByteArray bytes;
    constexpr qsizetype kChunk = 65536;
    bytes.reserve(static_cast<qsizetype>(
                      std::min<std::uint64_t>(file.size(), std::uint64_t(kMaxTextFileBytes))) +
                  kChunk);
    for (;;) {
        const qsizetype have = bytes.size();
        bytes.resize(have + kChunk);
        const auto got = file.readAt(static_cast<std::uint64_t>(have), bytes.data() + have,
                                     static_cast<std::size_t>(kChunk));
        if (!got) {
            return Status::failure("Cannot read " + describe(path) + ": " + got.reason());
        }
        bytes.resize(have + static_cast<qsizetype>(got.value()));
        if (bytes.size() > kMaxTextFileBytes) {
            return Status::failure("Cannot read " + describe(path) +
                                   ": it holds more than the 4 MiB a text list may hold");
        }
        if (got.value() < static_cast<std::size_t>(kChunk)) {
            break;
        }
    }
    const QString text = decodeText(std::move(bytes), encoding);

    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (ch != u'\r' && ch != u'\n') {
            continue;
        }
        lines.append(text.mid(start, i - start));
        if (ch == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            ++i;
        }
        start = i + 1;
    }
    if (start < text.size()) {
        lines.append(text.mid(start));
    }
    return lines;
}

}  // namespace platform
