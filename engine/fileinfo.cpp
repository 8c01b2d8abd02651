#include "engine/fileinfo.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "engine/caseconvert.h"
#include "engine/log.h"
#include "engine/namescope.h"
#include "platform/localetext.h"
#include "platform/programfolder.h"
#include "platform/win1252.h"

namespace engine {

namespace {

constexpr int kPartCount = 10;

bool containsPartToken(const QString& text, int number) {
    return text.contains(QStringLiteral("<%%1>").arg(number), Qt::CaseInsensitive);
}

// Parts are cut only when the Format tab's pattern uses a part that "Define Parts" defines.
bool partsWanted(const FileInfoInputs& inputs) {
    if (inputs.partsPattern.isEmpty() || !inputs.formatFilenameSelected) {
        return false;
    }
    for (int n = 1; n <= 9; ++n) {
        if (containsPartToken(inputs.pattern, n) && containsPartToken(inputs.partsPattern, n)) {
            return true;
        }
    }
    return false;
}

// The "Define Parts" pattern as the cutting reads it: any other "<" and ">" stand for the "["
// and "]" that names hold in their place; the part tokens keep their angle brackets; a
// pattern that does not end with a token gets the end marker, which takes the rest.
QString preparedParts(const QString& partsPattern) {
    QString prepared = partsPattern;
    prepared.replace(u'<', u'[').replace(u'>', u']');
    for (int n = 1; n <= 9; ++n) {
        prepared.replace(QStringLiteral("[%%1]").arg(n), QStringLiteral("<%%1>").arg(n));
    }
    if (!prepared.endsWith(u'>')) {
        prepared += QStringLiteral("<%0>");
    }
    return prepared;
}

// Cuts `source` by the prepared pattern: the literals must occur in order, the text between
// two literals is the part whose token stands between them. Stops quietly where the source
// does not fit; what was cut until then stays.
void cutParts(const QString& source, const QString& pattern, std::array<QString, 10>& parts) {
    qsizetype read = 0;  // in source
    qsizetype at = 0;    // in pattern
    int part = 0;
    bool first = true;
    for (;;) {
        qsizetype token = pattern.indexOf(QStringLiteral("<%"), at);
        const bool atEnd = token < 0;
        if (atEnd) {
            token = pattern.size();
        }
        const QString literal = pattern.mid(at, token - at);
        if (first) {
            // The name must begin as the pattern does.
            if (!source.startsWith(literal)) {
                return;
            }
            first = false;
        }
        if (!literal.isEmpty()) {
            const qsizetype found = source.indexOf(literal, read);
            if (found < 0) {
                return;
            }
            parts[static_cast<std::size_t>(part)] = source.mid(read, found - read);
            read = found + literal.size();
        } else if (atEnd) {
            parts[static_cast<std::size_t>(part)] = source.mid(read);
            return;
        }
        if (atEnd) {
            return;
        }
        at = std::min(token + 4, pattern.size());
        const QChar digit = token + 2 < pattern.size() ? pattern.at(token + 2) : QChar();
        part = digit.isDigit() ? digit.digitValue() : 0;
        if (at >= pattern.size()) {
            // The pattern ends with this token: it takes the rest.
            parts[static_cast<std::size_t>(part)] = source.mid(read);
            return;
        }
    }
}

QString failureContext(const QString& itemPath, const FileInfo& record,
                       const FileInfoInputs& inputs) {
    QString text = QStringLiteral("getFileInfo: ") + itemPath + QStringLiteral(" | ") +
                   QStringLiteral(" INFO=") + record.fullName + QStringLiteral(" | ") +
                   record.name + QStringLiteral(" | ") + record.ext + QStringLiteral(" | ") +
                   QString::number(record.size) + QStringLiteral(" | ") +
                   platform::dateTimeText(record.date) + QStringLiteral(" | ") + record.parent +
                   QStringLiteral(" | ") + QStringLiteral(" PARTS: ") + inputs.pattern +
                   QStringLiteral(" | ") + inputs.partsPattern;
    for (const QString& part : record.parts) {
        text += QStringLiteral(" | ") + part;
    }
    return text + QStringLiteral(" | ") + QStringLiteral(" TAB=") + inputs.tabCaption;
}

}  // namespace

bool getFileInfo(const QString& itemName, const QString& folder, FileInfo& record,
                 const FileInfoInputs& inputs) {
    if (!record.key.isEmpty() && itemName == record.key) {
        return true;
    }
    record.key = itemName;
    record.fullName.clear();
    record.name.clear();
    record.ext.clear();
    record.parent.clear();
    record.size = 0;
    record.date = QDateTime::currentDateTime();
    for (QString& part : record.parts) {
        part.clear();
    }

    QString base = folder;
    while (base.size() > 1 && base.endsWith(u'/')) {
        base.chop(1);
    }
    const QString itemPath = (base == QStringLiteral("/") ? base : base + u'/') + itemName;
    // The entry itself: a link is an item of its own, its size and date are the link's.
    struct stat st {};
    if (::lstat(platform::nativePath(itemPath).c_str(), &st) != 0) {
        const int error = errno;
        record.key.clear();
        if (error != ENOENT && error != ENOTDIR) {
            logFailure(kPathFileAccessError, failureContext(itemPath, record, inputs));
        }
        return false;
    }
    record.fullName = itemName;
    // A name whose only dot is its first character is all extension, dot included.
    NameParts parts = splitExtension(itemName, LeadingDot::IsExtension);
    record.name = std::move(parts.name);
    record.ext = std::move(parts.extension);
    record.size = S_ISREG(st.st_mode) ? static_cast<qint64>(st.st_size) : 0;
    record.date = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(st.st_mtim.tv_sec) * 1000 +
                                                 st.st_mtim.tv_nsec / 1000000);
    const qsizetype slash = base.lastIndexOf(u'/');
    record.parent = slash < 0 ? QString() : base.mid(slash + 1);

    if (partsWanted(inputs)) {
        QString source;
        if (inputs.scope.processFilename && inputs.scope.processFileExt) {
            source = record.fullName;
        } else if (inputs.scope.processFilename) {
            source = record.name;
        } else {
            source = record.ext;
        }
        cutParts(source, preparedParts(inputs.partsPattern), record.parts);
    }
    return true;
}

QString firstLetter(const QString& itemName, int mode, const std::function<void()>& yield) {
    if (mode < 0 || mode > 2) {
        return QString();
    }
    for (qsizetype i = 0; i < itemName.size(); ++i) {
        const QChar ch = itemName.at(i);
        // Letters and digits as the Windows code page counts them: A-Z, a-z, 192-255, 0-9.
        const int code = platform::win1252::ansiCode(ch.unicode());
        const bool letter = (code >= 65 && code <= 90) || (code >= 97 && code <= 122) ||
                            (code >= 192 && code <= 255);
        const bool digit = code >= 48 && code <= 57;
        if (letter) {
            return upperKeepingLength(QString(ch));
        }
        if (digit && mode == 1) {
            return QString(ch);
        }
        if (digit && mode == 2) {
            return QStringLiteral("0-9");
        }
        if (yield) {
            yield();
        }
    }
    return QString();
}

}  // namespace engine
