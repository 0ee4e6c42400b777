// The notification-area icon: one icon, identified by the window and id 1, whose tip is the
// caption the window had when the icon was added.
#pragma once

#include <cstdint>

#include "platform/forms.h"
#include "platform/os.h"

namespace brellix::ui {

inline constexpr std::uint32_t kNimAdd = 0;
inline constexpr std::uint32_t kNimDelete = 2;
inline constexpr std::uint32_t kNifMessage = 1;
inline constexpr std::uint32_t kNifIcon = 2;
inline constexpr std::uint32_t kNifTip = 4;
inline constexpr std::uint32_t kTrayIconId = 1;
inline constexpr std::uint32_t kWmLButtonDblClk = 0x203;
inline constexpr std::uint32_t kWmRButtonDown = 0x204;

struct TrayState {
    platform::NotifyIconData nidTray;
    bool iconPresent = false;  // the shell accepted the icon and it was not removed since
};

// Fills nidTray from the loaded window and adds the icon.
void AddTrayIcon(platform::Os& os, const platform::Forms& form, TrayState& tray);

// Adds the icon again from nidTray as first filled: after the taskbar was re-created, or when the
// shell was not ready for the first add. Does nothing while the icon is known to be present.
void RestoreTrayIcon(platform::Os& os, TrayState& tray, bool taskbarRecreated);

void RemoveTrayIcon(platform::Os& os, TrayState& tray);

enum class TrayAction { None, ShowPopupMenu, ShowWindow };

// The mouse message reported by the icon decides; every other code does nothing.
TrayAction DecodeTrayNotification(std::uint32_t code);

}  // namespace brellix::ui
