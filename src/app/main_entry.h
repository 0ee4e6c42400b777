// The entry procedure: single instance, actions named on the command line, and otherwise the
// window until it is unloaded.
#pragma once

#include <string_view>

#include "app/program_state.h"
#include "platform/forms.h"
#include "platform/os.h"

namespace brellix::app {

// The process's exit status: what a script or scheduled job can rely on.
enum ExitStatus : int {
    kExitDone = 0,               // the window ran, or the action was accepted
    kExitRefused = 1,            // the system refused the action
    kExitAnotherInstance = 2,    // another instance runs: the action was not performed, or its
                                 // window could not be shown
    kExitNoDisplay = 3,          // no action keyword, and no display to show the window on
};

enum class MainOutcome {
    AnotherInstanceRuns,  // ended at once: its window asked to show itself, nothing performed
    PerformedAction,      // a command-line action was requested; the process ends now
    StartInteractive,     // no action keyword: the window is to be loaded
};

// Started at the user's login: the window stays hidden behind the tray icon.
inline constexpr std::wstring_view kAtLoginArgument = L"--autostart";

struct Start {
    MainOutcome outcome = MainOutcome::StartInteractive;
    int exitStatus = kExitDone;
    bool atLogin = false;  // with StartInteractive: started with --autostart
};

// The opening steps, before any window exists.
Start StartFromCommandLine(platform::Os& os);

// The whole run: the opening steps, then the interactive start-up and the message loop until the
// window has been unloaded. Returns the process's exit status.
int Main(platform::Os& os, platform::Forms& forms, ProgramState& state);

}  // namespace brellix::app
