// The naming executors: one loop that walks a source's work lists, asks the selected mode for
// each item's new name and hands it to renameFile / renameDir; plus the two helpers every run
// uses, the only-selected filter (isIncluded) and the progress step (updateProgress).
//
// The new name of one item comes from newNameFor alone, which the preview calls as well, so
// the preview and the run can never give different names.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "engine/lists.h"
#include "engine/options.h"
#include "runs/rename.h"

namespace runs {

// One naming executor per mode tab and option. None: the tab has no naming executor (the
// "Attrib" tab runs the attribute and date runs instead) or no valid option is selected.
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

// What picks the mode: the key of the selected mode tab and the option buttons that choose
// between two executors on one tab.
struct ModeSelection {
    QString tabKey;              // "Replace", "Case", "AddCrop", "Mp3", "Enum", "Format",
                                 // "misc", "Attrib"
    bool replaceBatch = false;   // optReplaceBatch (else optReplaceSingle)
    bool enumNumbering = false;  // chkEnumTab_Enum (else chkEnumTab_Normalize)
    bool formatDetect = false;   // chkFormatTab_Detect (else chkFormatTab_Format)
};
NamingMode namingModeFor(const ModeSelection& selection);

// Whether the mode renames directories too (Mp3 and file-type detection do not).
bool modeWalksDirectories(NamingMode mode);
// Whether the mode computes names yet. The others walk their items and keep every name.
bool modeHasTransform(NamingMode mode);

// Everything the transforms read, taken once when the run or the preview pass starts.
struct NamingOptions {
    engine::Options options;
    // The batch replace entries, applied in list order.
    QList<engine::BatchReplaceItem> batchReplaceList;
    // The words the Case tab re-spells when "Use Exceptions" is ticked, in list order.
    QStringList exceptionsList;
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
// equal to the name, when the item keeps its name; always empty for a mode without transform.
// The Enum mode numbers the item with the counter's next number (callers go through the rows
// in display order); without a counter the item is numbered 1.
QString newNameFor(NamingMode mode, const NamingOptions& options, const QString& folder,
                   const QString& name, EnumCounter* counter = nullptr);

// Which kinds of entries the run walks at all. The executor also leaves directories alone for
// a files-only mode. Entries not walked (a kind left out, directories of a files-only mode,
// everything after a Cancel) are kept in the Free Select refill lists under their paths, so
// the rebuilt Free Select list still holds them.
struct WalkKinds {
    bool files = true;
    bool dirs = true;
};

// The number of entries the executor will walk: the progress maximum for the driver.
int walkCount(NamingMode mode, const QStringList& files, const QStringList& dirs,
              WalkKinds kinds = {});

// Runs the executor of `mode` over the work lists (full paths; directories without trailing
// "/"): sets state.lastRunChangedAttributes to false; files first to last, then directories
// last to first (the contents of a directory are renamed before the directory itself); for
// each entry isIncluded, then the rename of an included item, then the Cancel test (a Cancel
// leaves both loops at once), then updateProgress. At the end, also after a Cancel,
// lastRunFileCount and lastRunDirCount take the counters (lastRunDirCount is 0 for a
// files-only mode). Modes without a transform walk the lists and rename nothing.
void executeNaming(RunContext& ctx, NamingMode mode, const NamingOptions& options,
                   const QStringList& files, const QStringList& dirs, WalkKinds kinds = {});

// The executors of the tabs that have a transform; executeNaming dispatches to them.
void executeReplace(RunContext& ctx, const NamingOptions& options, const QStringList& files,
                    const QStringList& dirs, WalkKinds kinds = {});
void executeBatchReplace(RunContext& ctx, const NamingOptions& options, const QStringList& files,
                         const QStringList& dirs, WalkKinds kinds = {});
void executeCase(RunContext& ctx, const NamingOptions& options, const QStringList& files,
                 const QStringList& dirs, WalkKinds kinds = {});
void executeAddCrop(RunContext& ctx, const NamingOptions& options, const QStringList& files,
                    const QStringList& dirs, WalkKinds kinds = {});
void executeMisc(RunContext& ctx, const NamingOptions& options, const QStringList& files,
                 const QStringList& dirs, WalkKinds kinds = {});
void executeNormalize(RunContext& ctx, const NamingOptions& options, const QStringList& files,
                      const QStringList& dirs, WalkKinds kinds = {});
// Numbers by the rows, not by the walk: the rows of state.orderSnapshot in display order, each
// row whose item the run renames (walked, and selected while only-selected is in force) taking
// the counter's next number, as a preview pass numbers them. Items without a row follow.
void executeEnum(RunContext& ctx, const NamingOptions& options, const QStringList& files,
                 const QStringList& dirs, WalkKinds kinds = {});

// The only-selected filter, for the naming executors and the attribute and date runs. True
// for every path unless state.onlySelectedInForce is set and no undo runs; then true only for
// the paths in state.selectedSnapshot (exact comparison). A path it leaves out is appended to
// state.dragDropRefillFiles in the Free Select source, directories included.
bool isIncluded(RunContext& ctx, const QString& path);

// Sets the progress bar's maximum (report and ctx) and its value to 0. The driver calls it
// before the executor, the undo before its renames.
void setProgressMaximum(RunContext& ctx, int maximum);

// One progress step: the value grows by one while it is below the maximum, the caption
// becomes "Status: Simulating... N%" or "Status: Renaming... N%" (N the whole percentage;
// 100 for an empty range), and the event loop runs once so Cancel gets through.
void updateProgress(RunContext& ctx);

}  // namespace runs
