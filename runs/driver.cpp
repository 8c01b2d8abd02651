#include "runs/driver.h"

#include <QCoreApplication>

#include <exception>

#include "engine/log.h"
#include "filelists/rowtext.h"
#include "platform/messages.h"
#include "platform/widgets/listview.h"
#include "runs/daterun.h"
#include "runs/rows.h"
#include "runs/runsession.h"
#include "runs/runwindow.h"
#include "settings/programsettings.h"

namespace runs {

namespace {

void yield() {
    QCoreApplication::processEvents();
}

void showErrorsMessage(const DriverContext& ctx) {
    platform::messages().showMessage(kErrorsDuringExecution, ctx.appName,
                                     platform::MessageIcon::Critical, platform::MessageButtons::Ok);
}

// The journal of the previous run is dropped, also by a simulation.
void dropPreviousJournal(RunState& state) {
    state.undoFiles.clear();
    state.undoDirs.clear();
    state.createdDirs.clear();
    state.createdFolders.clear();
    state.lastRunFileCount = 0;
    state.lastRunDirCount = 0;
    state.undoInProgress = false;
}

// The hourglass, the locked window, the inputs, the run window and a clean state.
void prepare(RunSession& session) {
    RunState& state = session.state();
    session.busyPointer();
    session.lockMainWindow();
    session.setPanel(QStringLiteral("Preparing..."));
    yield();
    session.readInputs();
    session.stopPreview();
    yield();
    engine::setErrorsLogged(false);
    dropPreviousJournal(state);
    session.resetCounters();

    RunWindow& window = session.openWindow();
    window.showRunning();
    window.setStatus(QStringLiteral("Status: Preparing..."));

    const RowSnapshot snapshot = session.snapshotRows();
    state.selectedSnapshot = snapshot.selected;
    state.onlySelectedInForce = session.inputs().onlySelectedInForce;
}

// What the run walks: copies of the work lists as they are now, whatever a yield may do.
struct WorkLists {
    QStringList files;
    QStringList dirs;
    WalkKinds kinds;
};

WorkLists readWorkLists(RunSession& session) {
    DriverContext& ctx = session.context();
    RunState& state = session.state();
    const DriverInputs& in = session.inputs();
    const Source source = session.source();
    WorkLists work;
    if (source == Source::Directory) {
        if (!modeKeepsGivenRows(in.mode) && ctx.hooks.readDirectoryStructure) {
            ctx.hooks.readDirectoryStructure();
        }
        work.kinds.files = in.filesTicked;
        work.kinds.dirs = in.dirsTicked && in.dirsAllowed;
    } else {
        state.dragDropRefillFiles.clear();
        state.dragDropRefillDirs.clear();
        work.kinds.dirs = in.dirsAllowed;
    }
    // The items are acted on only inside the folder they were read from.
    state.chosenFolder = source == Source::Directory && ctx.hooks.directoryFolder
                             ? ctx.hooks.directoryFolder()
                             : QString();
    work.files = ctx.files(source);
    work.dirs = ctx.dirs(source);
    return work;
}

bool isDateRun(const DriverInputs& in) {
    return in.attrib.optAttrib == 1;
}

// The attribute run walks the ticked kinds; the date run only files.
QStringList attribFiles(const WorkLists& work) {
    return work.kinds.files ? work.files : QStringList();
}
QStringList attribDirs(const WorkLists& work) {
    return work.kinds.dirs ? work.dirs : QStringList();
}

int progressMaximum(const DriverInputs& in, const WorkLists& work) {
    if (!in.attributeRun) {
        return walkCount(in.mode, work.files, work.dirs, work.kinds);
    }
    const qsizetype files = work.kinds.files ? work.files.size() : 0;
    const qsizetype dirs = work.kinds.dirs ? work.dirs.size() : 0;
    return static_cast<int>(isDateRun(in) ? files : files + dirs);
}

// The rows' order is put back after the run only in these cases; otherwise the renames need
// not be carried into its snapshot.
bool restoresOrder(const RunSession& session) {
    return session.list() &&
           (session.inputs().listOrderChanged || session.source() == Source::FreeSelect ||
            session.context().settings.alwaysKeepOrder == 1);
}

// The progress range, room in the journal and the captions of the renaming.
void startRenaming(RunSession& session, const WorkLists& work, bool keepsOrder) {
    RunState& state = session.state();
    RunContext& run = session.runContext();
    setProgressMaximum(run, progressMaximum(session.inputs(), work));
    // The journal takes at most one record per walked item: room made once, instead of
    // growing by copies through tens of thousands of records.
    if (!state.simulationMode) {
        state.undoFiles.reserve(work.kinds.files ? work.files.size() : 0);
        state.undoDirs.reserve(work.kinds.dirs ? work.dirs.size() : 0);
    }
    run.rewritesOrder = keepsOrder;
    session.window()->setStatus(QStringLiteral("Status: Renaming..."));
    if (!state.simulationMode) {
        session.setPanel(QStringLiteral("Renaming..."));
    }
    yield();
}

// The one executor of the selected tab and option.
void execute(RunSession& session, const WorkLists& work) {
    const DriverInputs& in = session.inputs();
    RunContext& run = session.runContext();
    if (!in.attributeRun) {
        executeNaming(run, in.mode, in.naming, work.files, work.dirs, work.kinds);
    } else if (isDateRun(in)) {
        executeDate(run, attribFiles(work), in.attrib);
    } else {
        executeAttrib(run, attribFiles(work), attribDirs(work), in.attrib);
    }
}

// The current source's views show the disk again; the Free Select list is refilled only
// after renames on disk.
void rebuildViews(RunSession& session, bool realNamingRun) {
    if (session.source() == Source::Directory) {
        session.rebuildDirectory();
    } else if (realNamingRun) {
        session.refillFreeSelect();
    }
}

// The other source's entries and rows follow the renames; an empty list has nothing to carry,
// and the journal is not walked for it.
void carryToOtherSource(RunSession& session) {
    DriverContext& ctx = session.context();
    const Source other = session.otherSource();
    if (!ctx.files(other).isEmpty()) {
        carryRenames(ctx.files(other), ctx.list(other), journalFileRenames(ctx.state, false));
    }
    if (!ctx.dirs(other).isEmpty()) {
        carryRenames(ctx.dirs(other), ctx.list(other), journalDirRenames(ctx.state, false));
    }
}

void restoreOrderAndSelection(RunSession& session, bool keepsOrder) {
    if (!keepsOrder) {
        session.state().orderSnapshot.clear();  // it was not kept up with the renames
    }
    if (session.list()) {
        if (keepsOrder) {
            session.restoreOrder();
        }
        session.reselect();
    }
}

// Undo for what changed on disk, and the lifetime totals.
void recordOutcome(RunSession& session) {
    const RunState& state = session.state();
    const bool changed = state.filesRenamedCount > 0 || state.dirsRenamedCount > 0;
    if (session.hooks().setUndoEnabled) {
        session.hooks().setUndoEnabled(changed && !state.simulationMode);
    }
    if (!state.simulationMode) {
        session.addToTotals(state.filesRenamedCount, state.dirsRenamedCount);
    }
}

void checkFiles(RunSession& session) {
    session.window()->setStatus(QStringLiteral("Status: Checking Files..."));
    session.setPanel(QStringLiteral("Checking Files..."));
}

// True when the run logged an error or counted a warning.
bool runSteps(DriverContext& ctx) {
    RunSession session(ctx);
    prepare(session);
    const WorkLists work = readWorkLists(session);
    const bool keepsOrder = restoresOrder(session);
    startRenaming(session, work, keepsOrder);
    session.normalPointer();

    execute(session, work);

    session.busyPointer();
    RunState& state = session.state();
    RunWindow& window = *session.window();
    window.disableCancel();
    checkFiles(session);
    const bool realNamingRun = !state.simulationMode && !state.lastRunChangedAttributes;
    rebuildViews(session, realNamingRun);
    checkFiles(session);
    if (realNamingRun) {
        carryToOtherSource(session);
    }
    restoreOrderAndSelection(session, keepsOrder);
    recordOutcome(session);
    session.updateSelectedCount();
    session.showReady(session.inputs().simulationBox ? QStringLiteral("Status: Simulation Ready!")
                                                     : QStringLiteral("Status: Ready!"),
                      window.lineCount() > 0);
    session.normalPointer();

    const bool errors = engine::errorsLogged();
    session.finish();
    if (errors) {
        showErrorsMessage(ctx);
        engine::setErrorsLogged(false);
    }
    return errors || state.warningCount > 0;
}

}  // namespace

// ---- The run ----

RunOutcome executeRun(DriverContext& ctx) {
    const engine::RunLogSession logSession;
    if (ctx.hooks.validate && !ctx.hooks.validate()) {
        return RunOutcome::NotStarted;
    }
    QString failure;
    try {
        return runSteps(ctx) ? RunOutcome::WithProblems : RunOutcome::Clean;
    } catch (const std::exception& error) {
        failure = QString::fromLocal8Bit(error.what());
    } catch (...) {
        failure = QStringLiteral("unknown failure");
    }
    // The scopes have already given the pointer, the flag and the windows back.
    engine::logFailure({51, QStringLiteral("Internal error: ") + failure},
                       QStringLiteral("cmdExecute_Click"));
    showErrorsMessage(ctx);
    engine::setErrorsLogged(false);
    return RunOutcome::WithProblems;
}

}  // namespace runs
