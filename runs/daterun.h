// The date run of the Attrib tab and the file-time service behind it and its reversal.
//
// The run gives the chosen times (created, accessed, modified) of every included file a new
// date, a new time of day, or both, in local calendar terms, and leaves every time that was
// not chosen exactly as it is. The journal keeps the texts the lines show (whole seconds) and
// the exact previous values, so that the undo puts the times back to the nanosecond.
// Directories are never touched.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QTime>

#include <ctime>
#include <optional>

#include "platform/filesystem.h"
#include "platform/folderhandle.h"
#include "platform/localclock.h"
#include "platform/result.h"
#include "runs/attribrun.h"

namespace runs {

struct RunContext;

// The text of one file time in local time: the user's short date form and the long time form
// joined by one blank. A time the file system does not record (created == zero with hasCreated
// false) has no text; the lines show "?" for it. A run converts through one clock.
QString fileTimeText(const platform::LocalClock& clock, const struct timespec& when);
QString fileTimeText(const struct timespec& when);
// The text that stands in a line for a date, a time of day or a whole time that is unknown.
inline const QString kUnknownTimeText = QStringLiteral("?");

// What the date run asks of every file.
struct DateChange {
    bool created = false;
    bool accessed = false;
    bool modified = false;
    // Set: every chosen time takes this date (respectively time of day); empty: each keeps
    // its own.
    std::optional<QDate> date;
    std::optional<QTime> time;  // whole seconds
};
// The change that `options` (the date alternative of the Attrib tab) asks for.
DateChange dateChangeFrom(const AttribOptions& options);

// One chosen time after the change, computed in local time: the date and the time of day are
// replaced as asked; a kept time of day keeps its fraction of a second, a new one has none.
// A local time that does not exist (a daylight-saving gap) moves forward past the gap.
struct timespec changedTime(const platform::LocalClock& clock, const struct timespec& old,
                            const DateChange& change);
struct timespec changedTime(const struct timespec& old, const DateChange& change);

// The outcome of setFileDates for one file.
struct FileDatesOutcome {
    // The times could be read; otherwise `failure` says why and nothing was written.
    bool read = false;
    platform::fs::FileTimes before;  // as read, when `read`
    platform::fs::FileTimes after;   // `before` with the chosen times changed
    // The write of the accessed and modified times (success when neither was chosen or in
    // simulation), and the write of the created time (success when it was not chosen). On
    // Linux a chosen created time always fails here with the platform's reason, while the
    // other chosen times are still written.
    platform::Status written = platform::Status::success();
    platform::Status createdWritten = platform::Status::success();
    // Why the times could not be read (the path is missing or is a directory, ...).
    QString failure;
    // The folder the file was found in, as walked for the run.
    platform::fs::FolderId folder;

    // At least one chosen time was written (or, in simulation, would have been).
    bool changedAny(const DateChange& change) const;
};

// Reads the three times of the file `name` in the open folder `folder` (a handle itemFolder
// walked, so no folder swapped for a link on the way redirects it) and, unless `simulate`, writes
// the chosen ones (only those: null pointers leave the others exactly as they are). Attributes are
// never cleared or restored around the write: a read-only file takes new times as it is. In
// simulation nothing on disk is touched; the created time reports the failure a real run
// would meet. A symbolic link takes the new times itself; its target is never read or
// changed. Never fails its caller: the outcome says what happened.
FileDatesOutcome setFileDates(const platform::LocalClock& clock, int folder, const QString& name,
                              const DateChange& change, bool simulate);

// Puts the accessed and modified times of the file `name` in the open folder `folder` back to
// exactly `accessed` and `modified`. The created time cannot be written on Linux: when the file's
// current created time already equals `created` (or neither is recorded) that counts as restored,
// otherwise the outcome's createdWritten carries the platform's reason. `before` receives the times
// the file had before the call.
FileDatesOutcome restoreFileDates(int folder, const QString& name, const struct timespec& created,
                                  const struct timespec& accessed, const struct timespec& modified);

// The date run over the current source's file list, first to last; directories are never
// touched. Per included file, for each chosen time in the order created, accessed, modified:
//   "File Created Date Changed: <prefix><name> [<old date> <old time>] --> [<new>]"
// ("File Accessed Date Changed: ", "File Modified Date Changed: "), where <new> is the new
// date (or the file's own) and the new time (or the file's own), to the run window and, unless
// simulating, to log.txt; the folder is the prefix when ctx.showFullPath is set. A file with at
// least one time written counts once in filesRenamedCount (" Files Changed.") and gets one
// journal record: oldName, folder, the three old texts and the three exact old values, whichever
// times were chosen; also in simulation.
// A time that fails gets the line "WARNING! Change File <Created|Accessed|Modified> Date
// Failed: " with the same tail followed by " (<reason>)" instead; a file with any failed time
// counts one warning. So on Linux a chosen created time is always such a warning, while the
// file's other chosen times still change. When a file's times could not be read (it vanished)
// every chosen time gets the warning line with "?" for what is unknown, never another file's
// values.
// Every entry takes one progress step; a cancel seen after an entry ends the loop. At the
// start lastRunChangedAttributes := true, lastRunChangedDates := true and the labels read
// "0 Files Changed." and "0 Directories Changed."; at the end lastRunFileCount takes the
// counter and lastRunDirCount := 0.
void executeDate(RunContext& ctx, const QStringList& files, const AttribOptions& options);

}  // namespace runs
