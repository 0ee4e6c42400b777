// The popup menus: one per menu of the description, holding its items in their order; shown at the
// pointer when the tray icon asks for it.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace brellix::platform::win32::menu {

// An item or a separator at the end of the menu.
void AppendItem(HMENU menu, int id, std::wstring_view caption, bool enabled);
void AppendSeparator(HMENU menu, int id);

std::wstring Caption(HMENU menu, int id);
void SetCaption(HMENU menu, int id, std::wstring_view caption);
// GetMenuState: false as well for an item the menu does not have.
bool Enabled(HMENU menu, int id);
void SetEnabled(HMENU menu, int id, bool enabled);
bool Checked(HMENU menu, int id);
void SetChecked(HMENU menu, int id, bool checked);

// Shows the menu at the pointer, owned by the window, and returns the chosen item's id once it has
// closed; 0 when nothing was chosen.
int Track(HMENU menu, HWND owner);

}  // namespace brellix::platform::win32::menu
