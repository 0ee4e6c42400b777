// The tray icon: the window's one icon in the notification area, whose tip is the caption the
// window had when the icon was first shown.
#pragma once

#include <string>

#include "platform/forms.h"
#include "platform/os.h"

namespace brellix::ui {

struct TrayState {
    platform::WindowHandle window = nullptr;  // none until first shown
    std::wstring tip;
    std::wstring shownTip;  // what the icon shows now: the tip, or what the window set since
    int shownStep = -1;     // while armed: the step of the time left that shownTip shows
    bool iconPresent = false;  // the tray accepted the icon and it was not removed since
};

// Shows the icon for the loaded window, with the window's caption as its tip.
void ShowTrayIcon(platform::Os& os, const platform::Forms& window, TrayState& tray);

// Shows the icon again as first shown: after a tray came back, or when the tray was not ready for
// the first. Does nothing while the icon is known to be present, or before it was first shown.
void RestoreTrayIcon(platform::Os& os, TrayState& tray, bool trayCameBack);

void RemoveTrayIcon(platform::Os& os, TrayState& tray);

// Marks the icon absent when the tray no longer shows it (the tray went away since).
void ForgetVanishedTrayIcon(platform::Os& os, TrayState& tray);

}  // namespace brellix::ui
