// The rows of a source's list as the run and the undo see them: their paths, their order and
// selection kept and given back, and the renames carried over to the other source.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace platform {
class ListView;
}

namespace runs {

struct RunState;

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
