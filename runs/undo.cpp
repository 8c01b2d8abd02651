#include "runs/undo.h"

#include <QHash>
#include <QSet>

#include <exception>
#include <functional>

#include "engine/log.h"
#include "platform/filesystem.h"
#include "platform/messages.h"
#include "platform/programfolder.h"
#include "runs/rename.h"
#include "runs/revert.h"
#include "runs/rows.h"
#include "runs/runsession.h"
#include "runs/runwindow.h"

namespace runs {

namespace {

void logStepFailure(const QString& step, const QString& what) {
    engine::logFailure({51, QStringLiteral("Internal error: ") + what},
                       QStringLiteral("cmdUndo_Click: ") + step);
}

// Runs one step of the clean-up; a failure is logged and the undo goes on with the next step.
void passOver(const QString& step, const std::function<void()>& work) {
    try {
        work();
    } catch (const std::exception& error) {
        logStepFailure(step, QString::fromLocal8Bit(error.what()));
    } catch (...) {
        logStepFailure(step, QStringLiteral("unknown failure"));
    }
}

// The directories put back, as path after the run -> path before it, applied to the entries at
// and below each of them. The parents come back before the directories inside them, whose
// recorded paths name the parent's old path; so an entry is rewritten from its shortest
// matching prefix outwards, each level at most once, as rewriting after every single directory
// would do, in one pass over each entry.
void rewriteBelowDirectories(QStringList& entries, const QList<CarriedRename>& restored) {
    if (restored.isEmpty()) {
        return;
    }
    QHash<QString, QString> back;
    back.reserve(restored.size());
    for (const CarriedRename& dir : restored) {
        if (!back.contains(dir.from)) {
            back.insert(dir.from, dir.to);
        }
    }
    for (QString& entry : entries) {
        qsizetype boundary = 0;
        while (boundary < entry.size()) {
            qsizetype end = entry.indexOf(QLatin1Char('/'), boundary + 1);
            if (end < 0) {
                end = entry.size();
            }
            const auto found = back.constFind(entry.left(end));
            if (found != back.constEnd()) {
                entry = found.value() + entry.mid(end);
                end = found.value().size();
            }
            boundary = end;
        }
    }
}

}  // namespace

QList<DeferredReversal> reverseRenames(RunContext& run) {
    RunState& state = run.state;
    const bool freeSelect = run.fileMode == Source::FreeSelect;
    // A folder the run created may stand where an item must come back ("01" went into the new
    // folder "00", then another item made the folder "01"); that item waits until the created
    // folders are gone.
    const QSet<QString> created(state.createdDirs.cbegin(), state.createdDirs.cend());
    const auto blockedByCreatedFolder = [&created](const QString& target) {
        return created.contains(target) && platform::fs::isDirectory(platform::nativePath(target));
    };
    QList<DeferredReversal> deferred;
    QList<CarriedRename> restoredDirs;
    for (qsizetype i = state.dirRecordCount() - 1; i >= 0; --i) {
        const DirUndoRecord record = state.undoDirs.at(i);
        if (blockedByCreatedFolder(record.folder + record.oldName)) {
            deferred.append({true, record.folder, record.newName, record.oldName, record.folderId});
            continue;
        }
        const bool back =
            renameDir(run, record.newName, record.oldName, record.folder, nullptr, record.folderId);
        updateProgress(run);
        if (back && freeSelect) {
            restoredDirs.append({record.folder + record.newName, record.folder + record.oldName});
        }
    }
    if (freeSelect) {
        rewriteBelowDirectories(state.dragDropRefillFiles, restoredDirs);
        rewriteBelowDirectories(state.dragDropRefillDirs, restoredDirs);
    }

    PathIndex refill;
    for (qsizetype i = state.fileRecordCount() - 1; i >= 0; --i) {
        const FileUndoRecord record = state.undoFiles.at(i);
        if (blockedByCreatedFolder(record.folder + record.oldName)) {
            deferred.append(
                {false, record.folder, record.newName, record.oldName, record.folderId});
            continue;
        }
        const bool back = renameFile(run, record.newName, record.oldName, record.folder, nullptr,
                                     record.folderId);
        updateProgress(run);
        if (back && freeSelect) {
            refill.rewrite(state.dragDropRefillFiles, record.folder + record.newName,
                           record.folder + record.oldName);
        }
    }
    return deferred;
}

void finishDeferredReversals(RunContext& run, const QList<DeferredReversal>& deferred) {
    RunState& state = run.state;
    const bool freeSelect = run.fileMode == Source::FreeSelect;
    PathIndex refill;
    QList<CarriedRename> restoredDirs;
    for (const DeferredReversal& item : deferred) {
        const bool back =
            item.directory
                ? renameDir(run, item.newName, item.oldName, item.folder, nullptr, item.folderId)
                : renameFile(run, item.newName, item.oldName, item.folder, nullptr, item.folderId);
        updateProgress(run);
        if (!back || !freeSelect) {
            continue;
        }
        if (item.directory) {
            restoredDirs.append({item.folder + item.newName, item.folder + item.oldName});
        } else {
            refill.rewrite(state.dragDropRefillFiles, item.folder + item.newName,
                           item.folder + item.oldName);
        }
    }
    if (freeSelect) {
        rewriteBelowDirectories(state.dragDropRefillFiles, restoredDirs);
        rewriteBelowDirectories(state.dragDropRefillDirs, restoredDirs);
    }
}

namespace {

bool confirmUndo(const DriverContext& ctx) {
    return platform::messages().showMessage(
               kUndoQuestion, ctx.appName, platform::MessageIcon::Question,
               platform::MessageButtons::YesNo) == platform::MessageResult::Yes;
}

// Whatever happens, Undo ends disabled: the journal is played back once.
struct DisableUndo {
    const DriverHooks& hooks;
    ~DisableUndo() {
        if (hooks.setUndoEnabled) {
            hooks.setUndoEnabled(false);
        }
    }
};

// The locked window, the run window, the totals and the rows' order and selection as the undo
// begins. The window's progress range is the journal, since undoInProgress is set.
void prepareUndo(RunSession& session) {
    RunState& state = session.state();
    DriverContext& ctx = session.context();
    session.lockMainWindow();
    RunWindow& window = session.openWindow();
    window.setStatus(QStringLiteral("Status: Processing..."));
    session.busyPointer();
    window.showUndoRunning();
    session.resetCounters();
    // The totals lose the whole last run, whatever the reversal achieves.
    session.addToTotals(-std::int64_t{state.lastRunFileCount},
                        -std::int64_t{state.lastRunDirCount});
    if (session.source() == Source::FreeSelect) {
        state.dragDropRefillFiles = ctx.files(Source::FreeSelect);
        state.dragDropRefillDirs = ctx.dirs(Source::FreeSelect);
    }
    session.snapshotRows();
    session.normalPointer();
}

// Puts the last run back; returns the reversals that wait for the created folders to go.
QList<DeferredReversal> reverse(RunSession& session) {
    RunState& state = session.state();
    DriverContext& ctx = session.context();
    RunContext& run = session.runContext();
    setProgressMaximum(run, static_cast<int>(state.fileRecordCount() + state.dirRecordCount()));
    if (revertAttribOrDateRun(run)) {
        return {};
    }
    QList<DeferredReversal> deferred = reverseRenames(run);
    session.window()->setStatus(QStringLiteral("Status: Checking Files..."));
    session.busyPointer();
    session.setPanel(QStringLiteral("Checking Files..."));
    const Source other = session.otherSource();
    carryRenames(ctx.files(other), ctx.list(other), journalFileRenames(state, true));
    carryRenames(ctx.dirs(other), ctx.list(other), journalDirRenames(state, true));
    return deferred;
}

// Deepest first. With reversals still waiting, a folder that cannot go yet (it holds a
// waiting item) is tried again after them, and only a folder that still stays is reported.
void removeCreatedDirectories(RunSession& session, bool finalPass) {
    RunState& state = session.state();
    RunWindow* window = session.window();
    QStringList kept;
    for (qsizetype i = state.createdDirs.size() - 1; i >= 0; --i) {
        const QString path = state.createdDirs.at(i);
        // Never through a folder that became a link, and only the folder the run made.
        const bool deleted = removeCreatedFolder(state, path).ok();
        if (!deleted && !finalPass) {
            kept.prepend(path);
            continue;
        }
        QString line;
        if (deleted) {
            line = QStringLiteral("Deleted directory: ") + path;
        } else {
            line =
                QStringLiteral("WARNING: Failed to delete directory <") + path + QLatin1Char('>');
            ++state.warningCount;
        }
        if (window) {
            window->addLine(line);
            if (!deleted) {
                window->setWarningCount(state.warningCount);
            }
        }
        engine::logRun(line);
    }
    state.createdDirs = kept;
}

void rebuildSource(RunSession& session) {
    if (session.source() == Source::Directory) {
        session.rebuildDirectory();
        session.busyPointer();
    } else {
        session.refillFreeSelect();
    }
}

}  // namespace

bool undoLastRun(DriverContext& ctx) {
    if (!confirmUndo(ctx)) {
        return false;
    }
    const engine::RunLogSession logSession;
    const DisableUndo disableUndo{ctx.hooks};
    RunSession session(ctx);
    session.readInputs();
    RunState& state = ctx.state;
    state.cancelRequested = false;
    session.stopPreview();
    state.undoInProgress = true;
    state.simulationMode = false;

    QList<DeferredReversal> deferred;
    passOver(QStringLiteral("reversal"), [&] {
        prepareUndo(session);
        deferred = reverse(session);
    });

    // Clean-up: every step that fails is passed over.
    const bool reversed = session.hasRunContext();
    passOver(QStringLiteral("created directories"),
             [&] { removeCreatedDirectories(session, deferred.isEmpty() || !reversed); });
    if (!deferred.isEmpty() && reversed) {
        passOver(QStringLiteral("waiting reversals"),
                 [&] { finishDeferredReversals(session.runContext(), deferred); });
        passOver(QStringLiteral("created directories"),
                 [&] { removeCreatedDirectories(session, true); });
    }
    passOver(QStringLiteral("rebuild"), [&] { rebuildSource(session); });
    passOver(QStringLiteral("order"), [&] {
        // The Directory list read again stands in the read's order unless the user had set
        // an order of its own; the order after the run followed the new names.
        if (session.source() == Source::FreeSelect || session.inputs().listOrderChanged) {
            session.restoreOrder();
        }
    });
    passOver(QStringLiteral("selection"), [&] { session.reselect(); });
    passOver(QStringLiteral("selection count"), [&] { session.updateSelectedCount(); });
    passOver(QStringLiteral("end"),
             [&] { session.showReady(QStringLiteral("Status: Ready!"), true); });
    session.normalPointer();
    session.finish();
    // Without a run window the scope gives the main window back itself.
    // An undo reports no errors of its own; the driver clears the flag at the next run.
    return true;
}

}  // namespace runs
