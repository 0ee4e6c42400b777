// The Windows entry: wires the real backends to Main.
#include <windows.h>

#include "app/main_entry.h"
#include "app/program_state.h"
#include "platform/win32/win32_os.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    brellix::platform::win32::Win32Os os;
    brellix::app::ProgramState state;
    switch (brellix::app::StartFromCommandLine(os, state)) {
        case brellix::app::MainOutcome::AnotherInstanceRuns:
        case brellix::app::MainOutcome::PerformedAction:
            return 0;
        case brellix::app::MainOutcome::StartInteractive:
            // The window does not exist yet: the interactive start ends here for now.
            return 0;
    }
    return 0;
}
