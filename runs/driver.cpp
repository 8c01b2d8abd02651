#include "runs/driver.h"

#include <QCoreApplication>
#include <QHash>
#include <QItemSelection>
#include <QItemSelectionModel>
#include <QSet>
#include <QWidget>

#include <algorithm>
#include <exception>
#include <numeric>
#include <optional>
#include <stdexcept>

#include "engine/log.h"
#include "filelists/rowtext.h"
#include "platform/messages.h"
#include "platform/widgets/busy.h"
#include "platform/widgets/listview.h"
#include "runs/daterun.h"
#include "runs/runwindow.h"
#include "settings/programsettings.h"

namespace runs {

namespace {

void yield() {
    QCoreApplication::processEvents();
}

// The hourglass for the preparation and the aftermath; the normal pointer while the executor
// runs. Whatever way the run ends, the pointer comes back.
class Pointer {
public:
    void busy() {
        if (!scope_) {
            scope_.emplace(nullptr);
        }
    }
    void normal() { scope_.reset(); }

private:
    std::optional<platform::BusyScope> scope_;
};

void setPanel(const DriverContext& ctx, const QString& text) {
    if (ctx.hooks.setMainPanel) {
        ctx.hooks.setMainPanel(text);
    }
}

void showErrorsMessage(const DriverContext& ctx) {
    platform::messages().showMessage(kErrorsDuringExecution, ctx.appName,
                                     platform::MessageIcon::Critical, platform::MessageButtons::Ok);
}

// True when the run logged an error or counted a warning.
bool runSteps(DriverContext& ctx) {
    RunState& state = ctx.state;
    const DriverHooks& hooks = ctx.hooks;
    Pointer pointer;

    // Preparation.
    pointer.busy();
    OperationScope operation(state, ctx.mainWindow);
    if (ctx.mainWindow) {
        ctx.mainWindow->setEnabled(false);
    }
    setPanel(ctx, QStringLiteral("Preparing..."));
    yield();
    const DriverInputs in = hooks.inputs ? hooks.inputs() : DriverInputs{};
    if (hooks.stopPreview) {
        hooks.stopPreview();
    }
    state.cancelRequested = false;
    yield();
    engine::setErrorsLogged(false);

    // The journal of the previous run is dropped, also by a simulation.
    state.undoFiles.clear();
    state.undoDirs.clear();
    state.createdDirs.clear();
    state.createdFolders.clear();
    state.lastRunFileCount = 0;
    state.lastRunDirCount = 0;
    state.undoInProgress = false;
    state.filesRenamedCount = 0;
    state.dirsRenamedCount = 0;
    state.warningCount = 0;

    RunWindow* window = hooks.openRunWindow ? hooks.openRunWindow() : nullptr;
    if (!window) {
        throw std::runtime_error("the run window could not be opened");
    }
    operation.setWindow(window);
    window->showRunning();
    window->setStatus(QStringLiteral("Status: Preparing..."));

    // Snapshots of the rows of the current source.
    const int source = in.fileMode == 1 ? 1 : 0;
    platform::ListView* list = ctx.lists[source];
    RowSnapshot snapshot;
    if (list) {
        snapshot = takeRowSnapshot(*list);
    }
    state.orderSnapshot = snapshot.order;
    state.selectedSnapshot = snapshot.selected;
    state.reselectList = snapshot.selected;
    state.onlySelectedInForce = in.onlySelectedInForce;

    // The work lists.
    const bool isAttrib = in.attributeRun;
    const bool attribDates = in.attrib.optAttrib == 1;
    WalkKinds kinds;
    if (source == 0) {
        if (!modeKeepsGivenRows(in.mode) && hooks.readDirectoryStructure) {
            hooks.readDirectoryStructure();
        }
        kinds.files = in.filesTicked;
        kinds.dirs = in.dirsTicked && in.dirsAllowed;
    } else {
        state.dragDropRefillFiles.clear();
        state.dragDropRefillDirs.clear();
        kinds.dirs = in.dirsAllowed;
    }
    // The items are acted on only inside the folder they were read from.
    state.chosenFolder = source == 0 && hooks.directoryFolder ? hooks.directoryFolder() : QString();
    // Copies: the executor walks the lists as they are now, whatever a yield may do.
    const QStringList files = ctx.lstFiles[source];
    const QStringList dirs = ctx.lstDirs[source];

    RunContext run{.state = state,
                   .report = *window,
                   .fileMode = source,
                   .showFullPath = ctx.settings.showFullPath == 1,
                   .directoryImages = ctx.directoryImages,
                   .freeSelectImages = ctx.freeSelectImages,
                   .setCaption = [window](const QString& text) { window->setStatus(text); },
                   .chosenFolder = state.chosenFolder};
    const NamingMode mode = in.mode;
    const QStringList attribFiles = kinds.files ? files : QStringList();
    const QStringList attribDirs = kinds.dirs ? dirs : QStringList();
    int maximum = 0;
    if (isAttrib) {
        maximum = static_cast<int>(attribDates ? attribFiles.size()
                                               : attribFiles.size() + attribDirs.size());
    } else {
        maximum = walkCount(mode, files, dirs, kinds);
    }
    setProgressMaximum(run, maximum);
    // The journal takes at most one record per walked item: room made once, instead of
    // growing by copies through tens of thousands of records.
    if (!state.simulationMode) {
        state.undoFiles.reserve(kinds.files ? files.size() : 0);
        state.undoDirs.reserve(kinds.dirs ? dirs.size() : 0);
    }
    // The rows' order is put back after the run only in these cases; otherwise the renames
    // need not be carried into its snapshot.
    const bool restoresOrder =
        list && (in.listOrderChanged || source == 1 || ctx.settings.alwaysKeepOrder == 1);
    run.rewritesOrder = restoresOrder;
    window->setStatus(QStringLiteral("Status: Renaming..."));
    if (!state.simulationMode) {
        setPanel(ctx, QStringLiteral("Renaming..."));
    }
    yield();
    pointer.normal();

    // The one executor of the selected tab and option.
    if (isAttrib) {
        if (attribDates) {
            executeDate(run, attribFiles, in.attrib);
        } else {
            executeAttrib(run, attribFiles, attribDirs, in.attrib);
        }
    } else {
        executeNaming(run, mode, in.naming, files, dirs, kinds);
    }

    // Aftermath.
    pointer.busy();
    window->disableCancel();
    window->setStatus(QStringLiteral("Status: Checking Files..."));
    setPanel(ctx, QStringLiteral("Checking Files..."));
    const bool realNamingRun = !state.simulationMode && !state.lastRunChangedAttributes;
    if (source == 0) {
        if (hooks.readDirectoryStructure) {
            hooks.readDirectoryStructure();
        }
        if (hooks.updateTreeview) {
            hooks.updateTreeview();
        }
    } else if (realNamingRun) {
        window->setStatus(QStringLiteral("Status: Checking Files..."));
        if (hooks.refillFreeSelect) {
            hooks.refillFreeSelect(state.dragDropRefillFiles, state.dragDropRefillDirs);
        }
        if (in.thumbnailsFreeSelect && hooks.generateThumbnailsFreeSel) {
            hooks.generateThumbnailsFreeSel();
        }
    }
    window->setStatus(QStringLiteral("Status: Checking Files..."));
    setPanel(ctx, QStringLiteral("Checking Files..."));

    if (realNamingRun) {
        const int other = source == 1 ? 0 : 1;
        // An empty list has nothing to carry; the journal is not walked for it.
        if (!ctx.lstFiles[other].isEmpty()) {
            carryRenames(ctx.lstFiles[other], ctx.lists[other], journalFileRenames(state, false));
        }
        if (!ctx.lstDirs[other].isEmpty()) {
            carryRenames(ctx.lstDirs[other], ctx.lists[other], journalDirRenames(state, false));
        }
    }

    if (!restoresOrder) {
        state.orderSnapshot.clear();  // it was not kept up with the renames
    }
    if (list) {
        if (restoresOrder) {
            if (restoreRowOrder(*list, state.orderSnapshot) && source == 0 &&
                hooks.markListOrderChanged) {
                hooks.markListOrderChanged();
            }
        }
        if (source == 1 && list->currentRow() >= 0) {
            list->selectRow(list->currentRow(), false);
        }
        reselectRows(*list, state.reselectList);
    }

    const bool changed = state.filesRenamedCount > 0 || state.dirsRenamedCount > 0;
    if (hooks.setUndoEnabled) {
        hooks.setUndoEnabled(changed && !state.simulationMode);
    }
    if (!state.simulationMode) {
        settings::ProgramSettings& settings = ctx.settings;
        settings.totNumberOfFilesRenamedNew =
            addSaturating(settings.totNumberOfFilesRenamedNew, state.filesRenamedCount);
        settings.totNumberOfDirsRenamedNew =
            addSaturating(settings.totNumberOfDirsRenamedNew, state.dirsRenamedCount);
        state.totNumberOfFilesRenamedNew = settings.totNumberOfFilesRenamedNew;
        state.totNumberOfDirsRenamedNew = settings.totNumberOfDirsRenamedNew;
    }
    if (hooks.updateSelectedCount) {
        hooks.updateSelectedCount();
    }
    window->setStatus(in.simulationBox ? QStringLiteral("Status: Simulation Ready!")
                                       : QStringLiteral("Status: Ready!"));
    setPanel(ctx, QStringLiteral("Ready!"));
    window->showFinished(window->lineCount() > 0);
    pointer.normal();

    const bool errors = engine::errorsLogged();
    operation.finish();
    if (errors) {
        showErrorsMessage(ctx);
        engine::setErrorsLogged(false);
    }
    return errors || state.warningCount > 0;
}

}  // namespace

// ---- OperationScope ----

OperationScope::OperationScope(RunState& state, QWidget* mainWindow)
    : state_(state), mainWindow_(mainWindow) {
    state_.operationRunning = true;
}

OperationScope::~OperationScope() {
    state_.operationRunning = false;
    if (finished_) {
        return;
    }
    if (window_) {
        window_->setStatus(QStringLiteral("Status: Ready!"));
        window_->showFinished(true);
    } else if (mainWindow_) {
        mainWindow_->setEnabled(true);
    }
}

void OperationScope::setWindow(RunWindow* window) {
    window_ = window;
}

void OperationScope::finish() {
    state_.operationRunning = false;
    finished_ = true;
}

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

// ---- Rows ----

QString rowPath(const platform::ListView& list, int row) {
    return list.text(row, filelists::kColumnFolder) + list.text(row, filelists::kColumnName);
}

RowSnapshot takeRowSnapshot(const platform::ListView& list) {
    RowSnapshot snapshot;
    const int count = list.rowCount();
    snapshot.order.reserve(count);
    for (int row = 0; row < count; ++row) {
        snapshot.order.append(rowPath(list, row));
    }
    const QList<int> selected = list.selectedRows();
    snapshot.selected.reserve(selected.size());
    for (const int row : selected) {
        snapshot.selected.append(snapshot.order.at(row));
    }
    return snapshot;
}

bool restoreRowOrder(platform::ListView& list, const QStringList& order) {
    const int count = list.rowCount();
    QStringList paths;
    paths.reserve(count);
    QHash<QString, int> positionOf;
    positionOf.reserve(count);
    for (int row = 0; row < count; ++row) {
        paths.append(rowPath(list, row));
    }
    // Of equal paths, the first row is the one a search from the top finds.
    for (int row = count - 1; row >= 0; --row) {
        positionOf.insert(paths.at(row), row);
    }
    QList<int> rowAt(count);
    std::iota(rowAt.begin(), rowAt.end(), 0);
    const qsizetype limit = std::min<qsizetype>(order.size(), count);
    bool moved = false;
    for (qsizetype p = 0; p < limit; ++p) {
        const auto found = positionOf.constFind(order.at(p));
        if (found == positionOf.constEnd()) {
            continue;
        }
        const int k = found.value();
        const int position = static_cast<int>(p);
        if (k == position) {
            continue;
        }
        const QString& movedIn = paths.at(rowAt.at(k));
        const QString& movedOut = paths.at(rowAt.at(position));
        std::swap(rowAt[position], rowAt[k]);
        if (positionOf.value(movedOut) == position) {
            positionOf[movedOut] = k;
        }
        positionOf[movedIn] = position;
        moved = true;
    }
    if (!moved) {
        return false;
    }
    const QList<platform::ListRow> rows = list.model()->rows;
    QList<platform::ListRow> reordered;
    reordered.reserve(count);
    for (const int row : std::as_const(rowAt)) {
        reordered.append(rows.at(row));
    }
    list.clear();
    list.addRows(reordered);
    return true;
}

void reselectRows(platform::ListView& list, const QStringList& paths) {
    if (paths.isEmpty()) {
        return;
    }
    const QSet<QString> wanted(paths.cbegin(), paths.cend());
    QItemSelection selection;
    const int count = list.rowCount();
    const int lastColumn = std::max(list.columnCount() - 1, 0);
    int first = -1;
    auto close = [&](int end) {
        if (first >= 0) {
            selection.select(list.model()->index(first, 0),
                             list.model()->index(end - 1, lastColumn));
            first = -1;
        }
    };
    for (int row = 0; row < count; ++row) {
        if (wanted.contains(rowPath(list, row))) {
            if (first < 0) {
                first = row;
            }
        } else {
            close(row);
        }
    }
    close(count);
    if (!selection.isEmpty()) {
        list.selectionModel()->select(selection,
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
}

// ---- The other source ----

void carryRenames(QStringList& entries, platform::ListView* rows,
                  const QList<CarriedRename>& renames) {
    if (renames.isEmpty() || entries.isEmpty()) {
        return;
    }
    QHash<QString, QList<int>> byFrom;
    byFrom.reserve(renames.size());
    for (int i = 0; i < renames.size(); ++i) {
        byFrom[renames.at(i).from].append(i);  // ascending journal order
    }
    // Rows by their path before any of them changes; the first of equal paths wins.
    QHash<QString, int> rowOf;
    if (rows) {
        const int count = rows->rowCount();
        rowOf.reserve(count);
        for (int row = count - 1; row >= 0; --row) {
            rowOf.insert(rowPath(*rows, row), row);
        }
    }
    for (QString& entry : entries) {
        int next = 0;
        for (;;) {
            const auto found = byFrom.constFind(entry);
            if (found == byFrom.constEnd()) {
                break;
            }
            const QList<int>& candidates = found.value();
            const auto at = std::lower_bound(candidates.cbegin(), candidates.cend(), next);
            if (at == candidates.cend()) {
                break;
            }
            const CarriedRename& rename = renames.at(*at);
            entry = rename.to;
            const int row = rowOf.value(rename.from, -1);
            if (row >= 0) {
                // Name and folder both follow, so that a row moved into (or back out of) a
                // sub-folder still names the item its work-list entry names.
                const filelists::PathParts parts = filelists::splitPath(rename.to);
                rows->setText(row, filelists::kColumnName, parts.name);
                rows->setText(row, filelists::kColumnFolder, parts.folder);
                break;
            }
            next = *at + 1;
        }
    }
}

namespace {

template <class Record>
QList<CarriedRename> journalRenames(const QList<Record>& records, qsizetype used, bool backward) {
    QList<CarriedRename> renames;
    renames.reserve(used);
    for (qsizetype i = 0; i < used; ++i) {
        const Record& record = records.at(i);
        if (record.newName.isEmpty()) {
            continue;  // an attribute or date record
        }
        const QString oldPath = record.folder + record.oldName;
        const QString newPath = record.folder + record.newName;
        renames.append(backward ? CarriedRename{newPath, oldPath}
                                : CarriedRename{oldPath, newPath});
    }
    return renames;
}

}  // namespace

QList<CarriedRename> journalFileRenames(const RunState& state, bool backward) {
    return journalRenames(state.undoFiles, state.fileRecordCount(), backward);
}

QList<CarriedRename> journalDirRenames(const RunState& state, bool backward) {
    return journalRenames(state.undoDirs, state.dirRecordCount(), backward);
}

}  // namespace runs
