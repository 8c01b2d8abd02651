// Line-based text files beside the program (logs and lists). Written as UTF-8 with CR LF line
// ends; readers accept CR LF, LF and CR. The Latin-1 variants read and write byte for byte, for
// files whose fields hold raw bytes.
#pragma once

#include <QString>
#include <QStringList>

#include "platform/result.h"

namespace platform {

enum class TextEncoding { Utf8, Latin1 };

// Opens (creating when missing), appends `line` + CR LF, closes. The line is written unchanged,
// so a line that holds line breaks itself spans several lines.
Status appendLine(const QString& path, const QString& line,
                  TextEncoding encoding = TextEncoding::Utf8);
// Replaces the file with the lines, each followed by CR LF.
Status writeLines(const QString& path, const QStringList& lines,
                  TextEncoding encoding = TextEncoding::Utf8);
// All lines without their line ends; a final line end does not add an empty line. Fails for a
// missing file, a folder, or anything but a regular file.
Result<QStringList> readLines(const QString& path, TextEncoding encoding = TextEncoding::Utf8);

}  // namespace platform
