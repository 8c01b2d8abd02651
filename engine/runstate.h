// The run state: flags and counters that the naming engine, the file lists, the runs and the
// main window share while the program works. One instance for the program; everything that
// reads or writes a run flag goes through runState().
#pragma once

namespace engine {

struct RunState {
    // An error line was written since the current run started. Set by logError even when the
    // line itself could not be written; the run driver clears it and reports it.
    bool errorsLogged = false;
};

RunState& runState();

}  // namespace engine
