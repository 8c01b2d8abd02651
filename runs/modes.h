// The naming modes: one row per mode tab and option that computes names. Each row says whether
// it walks directories, whether it keeps the rows it was given, the step a failed preview
// reports, its per-item name function and the line a failure of its library ends a run with;
// everything below and the executor's one loop read the table, so a naming mode is one row of
// runs/modes.cpp. Which tab and option pick it is the tab's row in mainwindow/modetable.cpp.
//
// The new name of one item comes from newNameFor alone, which the preview calls as well, so
// the preview and the run can never give different names.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "engine/filetype.h"
#include "engine/lists.h"
#include "engine/options.h"
#include "media/mediaproperties.h"

namespace runs {

// One naming mode per mode tab and option that computes names; the name of its row. None: the
// tab computes no names (the "Attrib" tab runs the attribute and date runs instead).
enum class NamingMode {
    None,
    Replace,       // "Replace" with the single replace option
    BatchReplace,  // "Replace" with the batch replace option
    Case,          // "Case"
    AddCrop,       // "AddCrop"
    Mp3,           // "Mp3" (files only)
    Normalize,     // "Enum" with the normalize option
    Enum,          // "Enum" with the enumerate option
    DetectType,    // "Format" with file-type detection (files only)
    Format,        // "Format" with the format option
    Misc,          // "misc" (the tab captioned Space)
};

// Whether the mode renames directories too (Mp3 and file-type detection do not).
bool modeWalksDirectories(NamingMode mode);
// Whether the run works on the rows it was given, without reading the folder first: the
// numbering follows the rows as the user ordered them.
bool modeKeepsGivenRows(NamingMode mode);
// Whether the names follow the rows' order (sequential numbering): reordering rows changes
// them.
bool modeNumbersRows(NamingMode mode);
// The line a failure of the tag library ends a run of the mode with; null for a mode whose
// failure ends the run without a line.
const char* modeFailureText(NamingMode mode);
// The step number that a failed preview pass reports while the mode's transform runs.
int previewStep(NamingMode mode);

// Everything the transforms read, taken once when the run or the preview pass starts.
struct NamingOptions {
    engine::Options options;
    // The batch replace entries, applied in list order.
    QList<engine::BatchReplaceItem> batchReplaceList;
    // The words the Case tab re-spells when "Use Exceptions" is ticked, in list order.
    QStringList exceptionsList;
    // What the Format tab's media tokens take from the program's lists and settings; its
    // yield lets the window answer during a long Format token (may be empty).
    media::MediaContext media;
    // The Format tab's file-type detection: its boxes and the signature table.
    engine::DetectOptions detect;
    // The program's one tag-library object, owned by the window; null when it could not be
    // created at start-up (the Mp3 tab's names then fail, and detection finds no MPEG audio).
    orvane::_cMP3File* mp3Library = nullptr;
};

// The running number of sequential renaming, kept in row order: every row that takes part
// gets the next number from 1; with the restart per folder, a row whose folder differs from
// that of the row numbered before it starts again at 1. A preview pass and a run each make
// their own, so both start at 1 and number the same rows alike.
class EnumCounter {
public:
    // The number of the next row that takes part; `folder` is the row's folder.
    int next(const QString& folder, bool restartPerFolder);

private:
    int counter_ = 1;
    QString lastFolder_;
};

// The new name the mode gives the item `name` in `folder` (with trailing "/"), before the
// marker split and the forbidden-character map of the rename (see parseNewName). Empty, or
// equal to the name, when the item keeps its name; always empty for NamingMode::None.
// The Enum mode numbers the item with the counter's next number (callers go through the rows
// in display order); without a counter the item is numbered 1. Throws
// engine::TransformFailure when the tag library fails (the Mp3 tab).
QString newNameFor(NamingMode mode, const NamingOptions& options, const QString& folder,
                   const QString& name, EnumCounter* counter = nullptr);

}  // namespace runs
