// The naming executors: one loop that walks a source's work lists, asks the selected mode for
// each item's new name (runs/modes.h) and hands it to renameFile / renameDir; plus the two
// helpers every run uses, the only-selected filter (isIncluded) and the progress step
// (updateProgress).
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

#include "engine/log.h"

#include "runs/modes.h"
#include "runs/rename.h"

namespace runs {

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
// files-only mode). NamingMode::None walks the lists and renames nothing. A mode that numbers
// by the rows (Enum) numbers the rows of state.orderSnapshot in display order, each row whose
// item the run renames (walked, and selected while only-selected is in force) taking the
// counter's next number, as a preview pass numbers them; items without a row follow. A
// failure of the tag library ends the run with the mode's failure line (for the Mp3 tab
// "executeMp3: Failed To Execute"); the files renamed before it stay renamed.
void executeNaming(RunContext& ctx, NamingMode mode, const NamingOptions& options,
                   const QStringList& files, const QStringList& dirs, WalkKinds kinds = {});

// The one loop of every naming mode: the walk above with `mode`'s names. A transform that
// throws engine::TransformFailure ends the walk as a Cancel would (the item keeps its name);
// the failure is returned for the executor to report.
std::optional<engine::ErrorInfo> runNamingLoop(RunContext& ctx, NamingMode mode,
                                               const NamingOptions& options,
                                               const QStringList& files, const QStringList& dirs,
                                               WalkKinds kinds = {});

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
