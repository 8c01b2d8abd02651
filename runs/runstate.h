// The state one rename run, attribute run or date run shares with its undo: the journal of the
// last run, the folders it created, the counters, the flags of the running operation, the row
// snapshots and the Free Select refill lists. Memory only; one level of undo.
// (errorsLogged lives in engine/log.h, since the engine's log sets it.)
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QTypeInfo>

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <utility>

#include "platform/folderhandle.h"

namespace runs {

// One file changed by the last run.
struct FileUndoRecord {
    QString oldName;  // name before the change (no folder)
    QString newName;  // name as finally used on disk; may hold sub-folders ("sub/name")
    QString folder;   // folder before the change, with a trailing "/"
    // The folder the run acted in: the undo acts only in that very folder, never in a link
    // or another folder that took its path since. Unknown (no check) for journals of old.
    platform::fs::FolderId folderId;
    int oldAttributes = 0;  // attribute bits before an attribute run (1, 2, 4, 32)
    QString newAttribText;  // "RHSA" with "-" for clear bits, after an attribute run
    QString oldAttribText;  // the same before it
    // Whether user.DOSATTRIB existed before an attribute run: one the run made goes again.
    bool hadStoredAttributes = true;
    // Permission bits before an attribute run (read-only lives in them), so the undo gives
    // back exactly the write bits the file had; 0 when they could not be read.
    unsigned oldMode = 0;
    // Times before a date run. Besides the texts the journal keeps the exact values, so the
    // undo restores them to the nanosecond (the texts only show whole seconds).
    QString oldCreated;
    QString oldAccessed;
    QString oldModified;
    struct timespec oldCreatedExact {};
    struct timespec oldAccessedExact {};
    struct timespec oldModifiedExact {};
};

// One directory changed by the last run (date runs never touch directories).
struct DirUndoRecord {
    QString oldName;
    QString newName;
    QString folder;
    platform::fs::FolderId folderId;
    int oldAttributes = 0;
    QString newAttribText;
    QString oldAttribText;
    bool hadStoredAttributes = true;
};

// Where a folder that a rename created was made: the undo removes it only from there.
struct CreatedFolder {
    platform::fs::FolderId base;  // the item's folder, where the walk began
    qsizetype baseLength = 0;     // the length of that folder's path, with its "/"
    platform::fs::FolderId self;  // the folder made
};

}  // namespace runs

// Records hold only implicitly shared texts and plain values: a growing journal moves them
// with memcpy instead of copying every text.
Q_DECLARE_TYPEINFO(runs::FileUndoRecord, Q_RELOCATABLE_TYPE);
Q_DECLARE_TYPEINFO(runs::DirUndoRecord, Q_RELOCATABLE_TYPE);

namespace runs {

struct RunState {
    // The journal grows as changes are made, in change order: a run can never meet more items
    // than it can record. Valid records are [0, lastRunFileCount) and [0, lastRunDirCount).
    QList<FileUndoRecord> undoFiles;
    QList<DirUndoRecord> undoDirs;
    // Folders a rename created for sub-folder parts, full paths in creation order.
    QStringList createdDirs;
    // For each of them, by path: the folder it was made in and its own identity.
    QHash<QString, CreatedFolder> createdFolders;

    // The chosen folder of the last run (the Directory source's folder, with its "/"; empty
    // for Free Select): the run and its undo walk every item's folder from it.
    QString chosenFolder;

    bool lastRunChangedAttributes = false;
    bool lastRunChangedDates = false;
    std::int32_t lastRunFileCount = 0;
    std::int32_t lastRunDirCount = 0;
    // The records of the last run that exist: what an undo or a carry-over reads, never past
    // the journal whatever the counts say.
    qsizetype fileRecordCount() const {
        return std::clamp<qsizetype>(lastRunFileCount, 0, undoFiles.size());
    }
    qsizetype dirRecordCount() const {
        return std::clamp<qsizetype>(lastRunDirCount, 0, undoDirs.size());
    }

    std::int32_t filesRenamedCount = 0;
    std::int32_t dirsRenamedCount = 0;
    std::int32_t warningCount = 0;

    bool simulationMode = false;
    bool cancelRequested = false;
    bool operationRunning = false;
    bool undoInProgress = false;

    // Full paths of the current source's rows when the run started, in display order; the
    // rename rewrites orderSnapshot and reselectList entries as it renames.
    QStringList orderSnapshot;
    QStringList selectedSnapshot;
    QStringList reselectList;
    bool onlySelectedInForce = false;

    // Free Select only: the paths the list is rebuilt from after a real naming run.
    QStringList dragDropRefillFiles;
    QStringList dragDropRefillDirs;

    // Lifetime totals (also in the settings); they saturate instead of wrapping.
    std::int32_t totNumberOfFilesRenamedNew = 0;
    std::int32_t totNumberOfDirsRenamedNew = 0;
};

// Puts the record of the `count`-th change of a run at count - 1, growing the journal as needed.
template <class Record>
void putJournalRecord(QList<Record>& journal, std::int32_t count, Record record) {
    const qsizetype index = count - 1;
    if (journal.size() <= index) {
        if (journal.capacity() <= index) {
            journal.reserve(std::max<qsizetype>(index + 1, journal.capacity() * 2));
        }
        journal.resize(index + 1);
    }
    journal[index] = std::move(record);
}

// Adds `delta` (may be negative) to a lifetime total, saturating at the 32-bit limits.
std::int32_t addSaturating(std::int32_t total, std::int64_t delta);

}  // namespace runs
