// The Windows entry: wires the real backends to Main.
#include <windows.h>

#include "app/main_entry.h"
#include "app/program_state.h"
#include "platform/win32/win32_forms.h"
#include "platform/win32/win32_os.h"
#include "ui/main_window_design.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    brellix::platform::win32::Win32Os os(brellix::ui::kWindowClass);
    brellix::platform::win32::Win32Forms forms(instance);
    brellix::app::ProgramState state;
    return brellix::app::Main(os, forms, state);
}
