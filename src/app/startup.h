// Main's continuation when the command line names no action: the window, the icon, the position.
#pragma once

#include "app/program_state.h"
#include "platform/forms.h"
#include "platform/os.h"
#include "ui/frm_main.h"

namespace brellix::app {

// Loads frmMain (its Form_Load runs), adds the tray icon, makes a close request hide the window,
// puts the window at its saved position, makes it topmost and shows it.
void InteractiveStartUp(platform::Os& os, platform::Forms& forms, ProgramState& state, ui::FrmMain& frmMain);

}  // namespace brellix::app
