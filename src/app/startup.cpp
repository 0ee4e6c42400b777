#include "app/startup.h"

#include "ui/frm_main_layout.h"
#include "ui/tray_icon.h"
#include "ui/window_placement.h"

namespace brellix::app {

void InteractiveStartUp(platform::Os& os, platform::Forms& forms, ProgramState& state, ui::FrmMain& frmMain) {
    forms.Load(ui::FrmMainSpec(), frmMain);
    // The tip is the caption of this moment: nothing has changed it since the design.
    ui::AddTrayIcon(os, forms, state.frmMain.tray);
    state.frmMain.blnHideOnClose = true;
    // Placed while still hidden, so the window is never seen anywhere else first.
    ui::RestoreSavedPosition(os, forms, state.frmMain.settings.strIniFile);
    os.SetWindowPosTopmost(forms.hWnd());
    forms.Show();
}

}  // namespace brellix::app
