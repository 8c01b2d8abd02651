// The file tokens of the naming pattern: what one item is (name, extension, size, date, the
// folder holding it), the parts the "Define Parts" pattern cuts from its old name, and the
// first-letter picker.
#pragma once

#include <QDateTime>
#include <QString>

#include <array>
#include <functional>

#include "engine/options.h"

namespace engine {

// One item's information, filled by getFileInfo. One record serves one expansion of a naming
// pattern: the first file token fills it, the others read it.
struct FileInfo {
    QString key;  // the name the record holds; empty: nothing valid
    QString fullName;
    QString name;  // without extension
    QString ext;   // without its dot
    qint64 size = 0;
    QDateTime date;  // last modification, local time
    QString parent;  // the name of the folder holding the item
    // parts[1] to parts[9]: cut from the old name; parts[0]: the rest after a final literal.
    std::array<QString, 10> parts;
};

// What getFileInfo reads of the Format tab and the window.
struct FileInfoInputs {
    QString pattern;       // the naming pattern (txtFormat)
    QString partsPattern;  // "Define Parts" (txtFormatParts)
    // The Format tab is selected with its "Format Filename" option: only then are parts cut.
    bool formatFilenameSelected = false;
    ScopeOptions scope;  // which text the parts are cut from
    QString tabCaption;  // the selected mode tab's caption, for the error line
};

// Fills `record` for the item `itemName` in `folder` (with or without a trailing "/"). True
// when the item was read (also when the parts pattern did not fit); false when it does not
// exist or reading it failed (logged), leaving the key empty so the next call looks again. A
// record that already holds `itemName` answers at once.
bool getFileInfo(const QString& itemName, const QString& folder, FileInfo& record,
                 const FileInfoInputs& inputs);

// Mode 0: the first letter; 1: the first letter or digit; 2: the first letter, or "0-9" when
// a digit comes first. Upper case; "" when none qualifies or for another mode. `yield` (may be
// empty) is called after every character passed over.
QString firstLetter(const QString& itemName, int mode, const std::function<void()>& yield);

}  // namespace engine
