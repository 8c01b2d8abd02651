// The run driver behind "Rename!" (the button, F5 and the command line): it locks the main
// window, opens the run window, resets the run state, snapshots the rows, refreshes the work
// lists, runs the naming mode (or the attribute or date run) that the selected tab and option
// choose, and afterwards rebuilds the views, carries the renames over to the other file source,
// restores the row order and the selection, enables Undo, adds to the lifetime totals and reports
// logged errors.
//
// It knows the main window only through DriverContext: the lists, the state and the hooks the
// window fills in. The undo (runs/undo.h) shares the context and the row helpers below, and
// with them the run session (runs/runsession.h) that opens and closes both.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

#include "runs/attribrun.h"
#include "runs/executors.h"
#include "runs/runstate.h"
#include "runs/runwindow.h"

class QWidget;

namespace filelists {
struct SourceImages;
}
namespace platform {
class ListView;
}
namespace settings {
struct ProgramSettings;
}

namespace runs {

// The main window's inputs as they stand when a run starts (after the validation).
struct DriverInputs {
    // 0: the Directory source, 1: the Free Select source.
    int fileMode = 0;
    // The naming mode the selected tab and option pick.
    NamingMode mode = NamingMode::None;
    NamingOptions naming;
    // The selected tab runs the attribute or the date run instead of a naming mode;
    // attrib.optAttrib chooses between them.
    bool attributeRun = false;
    AttribOptions attrib;
    // "Files" and "Directories" (Directory source), and whether the mode can process
    // directories at all.
    bool filesTicked = true;
    bool dirsTicked = false;
    bool dirsAllowed = true;
    // "Only Rename Selected" is in force.
    bool onlySelectedInForce = false;
    // The Simulation Mode box is ticked (the final caption says so).
    bool simulationBox = false;
    // The Free Select "Thumbnails" box is ticked.
    bool thumbnailsFreeSelect = false;
    // The user reordered the Directory rows since the last build.
    bool listOrderChanged = false;
};

// What belongs to the main window. Every hook may be left empty; it is then skipped.
struct DriverHooks {
    // optionsChanged(); then whether "Rename!" is enabled.
    std::function<bool()> validate;
    // The inputs, read once after the validation.
    std::function<DriverInputs()> inputs;
    // Status panel "main".
    std::function<void(const QString&)> setMainPanel;
    // previewPending := false and previewRunToken := -1: a running preview stops.
    std::function<void()> stopPreview;
    // Creates a fresh run window and shows it (not modal); it gives the main window back when
    // it closes.
    std::function<RunWindow*()> openRunWindow;
    // The Directory source: reads the working folder into the work lists again (the views
    // are emptied, not rebuilt), and rebuilds the tree and the list from them.
    std::function<void()> readDirectoryStructure;
    std::function<void()> updateTreeview;
    // The folder the Directory work lists were read from (with its "/"; empty when none was).
    std::function<QString()> directoryFolder;
    // The Free Select source: empties the list and its work lists and adds the paths back, in
    // this order (files, then directories; a path that no longer exists is not added).
    std::function<void(const QStringList& files, const QStringList& dirs)> refillFreeSelect;
    std::function<void()> generateThumbnailsFreeSel;
    // updateSelectedCount(-1).
    std::function<void()> updateSelectedCount;
    std::function<void(bool)> setUndoEnabled;
    // The order restore moved Directory rows, as a reordering by hand does.
    std::function<void()> markListOrderChanged;
};

struct DriverContext {
    RunState& state;
    // showFullPath and alwaysKeepOrder are read; the lifetime totals are kept up to date.
    settings::ProgramSettings& settings;
    // The work lists of full paths per source (0 Directory, 1 Free Select).
    std::array<QStringList, 2>& lstFiles;
    std::array<QStringList, 2>& lstDirs;
    // The list views per source: lwDirectory and lwDragDrop.
    std::array<platform::ListView*, 2> lists{};
    filelists::SourceImages* directoryImages = nullptr;
    filelists::SourceImages* freeSelectImages = nullptr;
    // Disabled from the start of a run or undo until the run window closes.
    QWidget* mainWindow = nullptr;
    // The title of the message boxes.
    QString appName = QStringLiteral("Quenza Renamer");
    DriverHooks hooks{};
};

// How a call of executeRun ended, for a caller that reports it (the command line's exit
// status): no run because the validation disabled "Rename!", a run that logged neither an
// error nor a warning line, or a run with error or warning lines (items left as they were).
enum class RunOutcome { NotStarted, Clean, WithProblems };

// cmdExecute_Click. The whole run happens inside the call; it returns with the run window open
// and the main window disabled until the run window closes. A failure that escapes a step is
// logged (and reported with the errors of the run); the flags, the pointer and the windows
// still reach their end state, so the run window can always be closed.
RunOutcome executeRun(DriverContext& ctx);

// The message shown once after a run that logged errors.
inline const QString kErrorsDuringExecution = QStringLiteral("There were errors during execution!");

// ---- Shared by the run and the undo ----

// A row's full path: its folder column followed by its name.
QString rowPath(const platform::ListView& list, int row);

// Every row's path in display order, and the paths of the selected rows in display order.
struct RowSnapshot {
    QStringList order;
    QStringList selected;
};
RowSnapshot takeRowSnapshot(const platform::ListView& list);

// Brings the rows back to the order of `order`: for every position p (up to the smaller of the
// two counts), the row whose path is order[p] is exchanged with the row at p, unless it is
// already there; a path that matches no row leaves position p as it is. Linear: positions are
// found through a hash from path to position. True when any row moved.
bool restoreRowOrder(platform::ListView& list, const QStringList& order);

// Selects every row whose path is in `paths`; no row is deselected. One selection change.
void reselectRows(platform::ListView& list, const QStringList& paths);

// One rename as the other source sees it.
struct CarriedRename {
    QString from;  // full path before
    QString to;    // full path after
};
// Gives the entries of another source's work list, and its rows, the renames of a run (or,
// with the names swapped, of an undo). For each entry the renames are tried in journal order:
// a rename whose `from` equals the entry rewrites it to `to`; then the first row whose path
// was `from` takes the name and folder of `to` and the entry is done; without such a row the
// rewritten entry is tried against the later renames (a chain). Linear: renames and rows are
// found by hash, rows by their paths before any of them changed.
void carryRenames(QStringList& entries, platform::ListView* rows,
                  const QList<CarriedRename>& renames);

// The renames of the journal within the last-run counts, forward (run) or backward (undo).
QList<CarriedRename> journalFileRenames(const RunState& state, bool backward);
QList<CarriedRename> journalDirRenames(const RunState& state, bool backward);

}  // namespace runs
