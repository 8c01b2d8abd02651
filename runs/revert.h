// The reversal of an attribute run and of a date run, for the undo of the last run. Both walk
// the journal within the last-run counts, leave it as it is, write one line per restored item
// (or a warning) to the run window and log.txt, and take one progress step per record. The
// undo has reset the counters and set up the run window before; it never cancels them.
#pragma once

namespace runs {

struct RunContext;

// Both walk the journal last to first, the exact reverse of the run: two paths of one file
// (hard links) are journalled one after the other, the second with what the first change had
// just written, so only the reverse order leaves every entry exactly as before the run.
//
// Gives every journalled directory and then every journalled file (each last to first)
// exactly its previous read-only, hidden, system and archive bits; no other attribute
// changes. A stored user.DOSATTRIB that the run created where there was none goes again. Lines name
// the item alone, with the run's texts reversed:
//   "File Attribute Changed: <name> [<run's new>] -> [<restored>]"
//   "Directory Attribute Changed: ..."; a failure: "WARNING! File attribute change failed: "
//   / "WARNING! Dir attribute change failed: " with the same tail and " (<reason>)".
// Each restored item raises filesRenamedCount or dirsRenamedCount (labels " Files Changed." /
// " Directories Changed."); each failure raises warningCount.
void revertAttributes(RunContext& ctx);

// Gives every journalled file (last to first) its three previous times back, to the nanosecond (the
// created time cannot be written on Linux; it counts as restored when it is unchanged, which a date
// run always leaves it). Three lines per file, whichever times the run changed:
//   "File Created Date Changed: <prefix><name> [<time before the undo>] --> [<restored>]"
// (Accessed, Modified likewise), the folder as prefix when ctx.showFullPath is set. A time
// that could not be restored gets "WARNING! Change File <Created|Accessed|Modified> Date
// Failed: " with the same tail and " (<reason>)"; a file that could not be read (deleted since
// the run) gets the three warning lines with "?" for its unknown current times. A file with
// any warning counts one warning; a file whose accessed and modified times were restored
// counts in filesRenamedCount.
void revertDates(RunContext& ctx);

// The reversal that the last run needs: revertDates after a date run, revertAttributes after
// an attribute run. False (and nothing done) after a naming run, which the rename reversal
// puts back instead.
bool revertAttribOrDateRun(RunContext& ctx);

}  // namespace runs
