#include "runs/undo.h"

#include <QCoreApplication>
#include <QHash>
#include <QSet>
#include <QWidget>

#include <exception>
#include <functional>
#include <optional>
#include <stdexcept>

#include "engine/log.h"
#include "platform/filesystem.h"
#include "platform/messages.h"
#include "platform/programfolder.h"
#include "platform/widgets/busy.h"
#include "platform/widgets/listview.h"
#include "runs/rename.h"
#include "runs/revert.h"
#include "runs/runwindow.h"
#include "settings/programsettings.h"

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
    const bool freeSelect = run.fileMode == 1;
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
    const bool freeSelect = run.fileMode == 1;
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

bool undoLastRun(DriverContext& ctx) {
    if (platform::messages().showMessage(
            kUndoQuestion, ctx.appName, platform::MessageIcon::Question,
            platform::MessageButtons::YesNo) != platform::MessageResult::Yes) {
        return false;
    }
    const engine::RunLogSession logSession;
    RunState& state = ctx.state;
    const DriverHooks& hooks = ctx.hooks;
    const DriverInputs in = hooks.inputs ? hooks.inputs() : DriverInputs{};
    const int source = in.fileMode == 1 ? 1 : 0;
    platform::ListView* list = ctx.lists[source];

    // Whatever happens below, Undo ends disabled: the journal is played back once.
    struct DisableUndo {
        const DriverHooks& hooks;
        ~DisableUndo() {
            if (hooks.setUndoEnabled) {
                hooks.setUndoEnabled(false);
            }
        }
    } disableUndo{hooks};

    state.cancelRequested = false;
    if (hooks.stopPreview) {
        hooks.stopPreview();
    }
    state.undoInProgress = true;
    state.simulationMode = false;
    OperationScope operation(state, ctx.mainWindow);
    std::optional<platform::BusyScope> pointer;
    RunWindow* window = nullptr;
    std::optional<RunContext> reversal;
    QList<DeferredReversal> deferred;

    try {
        if (ctx.mainWindow) {
            ctx.mainWindow->setEnabled(false);
        }
        // The window's progress range is the journal, since undoInProgress is set.
        window = hooks.openRunWindow ? hooks.openRunWindow() : nullptr;
        if (!window) {
            throw std::runtime_error("the run window could not be opened");
        }
        operation.setWindow(window);
        window->setStatus(QStringLiteral("Status: Processing..."));
        pointer.emplace(nullptr);
        window->showUndoRunning();
        state.filesRenamedCount = 0;
        state.dirsRenamedCount = 0;
        state.warningCount = 0;

        // The totals lose the whole last run, whatever the reversal achieves.
        settings::ProgramSettings& settings = ctx.settings;
        settings.totNumberOfFilesRenamedNew = addSaturating(settings.totNumberOfFilesRenamedNew,
                                                            -std::int64_t{state.lastRunFileCount});
        settings.totNumberOfDirsRenamedNew =
            addSaturating(settings.totNumberOfDirsRenamedNew, -std::int64_t{state.lastRunDirCount});
        state.totNumberOfFilesRenamedNew = settings.totNumberOfFilesRenamedNew;
        state.totNumberOfDirsRenamedNew = settings.totNumberOfDirsRenamedNew;

        if (source == 1) {
            state.dragDropRefillFiles = ctx.lstFiles[1];
            state.dragDropRefillDirs = ctx.lstDirs[1];
        }
        RowSnapshot snapshot;
        if (list) {
            snapshot = takeRowSnapshot(*list);
        }
        state.orderSnapshot = snapshot.order;
        state.reselectList = snapshot.selected;
        pointer.reset();

        reversal.emplace(
            RunContext{.state = state,
                       .report = *window,
                       .fileMode = source,
                       .showFullPath = settings.showFullPath == 1,
                       .directoryImages = ctx.directoryImages,
                       .freeSelectImages = ctx.freeSelectImages,
                       .setCaption = [window](const QString& text) { window->setStatus(text); },
                       .chosenFolder = state.chosenFolder});
        RunContext& run = *reversal;
        setProgressMaximum(run, static_cast<int>(state.fileRecordCount() + state.dirRecordCount()));

        if (!revertAttribOrDateRun(run)) {
            deferred = reverseRenames(run);
            window->setStatus(QStringLiteral("Status: Checking Files..."));
            pointer.emplace(nullptr);
            if (hooks.setMainPanel) {
                hooks.setMainPanel(QStringLiteral("Checking Files..."));
            }
            const int other = source == 1 ? 0 : 1;
            carryRenames(ctx.lstFiles[other], ctx.lists[other], journalFileRenames(state, true));
            carryRenames(ctx.lstDirs[other], ctx.lists[other], journalDirRenames(state, true));
        }
    } catch (const std::exception& error) {
        logStepFailure(QStringLiteral("reversal"), QString::fromLocal8Bit(error.what()));
    } catch (...) {
        logStepFailure(QStringLiteral("reversal"), QStringLiteral("unknown failure"));
    }

    // Clean-up: every step that fails is passed over.
    // Deepest first. With reversals still waiting, a folder that cannot go yet (it holds a
    // waiting item) is tried again after them, and only a folder that still stays is reported.
    const auto removeCreatedDirectories = [&](bool finalPass) {
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
                line = QStringLiteral("WARNING: Failed to delete directory <") + path +
                       QLatin1Char('>');
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
    };
    passOver(QStringLiteral("created directories"),
             [&] { removeCreatedDirectories(deferred.isEmpty() || !reversal); });
    if (!deferred.isEmpty() && reversal) {
        passOver(QStringLiteral("waiting reversals"),
                 [&] { finishDeferredReversals(*reversal, deferred); });
        passOver(QStringLiteral("created directories"), [&] { removeCreatedDirectories(true); });
    }
    passOver(QStringLiteral("rebuild"), [&] {
        if (source == 0) {
            if (hooks.readDirectoryStructure) {
                hooks.readDirectoryStructure();
            }
            if (hooks.updateTreeview) {
                hooks.updateTreeview();
            }
            pointer.emplace(nullptr);
        } else {
            if (window) {
                window->setStatus(QStringLiteral("Status: Checking Files..."));
            }
            if (hooks.refillFreeSelect) {
                hooks.refillFreeSelect(state.dragDropRefillFiles, state.dragDropRefillDirs);
            }
            if (in.thumbnailsFreeSelect && hooks.generateThumbnailsFreeSel) {
                hooks.generateThumbnailsFreeSel();
            }
        }
    });
    passOver(QStringLiteral("order"), [&] {
        // The Directory list read again stands in the read's order unless the user had set
        // an order of its own; the order after the run followed the new names.
        const bool keepsOrder = source == 1 || in.listOrderChanged;
        if (list && keepsOrder && restoreRowOrder(*list, state.orderSnapshot) && source == 0 &&
            hooks.markListOrderChanged) {
            hooks.markListOrderChanged();
        }
    });
    passOver(QStringLiteral("selection"), [&] {
        if (!list) {
            return;
        }
        if (source == 1 && list->currentRow() >= 0) {
            list->selectRow(list->currentRow(), false);
        }
        reselectRows(*list, state.reselectList);
    });
    passOver(QStringLiteral("selection count"), [&] {
        if (hooks.updateSelectedCount) {
            hooks.updateSelectedCount();
        }
    });
    passOver(QStringLiteral("end"), [&] {
        if (window) {
            window->setStatus(QStringLiteral("Status: Ready!"));
        }
        if (hooks.setMainPanel) {
            hooks.setMainPanel(QStringLiteral("Ready!"));
        }
        if (window) {
            window->showFinished(true);
        }
    });
    pointer.reset();
    if (window) {
        operation.finish();
    }
    // Without a run window the scope gives the main window back itself.
    // An undo reports no errors of its own; the driver clears the flag at the next run.
    return true;
}

}  // namespace runs
