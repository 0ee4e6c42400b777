#include "app/main_entry.h"

#include <string>

#include "app/startup.h"
#include "platform/command_line.h"
#include "power/power_action.h"

namespace brellix::app {

Start StartFromCommandLine(platform::Os& os) {
    const bool anotherInstance = os.AnotherInstanceRunning();
    const std::wstring commandLine = os.CommandLine();
    // A force keyword without an action keyword has no effect.
    const auto request = power::RequestFromKeywords(platform::ArgumentTextOf(commandLine));

    if (anotherInstance) {
        // A script must learn that nothing was done; a user who started it again wants the window.
        if (request) {
            os.ReportOnTerminal(L"already running; the action was not performed");
            return Start{MainOutcome::AnotherInstanceRuns, kExitAnotherInstance};
        }
        if (os.WakeRunningInstance()) return Start{MainOutcome::AnotherInstanceRuns, kExitDone};
        os.ReportOnTerminal(L"already running, but without a window to show (it performs an action)");
        return Start{MainOutcome::AnotherInstanceRuns, kExitAnotherInstance};
    }
    if (!request) {
        return Start{MainOutcome::StartInteractive, kExitDone,
                     platform::NamesArgument(platform::ArgumentTextOf(commandLine), kAtLoginArgument)};
    }
    const platform::SessionEndResult result = os.EndSession(*request);
    return Start{MainOutcome::PerformedAction, result.accepted ? kExitDone : kExitRefused};
}

int Main(platform::Os& os, platform::Forms& forms, ProgramState& state) {
    const Start start = StartFromCommandLine(os);
    if (start.outcome != MainOutcome::StartInteractive) return start.exitStatus;
    if (const auto why = forms.WhyNoWindowCanShow()) {
        os.ReportOnTerminal(*why);
        return kExitNoDisplay;
    }
    ui::MainWindow window(forms, os, state.schedule, state.mainWindow);
    InteractiveStartUp(os, forms, state, window, start.atLogin);
    return forms.RunMessageLoop();
}

}  // namespace brellix::app
