// Main's continuation when the command line names no action: the window, the icon, the position.
#pragma once

#include "app/program_state.h"
#include "platform/forms.h"
#include "platform/os.h"
#include "ui/main_window.h"

namespace brellix::app {

// Loads the main window (its load event runs), shows the tray icon, makes a close request hide
// the window, puts the window at its saved position, keeps it on top and shows it; at login, only
// the icon, unless no tray shows it. With Daily on, arms at once.
void InteractiveStartUp(platform::Os& os, platform::Forms& forms, ProgramState& state, ui::MainWindow& window,
                        bool atLogin = false);

}  // namespace brellix::app
