// The entry procedure: single instance, actions named on the command line, and otherwise the
// window until it is unloaded.
#pragma once

#include "app/program_state.h"
#include "platform/forms.h"
#include "platform/os.h"

namespace brellix::app {

enum class MainOutcome {
    AnotherInstanceRuns,  // ended at once, nothing looked at
    PerformedAction,      // a command-line action was requested; the process ends now
    StartInteractive,     // no action keyword: the window is to be loaded
};

// The opening steps, before any window exists.
MainOutcome StartFromCommandLine(platform::Os& os);

// The whole run: the opening steps, then the interactive start-up and the message loop until the
// window has been unloaded. Returns the process's exit code.
int Main(platform::Os& os, platform::Forms& forms, ProgramState& state);

}  // namespace brellix::app
