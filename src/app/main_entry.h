// The entry procedure: single instance, common controls, and actions named on the command line.
#pragma once

#include "app/program_state.h"
#include "platform/os.h"

namespace brellix::app {

enum class MainOutcome {
    AnotherInstanceRuns,  // ended at once, nothing looked at
    PerformedAction,      // a command-line action was requested; the process ends now
    StartInteractive,     // no action keyword: the window is to be loaded
};

MainOutcome Main(platform::Os& os, ProgramState& state);

}  // namespace brellix::app
