// The run driver behind "Rename!" (the button, F5 and the command line): it locks the main
// window, opens the run window, resets the run state, snapshots the rows, refreshes the work
// lists, runs the naming mode (or the attribute or date run) that the selected tab and option
// choose, and afterwards rebuilds the views, carries the renames over to the other file source,
// restores the row order and the selection, enables Undo, adds to the lifetime totals and reports
// logged errors.
//
// It knows the main window only through DriverContext (runs/drivercontext.h): the lists, the
// state and the hooks the window fills in. The undo (runs/undo.h) shares the context and the
// row helpers (runs/rows.h), and with them the run session (runs/runsession.h) that opens and
// closes both.
#pragma once

#include <QString>

#include "runs/drivercontext.h"

namespace runs {

// How a call of executeRun ended, for a caller that reports it (the command line's exit
// status): no run because the validation disabled "Rename!", a run that logged neither an
// error nor a warning line, or a run with error or warning lines (items left as they were).
enum class RunOutcome { NotStarted, Clean, WithProblems };

// cmdExecute_Click. The whole run happens inside the call; it returns with the run window open
// and the main window disabled until the run window closes. A failure that escapes a step is
// logged (and reported with the errors of the run); the flags, the pointer and the windows
// still reach their end state, so the run window can always be closed.
RunOutcome executeRun(DriverContext& ctx);

// The message shown once after a run that logged errors.
inline const QString kErrorsDuringExecution = QStringLiteral("There were errors during execution!");

}  // namespace runs
