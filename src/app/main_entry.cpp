#include "app/main_entry.h"

#include <string>

#include "app/startup.h"
#include "platform/command_line.h"
#include "power/power_action.h"
#include "power/privileged_exit.h"

namespace brellix::app {

MainOutcome StartFromCommandLine(platform::Os& os, ProgramState& state) {
    if (os.AnotherInstanceRunning()) return MainOutcome::AnotherInstanceRuns;
    os.InitCommonControls();

    const std::wstring commandLine = os.GetCommandLineW();
    const std::wstring_view argumentText = platform::ArgumentTextOf(commandLine);
    if (argumentText.empty()) return MainOutcome::StartInteractive;

    // A force keyword without an action keyword has no effect.
    const power::KeywordRequest request = power::FlagsFromKeywords(argumentText);
    if (!request.actionFound) return MainOutcome::StartInteractive;

    power::PerformPowerAction(os, state.osvInfo, request.flags);
    return MainOutcome::PerformedAction;
}

int Main(platform::Os& os, platform::Forms& forms, ProgramState& state) {
    if (StartFromCommandLine(os, state) != MainOutcome::StartInteractive) return 0;
    ui::FrmMain frmMain(forms, os, state.osvInfo, state.schedule, state.frmMain);
    InteractiveStartUp(os, forms, state, frmMain);
    return forms.RunMessageLoop();
}

}  // namespace brellix::app
