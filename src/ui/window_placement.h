// Where the window opens: the saved position, unless no monitor shows any part of it.
#pragma once

#include <string_view>

#include "platform/forms.h"
#include "platform/os.h"

namespace brellix::ui {

// The window's rectangle moved onto the work area: kept whole where it fits, its top-left corner
// inside the work area otherwise.
platform::ScreenRect MoveOntoWorkArea(const platform::ScreenRect& window, const platform::ScreenRect& workArea);

// The rectangle to open at: unchanged while any part of it is on a monitor (negative coordinates
// included); moved onto the nearest monitor's work area when it lies outside all of them.
platform::ScreenRect VisiblePlacement(platform::Os& os, const platform::ScreenRect& window);

// Reads the saved Left and Top (twips, default 0) from the settings file and puts the still hidden
// window there, or onto the nearest monitor when no monitor would show any of it.
void RestoreSavedPosition(platform::Os& os, platform::Forms& form, std::wstring_view settingsFile);

}  // namespace brellix::ui
