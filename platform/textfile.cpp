#include "platform/textfile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "platform/errortext.h"

namespace platform {

namespace {

std::string describe(const QString& path) {
    return platform::quoted(path.toStdString());
}

QByteArray encodeText(const QString& text, TextEncoding encoding) {
    if (encoding == TextEncoding::Utf8) {
        return text.toUtf8();
    }
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const QChar ch : text) {
        bytes.append(ch.unicode() > 0xFF ? '?' : static_cast<char>(ch.unicode()));
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
    // The BOM is gone already; the decoder must not swallow a second one.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

// Why a path cannot be used as a text file, or an empty string when it is a regular file or
// missing. Looks without opening: opening a FIFO would wait for a writer.
std::string notARegularFile(const QString& path, bool missingIsFine) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        const int error = errno;
        if (error == ENOENT && missingIsFine) {
            return {};
        }
        return describe(path) + ": " + systemErrorText(error);
    }
    if (S_ISDIR(info.st_mode)) {
        return describe(path) + " is a folder";
    }
    if (!S_ISREG(info.st_mode)) {
        return describe(path) + " is not a regular file";
    }
    return {};
}

}  // namespace

Status appendLine(const QString& path, const QString& line, TextEncoding encoding) {
    if (const auto reason = notARegularFile(path, true); !reason.empty()) {
        return Status::failure("Cannot append to " + reason);
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        return Status::failure("Cannot open " + describe(path) + ": " +
                               file.errorString().toStdString());
    }
    const QByteArray bytes = encodeText(line + QStringLiteral("\r\n"), encoding);
    const bool written = file.write(bytes) == bytes.size();
    file.close();
    if (!written || file.error() != QFileDevice::NoError) {
        return Status::failure("Cannot write to " + describe(path) + ": " +
                               file.errorString().toStdString());
    }
    return Status::success();
}

Status writeLines(const QString& path, const QStringList& lines, TextEncoding encoding) {
    if (const auto reason = notARegularFile(path, true); !reason.empty()) {
        return Status::failure("Cannot replace " + reason);
    }
    // Written beside the file and renamed over it, so a failure leaves the old file whole.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return Status::failure("Cannot write " + describe(path) + ": " +
                               file.errorString().toStdString());
    }
    QString text;
    for (const QString& line : lines) {
        text += line;
        text += QStringLiteral("\r\n");
    }
    const QByteArray bytes = encodeText(text, encoding);
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        const std::string why = file.errorString().toStdString();
        file.cancelWriting();
        return Status::failure("Cannot write " + describe(path) + ": " + why);
    }
    return Status::success();
}

Result<QStringList> readLines(const QString& path, TextEncoding encoding) {
    if (const auto reason = notARegularFile(path, false); !reason.empty()) {
        return Status::failure("Cannot read " + reason);
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return Status::failure("Cannot open " + describe(path) + ": " +
                               file.errorString().toStdString());
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return Status::failure("Cannot read " + describe(path) + ": " +
                               file.errorString().toStdString());
    }
    const QString text = decodeText(bytes, encoding);

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
