// Where the window opens: the saved position, unless its title bar would not be wholly on a monitor.
#pragma once

#include <string_view>

#include "platform/forms.h"
#include "platform/os.h"

namespace brellix::ui {

// The window's rectangle moved onto the work area: kept whole where it fits, its top-left corner
// inside the work area otherwise.
platform::ScreenRect MoveOntoWorkArea(const platform::ScreenRect& window, const platform::ScreenRect& workArea);

// The rectangle to open at: unchanged while both ends of its title bar (the top titleBarHeight
// pixels) lie on a monitor's work area (negative coordinates included); otherwise moved onto the
// work area of the monitor nearest to it.
platform::ScreenRect VisiblePlacement(platform::Os& os, const platform::ScreenRect& window, int titleBarHeight);

// Reads the saved Left and Top (twips, default 0) from the settings file and puts the still hidden
// window there, or onto the nearest monitor when its title bar would not be wholly on one.
void RestoreSavedPosition(platform::Os& os, platform::Forms& form, std::wstring_view settingsFile);

}  // namespace brellix::ui
