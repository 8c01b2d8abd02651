// The undo of the last run (cmdUndo_Click): after the user confirms, it puts the last run back
// from the journal (renames, or the attributes or file times of an Attrib-tab run), removes the
// sub-folders the run created, rebuilds the current source's list and gives its rows back their
// order and selection. One level only: Undo ends disabled, so a journal is never played twice.
#pragma once

#include <QString>

#include "runs/drivercontext.h"

namespace runs {

inline const QString kUndoQuestion = QStringLiteral("Undo last operation?");

// Asks kUndoQuestion (Yes/No, titled ctx.appName) through platform::messages(); any answer
// but Yes changes nothing and returns false. Otherwise the whole undo happens inside the call,
// which returns true with the run window open and the main window disabled until it closes.
// The journal is read within the last-run counts and the records that exist; it is left as it
// is. A failure that escapes a step is logged and the clean-up goes on, so the flags, the
// pointer and the windows always reach their end state and Undo ends disabled.
bool undoLastRun(DriverContext& ctx);

// A reversal that must wait: its old name is taken by a folder the run created.
struct DeferredReversal {
    bool directory = false;
    QString folder;
    QString newName;
    QString oldName;
    platform::fs::FolderId folderId;
};

// The rename reversal: the directory records last to first, then the file records last to
// first (the exact reverse of the run, so a chain such as b -> c then a -> b comes back), each
// renamed from its final name to exactly its recorded old name, with one progress step per
// record. In the Free Select source the refill lists follow the items that were put back
// (only those: an item that stayed keeps its entry as it is). A record whose old name is now
// a folder the run created is not tried: it is returned, in order, for
// finishDeferredReversals once the created folders are removed.
QList<DeferredReversal> reverseRenames(RunContext& run);
void finishDeferredReversals(RunContext& run, const QList<DeferredReversal>& deferred);

}  // namespace runs
