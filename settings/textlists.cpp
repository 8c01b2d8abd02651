#include "settings/textlists.h"

#include <QLatin1StringView>

#include <cstdint>
#include <optional>

#include "engine/blanks.h"
#include "engine/log.h"
#include "platform/filesystem.h"
#include "platform/localetext.h"
#include "platform/programfolder.h"
#include "platform/textfile.h"
#include "settings/conversions.h"

namespace settings {

namespace {

const QString kExceptionsFile = QStringLiteral("exceptions.txt");
const QString kFileTypesFile = QStringLiteral("filetypes.txt");
const QString kCodecsFile = QStringLiteral("codecs.txt");
const QString kWaveFormatsFile = QStringLiteral("waveformats.txt");
const QString kReplaceFile = QStringLiteral("replace.txt");

// Empty lines, "#" lines and "//" lines are notes for whoever edits the file. A line that
// starts with a blank is data: only the very first characters decide.
bool isCommentLine(const QString& line) {
    return line.isEmpty() || line.startsWith(u'#') || line.startsWith(QLatin1String("//"));
}

// The leading number of a text, rounded (halves to even) into 16 bits. A value that does not
// fit leaves the field at 0 and is remembered as an overflow, the way one failing step of a
// read that goes on past failures is.
qint16 numericInt16(const QString& text, ErrorMemory& errors) {
    const double value = platform::roundHalfEven(platform::vbVal(text));
    if (value < -32768.0 || value > 32767.0) {
        errors.remember(engine::kOverflow);
        return 0;
    }
    return static_cast<qint16>(value);
}

// A batch list field: the whole text one number (see toInt16), then within the field's range.
std::optional<qint16> wholeInRange(const QString& text, qint16 low, qint16 high) {
    const auto value = toInt16(text);
    if (!value || *value < low || *value > high) {
        return std::nullopt;
    }
    return value;
}

// Blocked: no file of that name, but something else has the name (a folder, a FIFO, a link
// to neither a file nor anything), which the list is not read from and not written over.
enum class ListFileState { Missing, Read, Failed, TooLarge, Blocked };

struct ListFile {
    ListFileState state = ListFileState::Missing;
    QStringList lines;
    // There was something to read, and it was not read: the list's emptiness says nothing of
    // what the user keeps there.
    bool unread() const { return state != ListFileState::Missing && state != ListFileState::Read; }
};

struct LocatedListFile {
    QString path;  // empty when no regular file of the name is there
    bool blocked = false;
};

LocatedListFile locateListFile(const QString& folder, const QString& name) {
    const QString base = platform::withTrailingSlash(folder);
    auto entries = platform::fs::readFolder(platform::nativePath(base));
    if (!entries) {
        return {};
    }
    // Several names may differ in case only; the exact one wins, otherwise the first in name
    // order, so the choice does not depend on the order the file system lists them in.
    QString chosen;
    bool blocked = false;
    for (const platform::fs::Entry& entry : entries.value()) {
        const QString entryName = platform::fromNativePath(entry.name);
        if (entryName.compare(name, Qt::CaseInsensitive) != 0) {
            continue;
        }
        // A list may be a link to a file kept elsewhere: it is read through it (never written).
        if (entry.kind != platform::fs::Kind::File &&
            !(entry.kind == platform::fs::Kind::Other &&
              platform::fs::isFile(platform::nativePath(base) + entry.name))) {
            blocked = true;
            continue;
        }
        if (entryName == name) {
            return {base + entryName, false};
        }
        if (chosen.isEmpty() || entryName < chosen) {
            chosen = entryName;
        }
    }
    if (chosen.isEmpty()) {
        return {QString(), blocked};
    }
    return {base + chosen, false};
}

// The lines of a list file. A file that is there but cannot be read, or is larger than any list
// (which would cost memory and start-up time for nothing), yields no line, and the failure is
// remembered for the loader's report.
ListFile readListFile(const QString& folder, const QString& name, ErrorMemory& errors,
                      platform::TextEncoding encoding = platform::TextEncoding::Utf8) {
    const LocatedListFile located = locateListFile(folder, name);
    const QString& path = located.path;
    if (path.isEmpty()) {
        return {located.blocked ? ListFileState::Blocked : ListFileState::Missing, {}};
    }
    const auto size = platform::fs::fileSize(platform::nativePath(path));
    if (size && size.value() > static_cast<std::uint64_t>(platform::kMaxTextFileBytes)) {
        errors.remember(engine::kPathFileAccessError);
        return {ListFileState::TooLarge, {}};
    }
    auto lines = platform::readLines(path, encoding);
    if (!lines) {
        errors.remember(engine::kPathFileAccessError);
        return {ListFileState::Failed, {}};
    }
    return {ListFileState::Read, std::move(lines).value()};
}

QString signatureLine(const engine::FileSignature& row) {
    return QString::number(row.offset) + u',' + row.search + u',' + row.extension;
}

QStringList defaultFileTypesLines() {
    QStringList lines{
        QStringLiteral("# Quenza Renamer filetype definitions"),
        QStringLiteral("#"),
        QStringLiteral("# Format: Offset,Search,Extension"),
        QStringLiteral(
            "# Offset may be positive or negative (Negative will count from end of file)"),
        QStringLiteral("# Search is the string to look for at the offset"),
        QStringLiteral("# Extension is the default extension for this file type"),
        QString(),
        QString(),
    };
    for (const engine::FileSignature& row : defaultFileSignatures()) {
        lines.append(signatureLine(row));
    }
    return lines;
}

}  // namespace

QString findListFile(const QString& folder, const QString& name) {
    return locateListFile(folder, name).path;
}

QStringList readExceptions(const QString& folder, ErrorMemory& errors, bool* unread) {
    QStringList list;
    const ListFile file = readListFile(folder, kExceptionsFile, errors);
    if (unread) {
        *unread = file.unread();
    }
    for (const QString& line : file.lines) {
        const QString word = engine::trimBlanks(line);
        if (!word.isEmpty()) {
            list.append(word);
        }
    }
    if (list.isEmpty()) {
        list.append(QString());
    }
    return list;
}

QList<engine::FileSignature> readFileSignatures(const QString& folder, ErrorMemory& errors) {
    const ListFile file =
        readListFile(folder, kFileTypesFile, errors, platform::TextEncoding::Latin1);
    // Something else in the file's place is no file: the defaults serve, and the attempt to
    // write the default file over it fails and is reported.
    if (file.state == ListFileState::Missing || file.state == ListFileState::Blocked) {
        // Armed anew: only a failure of this write counts from here on.
        errors.arm();
        const auto written =
            platform::writeLines(platform::withTrailingSlash(folder) + kFileTypesFile,
                                 defaultFileTypesLines(), platform::TextEncoding::Latin1);
        if (!written) {
            errors.remember(engine::kPathFileAccessError);
        }
        return defaultFileSignatures();
    }
    if (file.state == ListFileState::TooLarge) {
        // No list is that large: the defaults serve, and the user's file stays as it is.
        return defaultFileSignatures();
    }
    QList<engine::FileSignature> list;
    for (const QString& line : file.lines) {
        if (isCommentLine(line)) {
            continue;
        }
        engine::FileSignature row;
        const qsizetype c1 = line.indexOf(u',');
        const qsizetype c2 = c1 < 0 ? -1 : line.indexOf(u',', c1 + 1);
        if (c1 >= 0) {
            row.offset = numericInt16(line.left(c1), errors);
        }
        if (c2 >= 0) {
            row.search = line.mid(c1 + 1, c2 - c1 - 1);
        }
        row.extension = line.mid(c2 + 1);
        list.append(row);
    }
    if (list.isEmpty()) {
        list.append(engine::FileSignature{});
    }
    return list;
}

QList<engine::CodecEntry> readCodecs(const QString& folder, ErrorMemory& errors) {
    QList<engine::CodecEntry> list;
    const ListFile file = readListFile(folder, kCodecsFile, errors);
    for (const QString& line : file.lines) {
        if (isCommentLine(line)) {
            continue;
        }
        const qsizetype tab = line.indexOf(u'\t');
        list.append(engine::CodecEntry{line.left(4), line.mid(tab + 1)});
    }
    if (list.isEmpty()) {
        list.append(engine::CodecEntry{});
    }
    return list;
}

QList<engine::WaveFormatEntry> readWaveFormats(const QString& folder, ErrorMemory& errors) {
    QList<engine::WaveFormatEntry> list;
    const ListFile file = readListFile(folder, kWaveFormatsFile, errors);
    for (const QString& line : file.lines) {
        if (isCommentLine(line)) {
            continue;
        }
        engine::WaveFormatEntry entry;
        const qsizetype tab = line.indexOf(u'\t');
        if (tab >= 0) {
            entry.formatTag = numericInt16(line.left(tab), errors);
        }
        entry.name = line.mid(tab + 1);
        list.append(entry);
    }
    if (list.isEmpty()) {
        list.append(engine::WaveFormatEntry{});
    }
    return list;
}

QList<engine::BatchReplaceItem> readBatchReplace(const QString& folder, ErrorMemory& errors,
                                                 bool* unread) {
    QList<engine::BatchReplaceItem> list;
    const ListFile file = readListFile(folder, kReplaceFile, errors);
    if (unread) {
        *unread = file.unread();
    }
    for (const QString& line : file.lines) {
        if (isCommentLine(line)) {
            continue;
        }
        const QStringList fields = line.split(u'/');
        if (fields.size() < 6 || fields[0].isEmpty()) {
            continue;
        }
        const auto caseSensitive = wholeInRange(fields[2], 0, 1);
        const auto swapMode = wholeInRange(fields[3], 0, 1);
        const auto start = wholeInRange(fields[4], 0, 999);
        const auto count = wholeInRange(fields[5], 0, 999);
        if (!caseSensitive || !swapMode || !start || !count) {
            continue;
        }
        engine::BatchReplaceItem item;
        item.find = fields[0];
        item.replace = fields[1];
        item.caseSensitive = *caseSensitive;
        item.swapMode = *swapMode;
        item.count = *count;
        item.start = *start;
        list.append(item);
    }
    return list;
}

const QList<engine::FileSignature>& defaultFileSignatures() {
    static const QList<engine::FileSignature> rows = [] {
        // Raw bytes, NUL included, one character per byte.
        const auto bytes = [](const char* data, qsizetype size) {
            return QString(QLatin1StringView(data, size));
        };
        const auto text = [](const char* data) { return QString::fromLatin1(data); };
        return QList<engine::FileSignature>{
            {1, text("PK"), text("zip")},
            {1, text("GIF"), text("gif")},
            {1, text("MZ"), text("exe")},
            {1, bytes("\xFF\xD8", 2), text("jpg")},
            {1, text("<HTML"), text("html")},
            {1, text("<html"), text("html")},
            {1, text("ID3"), text("mp3")},
            {1, text("BM"), text("bmp")},
            {1, text("II*"), text("tif")},
            {1, text("MM"), text("tif")},
            {1, text("8BPS"), text("psd")},
            {1, text("Rar"), text("rar")},
            {1, bytes("\x60\xEA", 2), text("arj")},
            {1, text("MThd"), text("mid")},
            {1, text("FPBD"), text("agp")},
            {1, bytes("\x30\x26\xB2", 3), text("asf")},
            {1, text("MSCF"), text("cab")},
            {1, text("%!PS-Adobe"), text("ai")},
            {1, bytes("\x89\x50\x4E\x47", 4), text("png")},
            {1, text("FWS"), text("swf")},
            {1, bytes("\x00\x00\x01\xBA", 4), text("mpg")},
            {1, bytes("\x00\x00\x01\xB3", 4), text("mpg")},
            {9, text("CDXA"), text("mpg")},
            {3, text("-l"), text("lzh")},
            {5, text("moov"), text("mov")},
            {5, text("skip"), text("mov")},
            {5, text("free"), text("mov")},
            {5, text("mdat"), text("mov")},
            {5, text("pnot"), text("mov")},
            {9, text("ILBM"), text("iff")},
            {9, text("AVI"), text("avi")},
            {9, text("WAVE"), text("wav")},
            {10, text("ACE"), text("ace")},
            {42, text("EMF"), text("emf")},
            {-128, text("TAG"), text("mp3")},
            {-18, text("TRUEVISION-XFILE"), text("tga")},
        };
    }();
    return rows;
}

QByteArray defaultFileTypesContent() {
    QByteArray content;
    for (const QString& line : defaultFileTypesLines()) {
        content += line.toLatin1();
        content += "\r\n";
    }
    return content;
}

namespace {

bool readsBack(const QString& field) {
    return !field.contains(u'/') && !field.contains(u'\r') && !field.contains(u'\n');
}

}  // namespace

bool batchItemStorable(const QString& find, const QString& replace) {
    return readsBack(find) && readsBack(replace) && !isCommentLine(find);
}

bool saveLists(const QString& folder, const engine::TextLists& lists) {
    const auto target = [&](const QString& name) {
        // An existing file whose name differs in case is the one the next start reads.
        const QString found = findListFile(folder, name);
        return found.isEmpty() ? platform::withTrailingSlash(folder) + name : found;
    };

    QStringList replaceLines;
    for (const engine::BatchReplaceItem& item : lists.batchReplaceList) {
        if (item.find.isEmpty()) {
            continue;
        }
        // Such an item would come back as another one (or not at all), so it is not written,
        // and the error log says which.
        if (!batchItemStorable(item.find, item.replace)) {
            engine::logError(QStringLiteral("replace.txt: the batch item \"%1\" -> \"%2\" holds "
                                            "\"/\", a line break or a comment start and was not "
                                            "saved")
                                 .arg(item.find, item.replace));
            continue;
        }
        replaceLines.append(QStringList{item.find, item.replace,
                                        QString::number(item.caseSensitive),
                                        QString::number(item.swapMode), QString::number(item.start),
                                        QString::number(item.count)}
                                .join(u'/'));
    }

    // A list that could not be read at start stands empty for that reason alone; its file is
    // the user's list and stays as it is.
    const auto written = [&](const QString& name, bool unread, const QStringList& lines) {
        if (unread) {
            engine::logError(QStringLiteral("%1 could not be read at start and is left as it is "
                                            "until its list is edited in the settings")
                                 .arg(name));
            return true;
        }
        return platform::writeLines(target(name), lines).ok();
    };
    if (!written(kExceptionsFile, lists.exceptionsUnread, lists.exceptionsList) ||
        !written(kReplaceFile, lists.batchReplaceUnread, replaceLines)) {
        engine::logFailure(engine::kPathFileAccessError,
                           QStringLiteral("Error saving settings lists!"));
        return false;
    }
    return true;
}

QString batchReplaceCaption(int count) {
    if (count == 1) {
        return QStringLiteral("1 item in batch replace list...");
    }
    return QStringLiteral("%1 items in batch replace list...").arg(count);
}

}  // namespace settings
