#include "runs/driver.h"

#include <QCoreApplication>
#include <QHash>
#include <QItemSelection>
#include <QItemSelectionModel>
#include <QSet>

#include <algorithm>
#include <exception>
#include <numeric>

#include "engine/log.h"
#include "filelists/rowtext.h"
#include "platform/messages.h"
#include "platform/widgets/listview.h"
#include "runs/daterun.h"
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
    const int source = session.source();
    WorkLists work;
    if (source == 0) {
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
    state.chosenFolder =
        source == 0 && ctx.hooks.directoryFolder ? ctx.hooks.directoryFolder() : QString();
    work.files = ctx.lstFiles[source];
    work.dirs = ctx.lstDirs[source];
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
    return session.list() && (session.inputs().listOrderChanged || session.source() == 1 ||
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
    if (session.source() == 0) {
        session.rebuildDirectory();
    } else if (realNamingRun) {
        session.refillFreeSelect();
    }
}

// The other source's entries and rows follow the renames; an empty list has nothing to carry,
// and the journal is not walked for it.
void carryToOtherSource(RunSession& session) {
    DriverContext& ctx = session.context();
    const int other = session.otherSource();
    if (!ctx.lstFiles[other].isEmpty()) {
        carryRenames(ctx.lstFiles[other], ctx.lists[other], journalFileRenames(ctx.state, false));
    }
    if (!ctx.lstDirs[other].isEmpty()) {
        carryRenames(ctx.lstDirs[other], ctx.lists[other], journalDirRenames(ctx.state, false));
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
