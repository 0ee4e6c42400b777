#include "app/startup.h"

#include "ui/main_window_design.h"
#include "ui/tray_icon.h"
#include "ui/window_placement.h"

namespace brellix::app {

void InteractiveStartUp(platform::Os& os, platform::Forms& forms, ProgramState& state, ui::MainWindow& window,
                        bool atLogin) {
    forms.Load(ui::MainWindowSpec(), window);
    // The tip is the caption of this moment: nothing has changed it since the design.
    ui::ShowTrayIcon(os, forms, state.mainWindow.tray);
    state.mainWindow.hideOnClose = true;
    // Placed while still hidden, so the window is never seen anywhere else first.
    ui::RestoreSavedPosition(os, forms, state.mainWindow.settingsFile);
    os.KeepOnTop(forms.Handle());
    // A window that no icon stands for must be shown, or it could not be found.
    if (!atLogin || !state.mainWindow.tray.iconPresent) forms.Show();
    window.StartDaily();
}

}  // namespace brellix::app
