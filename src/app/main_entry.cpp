#include "app/main_entry.h"

#include <string>

#include "app/startup.h"
#include "platform/command_line.h"
#include "power/power_action.h"

namespace brellix::app {

MainOutcome StartFromCommandLine(platform::Os& os) {
    if (os.AnotherInstanceRunning()) return MainOutcome::AnotherInstanceRuns;

    const std::wstring commandLine = os.CommandLine();
    const std::wstring_view argumentText = platform::ArgumentTextOf(commandLine);
    if (argumentText.empty()) return MainOutcome::StartInteractive;

    // A force keyword without an action keyword has no effect.
    const auto request = power::RequestFromKeywords(argumentText);
    if (!request) return MainOutcome::StartInteractive;

    os.EndSession(*request);
    return MainOutcome::PerformedAction;
}

int Main(platform::Os& os, platform::Forms& forms, ProgramState& state) {
    if (StartFromCommandLine(os) != MainOutcome::StartInteractive) return 0;
    ui::MainWindow window(forms, os, state.schedule, state.mainWindow);
    InteractiveStartUp(os, forms, state, window);
    return forms.RunMessageLoop();
}

}  // namespace brellix::app
