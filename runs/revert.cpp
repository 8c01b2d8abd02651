#include "runs/revert.h"

#include <exception>

#include "engine/log.h"
#include "platform/filesystem.h"
#include "platform/programfolder.h"
#include "runs/attribrun.h"
#include "runs/daterun.h"
#include "runs/executors.h"
#include "runs/rename.h"
#include "runs/runstate.h"

namespace runs {

namespace fs = platform::fs;

namespace {

// The undo never simulates: every line goes to the run window and to log.txt.
void report(RunContext& ctx, const QString& line) {
    ctx.report.addLine(line);
    engine::logRun(line);
}

// The write bits of a file whose read-only bit the run changed: setting the bit back clears
// or adds only the owner's, so the recorded permissions are put back whole.
void restoreMode(int folder, const FileUndoRecord& record) {
    if (record.oldMode != 0) {
        // Never through a link that took the file's place meanwhile.
        fs::setPermissionsAt(folder, platform::nativePath(record.oldName), record.oldMode);
    }
}
void restoreMode(int, const DirUndoRecord&) {}

// Puts one item's four bits back; the record's texts are those of the run, reversed.
template <class Record>
void revertAttributeRecord(RunContext& ctx, const Record& record, bool isDir) {
    const QString tail = record.oldName + QStringLiteral(" [") + record.newAttribText +
                         QStringLiteral("] -> [") + record.oldAttribText + QStringLiteral("]");
    QString reason;
    try {
        const platform::Result<const fs::FolderHandle*> folder =
            itemFolder(ctx, record.folder, record.folderId);
        const int folderFd = folder ? (*folder)->fd() : -1;
        const platform::Status status =
            folder ? fs::setAttributesAt(
                         folderFd, platform::nativePath(record.oldName),
                         static_cast<std::uint32_t>(record.oldAttributes) & kAttribRunBits,
                         !record.hadStoredAttributes)
                   : folder.status();
        reason = QString::fromStdString(status.reason());
        if (status) {
            restoreMode(folderFd, record);
            report(ctx, (isDir ? QStringLiteral("Directory Attribute Changed: ")
                               : QStringLiteral("File Attribute Changed: ")) +
                            tail);
            RunState& state = ctx.state;
            if (isDir) {
                ++state.dirsRenamedCount;
                ctx.report.setDirsCount(state.dirsRenamedCount, kDirsChangedSuffix);
            } else {
                ++state.filesRenamedCount;
                ctx.report.setFilesCount(state.filesRenamedCount, kFilesChangedSuffix);
            }
            return;
        }
    } catch (const std::exception& failure) {
        reason = QString::fromLocal8Bit(failure.what());
    }
    report(ctx, withReason((isDir ? QStringLiteral("WARNING! Dir attribute change failed: ")
                                  : QStringLiteral("WARNING! File attribute change failed: ")) +
                               tail,
                           reason));
    countWarning(ctx);
}

struct TimeLine {
    QString changed;
    QString failed;
    const QString FileUndoRecord::*restoredText;
    const struct timespec fs::FileTimes::*current;
};
const TimeLine kTimeLines[] = {
    {QStringLiteral("File Created Date Changed: "),
     QStringLiteral("WARNING! Change File Created Date Failed: "), &FileUndoRecord::oldCreated,
     &fs::FileTimes::created},
    {QStringLiteral("File Accessed Date Changed: "),
     QStringLiteral("WARNING! Change File Accessed Date Failed: "), &FileUndoRecord::oldAccessed,
     &fs::FileTimes::accessed},
    {QStringLiteral("File Modified Date Changed: "),
     QStringLiteral("WARNING! Change File Modified Date Failed: "), &FileUndoRecord::oldModified,
     &fs::FileTimes::modified},
};

void revertDateRecord(RunContext& ctx, const platform::LocalClock& clock,
                      const FileUndoRecord& record) {
    FileDatesOutcome outcome;
    try {
        const platform::Result<const fs::FolderHandle*> folder =
            itemFolder(ctx, record.folder, record.folderId);
        if (folder) {
            outcome = restoreFileDates((*folder)->fd(), record.oldName, record.oldCreatedExact,
                                       record.oldAccessedExact, record.oldModifiedExact);
        } else {
            outcome.failure = QString::fromStdString(folder.reason());
        }
    } catch (const std::exception& failure) {
        outcome = FileDatesOutcome();
        outcome.failure = QString::fromLocal8Bit(failure.what());
    }
    const QString item = (ctx.showFullPath ? record.folder : QString()) + record.oldName;
    bool warned = false;
    for (const TimeLine& time : kTimeLines) {
        const bool isCreated = time.current == &fs::FileTimes::created;
        QString current = kUnknownTimeText;
        if (outcome.read && (!isCreated || outcome.before.hasCreated)) {
            current = fileTimeText(clock, outcome.before.*time.current);
        }
        QString restored = record.*time.restoredText;
        if (restored.isEmpty()) {
            restored = kUnknownTimeText;
        }
        const QString tail = item + QStringLiteral(" [") + current + QStringLiteral("] --> [") +
                             restored + QStringLiteral("]");
        QString reason = outcome.failure;
        if (outcome.read) {
            reason = QString::fromStdString(isCreated ? outcome.createdWritten.reason()
                                                      : outcome.written.reason());
        }
        if (reason.isEmpty()) {
            report(ctx, time.changed + tail);
        } else {
            report(ctx, withReason(time.failed + tail, reason));
            warned = true;
        }
    }
    if (outcome.read && outcome.written) {
        ++ctx.state.filesRenamedCount;
        ctx.report.setFilesCount(ctx.state.filesRenamedCount, kFilesChangedSuffix);
    }
    if (warned) {
        countWarning(ctx);
    }
}

}  // namespace

void revertAttributes(RunContext& ctx) {
    const RunState& state = ctx.state;
    for (qsizetype i = state.dirRecordCount() - 1; i >= 0; --i) {
        revertAttributeRecord(ctx, state.undoDirs[i], true);
        updateProgress(ctx);
    }
    for (qsizetype i = state.fileRecordCount() - 1; i >= 0; --i) {
        revertAttributeRecord(ctx, state.undoFiles[i], false);
        updateProgress(ctx);
    }
}

void revertDates(RunContext& ctx) {
    const RunState& state = ctx.state;
    const platform::LocalClock clock;
    for (qsizetype i = state.fileRecordCount() - 1; i >= 0; --i) {
        revertDateRecord(ctx, clock, state.undoFiles[i]);
        updateProgress(ctx);
    }
}

bool revertAttribOrDateRun(RunContext& ctx) {
    if (!ctx.state.lastRunChangedAttributes) {
        return false;
    }
    if (ctx.state.lastRunChangedDates) {
        revertDates(ctx);
    } else {
        revertAttributes(ctx);
    }
    return true;
}

}  // namespace runs
