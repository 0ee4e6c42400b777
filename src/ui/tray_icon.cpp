#include "ui/tray_icon.h"

namespace brellix::ui {

void ShowTrayIcon(platform::Os& os, const platform::Forms& window, TrayState& tray) {
    tray.window = window.Handle();
    tray.tip = window.Caption();
    tray.iconPresent = os.ShowTrayIcon(tray.window, tray.tip);
    tray.shownTip = tray.tip;
    tray.shownStep = -1;
}

void RestoreTrayIcon(platform::Os& os, TrayState& tray, bool trayCameBack) {
    if (!tray.window) return;
    // A new tray has none of the old icons, whatever was shown before.
    if (trayCameBack) tray.iconPresent = false;
    if (tray.iconPresent) return;
    tray.iconPresent = os.ShowTrayIcon(tray.window, tray.tip);
    tray.shownTip = tray.tip;
    tray.shownStep = -1;
}

void RemoveTrayIcon(platform::Os& os, TrayState& tray) {
    os.RemoveTrayIcon(tray.window);
    tray.iconPresent = false;
}

void ForgetVanishedTrayIcon(platform::Os& os, TrayState& tray) {
    if (tray.iconPresent && !os.TrayIconPresent(tray.window)) tray.iconPresent = false;
}

}  // namespace brellix::ui
