// The texts of one file list row: the name and folder of an entry and, with all columns shown,
// its size, change date, attributes, extension, kind and size sort key. The Directory list and
// the Free Select list show the same columns, so both build their rows here.
#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

#include "engine/sizetext.h"
#include "platform/result.h"

namespace filelists {

// Column positions of a file list row. They follow the columns the main window creates, whose
// keys are given in brackets; the last six exist only while all columns are shown.
enum RowColumn : int {
    kColumnName = 0,     // "filename"
    kColumnPreview = 1,  // "preview": empty until the preview writes it
    kColumnFolder = 2,   // "path": the folder, ending in "/"
    kColumnSize = 3,     // "size": size text, files only
    kColumnDate = 4,     // "date": change date and time
    kColumnAttrib = 5,   // "attrib": "[RHSA]"
    kColumnExt = 6,      // "ext": extension, files only
    kColumnType = 7,     // "type": "File" or "Dir"
    kColumnSizeKey = 8,  // "sizeb": hidden sort key of the size column, files only
};
inline constexpr int kBaseColumnCount = 3;
inline constexpr int kAllColumnCount = 9;

// Digits of the size key: enough for any 64-bit byte count, so that the text order of the keys
// is the order of the sizes.
inline constexpr int kSizeKeyWidth = 20;

// The size column shows sizes as the naming patterns do.
using engine::sizeText;
// The byte count with leading zeros to kSizeKeyWidth digits.
QString sizeKey(std::uint64_t bytes);

// The four letters R, H, S, A for the read-only (1), hidden (2), system (4) and archive (32)
// bits, "-" for each bit that is clear: "R--A". Other bits are not looked at.
QString attributeLetters(std::uint32_t attributes);
// The same in brackets, as the attribute column shows it: "[R--A]".
QString attributeText(std::uint32_t attributes);

// The change date as the locale's general date text (the date alone at exactly midnight).
QString changeDateText(const QDateTime& modified);

// The part of a name after its last "."; empty when there is none ("archive.tar.gz" -> "gz",
// ".profile" -> "profile", "name." -> "").
QString extensionText(const QString& name);

// "Dir" or "File".
QString typeText(bool isDirectory);

// A full path split at its last "/": the folder keeps that "/", the name is the rest. A path
// without "/" is all name.
struct PathParts {
    QString folder;
    QString name;
};
PathParts splitPath(const QString& fullPath);
// The folder part splitPath gives, as a view of the path.
QStringView folderPart(const QString& fullPath);

// The positions of `names` in ascending name order: letter case ignored, the user's collation,
// equal names in their given order. The order of the rows within each group of the list views
// and of a sorted tree level.
QList<qsizetype> nameOrder(const QStringList& names);
// The same for `count` names handed out by position, without a list of their own. `nameAt` is
// called from several threads at once.
QList<qsizetype> nameOrder(qsizetype count, const std::function<const QString&(qsizetype)>& nameAt);

// What the detail columns show of one entry, read from disk.
struct EntryDetails {
    std::uint64_t size = 0;  // bytes; unused for folders
    QDateTime modified;      // local time
    std::uint32_t attributes = 0;
};
// Reads size, change time and attributes (following links; a link whose target is missing
// gives its own change time, no size, and Hidden only for a name beginning with "."). Fails
// with a reason when the entry is gone or cannot be examined. The path goes to the system
// through the path codec, so a name that is not UTF-8 is read as itself.
platform::Result<EntryDetails> readEntryDetails(const QString& fullPath);

// The texts of a row, by column position: name, empty preview and folder; when `details` is
// given also the six detail columns (size, extension and size key stay empty for a directory).
QStringList rowTexts(const QString& fullPath, bool isDirectory, const EntryDetails* details);

// Reads the entry when `withDetails` and builds its texts; fails only when the read fails.
platform::Result<QStringList> readRowTexts(const QString& fullPath, bool isDirectory,
                                           bool withDetails);

}  // namespace filelists
