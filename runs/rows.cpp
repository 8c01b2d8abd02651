#include "runs/rows.h"

#include <QHash>
#include <QItemSelection>
#include <QItemSelectionModel>
#include <QSet>

#include <algorithm>
#include <utility>

#include "filelists/rowtext.h"
#include "platform/widgets/listview.h"
#include "runs/runstate.h"

namespace runs {

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
    list.addRows(std::move(reordered));
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
