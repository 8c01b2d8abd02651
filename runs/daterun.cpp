#include "runs/daterun.h"

#include <QDateTime>
#include <QStringBuilder>

#include <algorithm>
#include <exception>
#include <iterator>
#include <optional>
#include <thread>
#include <vector>

#include "filelists/rowtext.h"
#include "platform/localclock.h"
#include "platform/localetext.h"
#include "platform/programfolder.h"
#include "runs/blockwalk.h"
#include "runs/executors.h"
#include "runs/rename.h"
#include "runs/runstate.h"

namespace runs {

namespace fs = platform::fs;

namespace {

// What a real run meets on this system when it writes a created time; a simulation reports it
// without trying.
const QString kCreatedTimeUnsettable = QStringLiteral("Linux cannot set a file's creation time");

// A local date and time of day as seconds since the epoch. A local time skipped by a
// daylight-saving change: counted from the start of that day, it lands as far past the gap as
// it lies inside it.
qint64 toEpoch(const platform::LocalClock& clock, const QDate& date, const QTime& time) {
    const platform::LocalClock::Instant instant = clock.toEpoch(date, time);
    if (instant.valid) {
        return instant.seconds;
    }
    return date.startOfDay(Qt::LocalTime).addSecs(QTime(0, 0).secsTo(time)).toSecsSinceEpoch();
}

bool sameTime(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// The entry as the time service accepts it: a regular file, or a symbolic link, whose own
// times change (never its target's, which lies beyond the item listed).
QString fileProblem(const fs::EntryTimes& entry) {
    if (entry.isLink) {
        return {};
    }
    switch (entry.kind) {
        case fs::Kind::File:
            return {};
        case fs::Kind::Missing:
            return QStringLiteral("the file no longer exists");
        case fs::Kind::Directory:
            return QStringLiteral("it is a folder, not a file");
        case fs::Kind::Other:
            break;
    }
    return QStringLiteral("it is not a regular file");
}

// The texts of the three times in line order.
enum TimeIndex { kCreated, kAccessed, kModified };
constexpr TimeIndex kTimeOrder[] = {kCreated, kAccessed, kModified};

bool chosen(const DateChange& change, TimeIndex which) {
    switch (which) {
        case kCreated:
            return change.created;
        case kAccessed:
            return change.accessed;
        case kModified:
            return change.modified;
    }
    return false;
}

QString changedHead(TimeIndex which) {
    switch (which) {
        case kCreated:
            return QStringLiteral("File Created Date Changed: ");
        case kAccessed:
            return QStringLiteral("File Accessed Date Changed: ");
        case kModified:
            break;
    }
    return QStringLiteral("File Modified Date Changed: ");
}

QString failedHead(TimeIndex which) {
    switch (which) {
        case kCreated:
            return QStringLiteral("WARNING! Change File Created Date Failed: ");
        case kAccessed:
            return QStringLiteral("WARNING! Change File Accessed Date Failed: ");
        case kModified:
            break;
    }
    return QStringLiteral("WARNING! Change File Modified Date Failed: ");
}

// The date and time-of-day texts of one time as the file has it, "?" where it is not known.
struct OldTexts {
    QString date = kUnknownTimeText;
    QString time = kUnknownTimeText;
    QString joined() const {
        return date == kUnknownTimeText && time == kUnknownTimeText
                   ? kUnknownTimeText
                   : date + QStringLiteral(" ") + time;
    }
};

OldTexts oldTexts(const platform::LocalClock& clock, const FileDatesOutcome& outcome,
                  TimeIndex which) {
    OldTexts texts;
    if (!outcome.read || (which == kCreated && !outcome.before.hasCreated)) {
        return texts;
    }
    const struct timespec& when = which == kCreated    ? outcome.before.created
                                  : which == kAccessed ? outcome.before.accessed
                                                       : outcome.before.modified;
    const platform::LocalClock::Local local = clock.toLocal(when.tv_sec);
    texts.date = clock.dateText(local.date);
    texts.time = clock.timeText(local.time);
    return texts;
}

// The line of one time, made in one piece: tens of thousands of them are made in a run.
QString timeLine(const QString& head, const QString& item, const QString& oldText,
                 const QString& newText) {
    return head % item % u" [" % oldText % u"] --> [" % newText % u']';
}

// The texts of the new date and time, the same for every file of a run.
struct NewTexts {
    QString date;
    QString time;
    QString both;  // what the lines show when the run sets date and time alike

    NewTexts(const platform::LocalClock& clock, const DateChange& change)
        : date(change.date ? clock.dateText(*change.date) : QString()),
          time(change.time ? clock.timeText(*change.time) : QString()),
          both(QString(date % u' ' % time).trimmed()) {}

    QString shown(const DateChange& change, const OldTexts& old) const {
        if (change.date && change.time) {
            return both;
        }
        return QString((change.date ? date : old.date) % u' ' % (change.time ? time : old.time))
            .trimmed();
    }
};

// The lines of one file of the run, its count, its journal record and its warning.
void reportFile(RunContext& ctx, const platform::LocalClock& clock, const NewTexts& texts,
                const filelists::PathParts& parts, const DateChange& change,
                const FileDatesOutcome& outcome) {
    const QString item = (ctx.showFullPath ? parts.folder : QString()) + parts.name;
    bool warned = false;
    // The old texts of the chosen times, which the journal keeps as well.
    QString oldJoined[std::size(kTimeOrder)];
    for (const TimeIndex which : kTimeOrder) {
        if (!chosen(change, which)) {
            continue;
        }
        const OldTexts old = oldTexts(clock, outcome, which);
        const QString shown = texts.shown(change, old);
        oldJoined[which] = old.joined();
        QString reason;
        if (!outcome.read) {
            reason = outcome.failure;
        } else if (which == kCreated) {
            reason = QString::fromStdString(outcome.createdWritten.reason());
        } else {
            reason = QString::fromStdString(outcome.written.reason());
        }
        if (reason.isEmpty()) {
            reportLine(ctx, timeLine(changedHead(which), item, oldJoined[which], shown));
        } else {
            reportLine(ctx, withReason(timeLine(failedHead(which), item, oldJoined[which], shown),
                                       reason));
            warned = true;
        }
    }
    if (outcome.changedAny(change)) {
        RunState& state = ctx.state;
        ++state.filesRenamedCount;
        ctx.report.setFilesCount(state.filesRenamedCount, kFilesChangedSuffix);
        FileUndoRecord record;
        record.oldName = parts.name;
        record.folder = parts.folder;
        record.folderId = outcome.folder;
        const platform::fs::FileTimes& before = outcome.before;
        // A time whose line was made has its text already (the file was read, so it is known).
        const auto timeText = [&](TimeIndex which, const struct timespec& when) {
            return oldJoined[which].isNull() ? fileTimeText(clock, when) : oldJoined[which];
        };
        record.oldCreated = before.hasCreated ? timeText(kCreated, before.created) : QString();
        record.oldAccessed = timeText(kAccessed, before.accessed);
        record.oldModified = timeText(kModified, before.modified);
        record.oldCreatedExact = before.created;
        record.oldAccessedExact = before.accessed;
        record.oldModifiedExact = before.modified;
        putJournalRecord(state.undoFiles, state.filesRenamedCount, std::move(record));
    }
    if (warned) {
        countWarning(ctx);
    }
}

// One file of the date run: what this thread found before the change, and what came of it.
struct DateSlot {
    filelists::PathParts parts;
    bool included = false;
    int folder = -1;  // the open folder; -1 when the outcome already says why there is none
    FileDatesOutcome outcome;
};

FileDatesOutcome failedWith(const std::exception& failure) {
    // Out of memory and the like: this file is a warning, the run goes on.
    FileDatesOutcome unknown;
    unknown.failure = QString::fromLocal8Bit(failure.what());
    return unknown;
}

}  // namespace

QString fileTimeText(const platform::LocalClock& clock, const struct timespec& when) {
    const platform::LocalClock::Local local = clock.toLocal(when.tv_sec);
    return clock.dateText(local.date) + QStringLiteral(" ") + clock.timeText(local.time);
}

QString fileTimeText(const struct timespec& when) {
    return fileTimeText(platform::LocalClock(), when);
}

DateChange dateChangeFrom(const AttribOptions& options) {
    DateChange change;
    change.created = options.chkDateCreated;
    change.accessed = options.chkDateAccessed;
    change.modified = options.chkDateModified;
    if (options.chkDateDate && options.dtDate.isValid()) {
        change.date = options.dtDate;
    }
    if (options.chkDateTime && options.dtTime.isValid()) {
        const QTime& t = options.dtTime;
        change.time = QTime(t.hour(), t.minute(), t.second());
    }
    return change;
}

struct timespec changedTime(const platform::LocalClock& clock, const struct timespec& old,
                            const DateChange& change) {
    struct timespec result {};
    result.tv_nsec = change.time ? 0 : old.tv_nsec;
    const platform::LocalClock::Local before =
        change.date && change.time ? platform::LocalClock::Local() : clock.toLocal(old.tv_sec);
    const QDate date = change.date.value_or(before.date);
    QTime time = before.time;
    if (change.time) {
        time = QTime(change.time->hour(), change.time->minute(), change.time->second());
    }
    result.tv_sec = static_cast<time_t>(toEpoch(clock, date, time));
    return result;
}

struct timespec changedTime(const struct timespec& old, const DateChange& change) {
    return changedTime(platform::LocalClock(), old, change);
}

bool FileDatesOutcome::changedAny(const DateChange& change) const {
    return read && written.ok() && (change.accessed || change.modified);
}

// Reads the file's times into `outcome` (before and after alike) with one look at the entry;
// false, with the reason in `outcome.failure`, when the file cannot be read.
static bool readTimes(int folder, const std::string& name, FileDatesOutcome& outcome) {
    const platform::Result<fs::EntryTimes> entry = fs::entryTimesAt(folder, name);
    // An entry that cannot be examined reads as one that is gone.
    const QString problem = fileProblem(entry ? *entry : fs::EntryTimes());
    if (!problem.isEmpty()) {
        outcome.failure = problem;
        return false;
    }
    outcome.read = true;
    outcome.before = entry->times;
    outcome.after = entry->times;
    return true;
}

FileDatesOutcome setFileDates(const platform::LocalClock& clock, int folder, const QString& name,
                              const DateChange& change, bool simulate) {
    FileDatesOutcome outcome;
    const std::string native = platform::nativePath(name);
    if (!readTimes(folder, native, outcome)) {
        return outcome;
    }
    if (change.created) {
        outcome.after.created = changedTime(clock, outcome.before.created, change);
    }
    if (change.accessed) {
        outcome.after.accessed = changedTime(clock, outcome.before.accessed, change);
    }
    if (change.modified) {
        outcome.after.modified = changedTime(clock, outcome.before.modified, change);
    }
    if (simulate) {
        if (change.created) {
            outcome.createdWritten =
                platform::Status::failure(kCreatedTimeUnsettable.toStdString());
        }
        return outcome;
    }
    if (change.accessed || change.modified) {
        outcome.written = fs::setFileTimesAt(folder, native, nullptr,
                                             change.accessed ? &outcome.after.accessed : nullptr,
                                             change.modified ? &outcome.after.modified : nullptr);
    }
    if (change.created) {
        outcome.createdWritten =
            fs::setFileTimesAt(folder, native, &outcome.after.created, nullptr, nullptr);
    }
    return outcome;
}

FileDatesOutcome restoreFileDates(int folder, const QString& name, const struct timespec& created,
                                  const struct timespec& accessed,
                                  const struct timespec& modified) {
    FileDatesOutcome outcome;
    const std::string native = platform::nativePath(name);
    if (!readTimes(folder, native, outcome)) {
        return outcome;
    }
    outcome.after.accessed = accessed;
    outcome.after.modified = modified;
    outcome.written = fs::setFileTimesAt(folder, native, nullptr, &accessed, &modified);
    const struct timespec none {};
    const bool createdAsRecorded = outcome.before.hasCreated
                                       ? sameTime(outcome.before.created, created)
                                       : sameTime(created, none);
    if (!createdAsRecorded) {
        outcome.after.created = created;
        outcome.createdWritten = fs::setFileTimesAt(folder, native, &created, nullptr, nullptr);
    }
    return outcome;
}

void executeDate(RunContext& ctx, const QStringList& files, const AttribOptions& options) {
    RunState& state = ctx.state;
    ctx.report.setFilesCount(0, kFilesChangedSuffix);
    ctx.report.setDirsCount(0, kDirsChangedSuffix);
    state.lastRunChangedAttributes = true;
    state.lastRunChangedDates = true;

    const DateChange change = dateChangeFrom(options);
    const platform::LocalClock clock;
    const NewTexts texts(clock, change);
    if (change.date && change.time) {
        (void)clock.toEpoch(*change.date, *change.time);  // worked out once, for every copy
    }
    // What the helper threads copy their clocks from: never used itself, so copying it races
    // with nothing, while the run's thread converts through `clock` as it reports.
    const platform::LocalClock prototype = clock;
    const bool simulate = state.simulationMode;
    const std::thread::id runThread = std::this_thread::get_id();
    std::vector<DateSlot> items(walkSlots(files.size()));

    BlockSteps steps;
    steps.folderOf = [&](qsizetype i) { return filelists::folderPart(files[i]); };
    steps.prepare = [&](qsizetype i, std::size_t at) {
        DateSlot& slot = items[at];
        slot = DateSlot();
        try {
            slot.parts = filelists::splitPath(files[i]);
            slot.included = isIncluded(ctx, files[i]);  // the entry is the item's folder and name
            if (!slot.included) {
                return;
            }
            const platform::Result<const fs::FolderHandle*> folder =
                itemFolder(ctx, slot.parts.folder);
            if (folder) {
                slot.folder = (*folder)->fd();
                slot.outcome.folder = (*folder)->id();
            } else {
                slot.outcome.failure = QString::fromStdString(folder.reason());
            }
        } catch (const std::exception& failure) {
            slot.included = true;
            slot.folder = -1;
            slot.outcome = failedWith(failure);
        }
    };
    steps.act = [&](std::size_t from, std::size_t to) {
        // A clock keeps what it worked out: each helper thread converts through its own copy;
        // the run's thread acts only while it reports nothing.
        std::optional<platform::LocalClock> own;
        if (std::this_thread::get_id() != runThread) {
            own.emplace(prototype);
        }
        for (std::size_t at = from; at < to; ++at) {
            DateSlot& slot = items[at];
            if (!slot.included || slot.folder < 0) {
                continue;
            }
            const fs::FolderId folder = slot.outcome.folder;
            try {
                slot.outcome = setFileDates(own ? *own : clock, slot.folder, slot.parts.name,
                                            change, simulate);
                slot.outcome.folder = folder;
            } catch (const std::exception& failure) {
                slot.outcome = failedWith(failure);
            }
        }
    };
    steps.report = [&](qsizetype, std::size_t at) {
        DateSlot& slot = items[at];
        if (!slot.included) {
            return;
        }
        try {
            reportFile(ctx, clock, texts, slot.parts, change, slot.outcome);
        } catch (const std::exception& failure) {
            reportFile(ctx, clock, texts, slot.parts, change, failedWith(failure));
        }
    };
    walkInBlocks(ctx, files.size(), steps);
    state.lastRunFileCount = state.filesRenamedCount;
    state.lastRunDirCount = 0;
}

}  // namespace runs
