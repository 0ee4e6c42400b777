#include "ui/tray_icon.h"

namespace brellix::ui {

void AddTrayIcon(platform::Os& os, const platform::Forms& form, TrayState& tray) {
    platform::NotifyIconData& nid = tray.nidTray;
    nid.hIcon = form.Icon();
    nid.hWnd = form.hWnd();
    nid.szTip = form.Caption();
    nid.uCallbackMessage = form.TrayCallbackMessage();
    nid.uFlags = kNifMessage | kNifIcon | kNifTip;
    nid.uID = kTrayIconId;
    tray.iconPresent = os.Shell_NotifyIconW(kNimAdd, nid);
}

void RestoreTrayIcon(platform::Os& os, TrayState& tray, bool taskbarRecreated) {
    if (!tray.nidTray.hWnd) return;  // never added: nothing to restore
    // A new taskbar has none of the old icons, whatever was added before.
    if (taskbarRecreated) tray.iconPresent = false;
    if (tray.iconPresent) return;
    tray.iconPresent = os.Shell_NotifyIconW(kNimAdd, tray.nidTray);
}

void RemoveTrayIcon(platform::Os& os, TrayState& tray) {
    os.Shell_NotifyIconW(kNimDelete, tray.nidTray);
    tray.iconPresent = false;
}

TrayAction DecodeTrayNotification(std::uint32_t code) {
    if (code == kWmRButtonDown) return TrayAction::ShowPopupMenu;
    if (code == kWmLButtonDblClk) return TrayAction::ShowWindow;
    return TrayAction::None;
}

}  // namespace brellix::ui
