#include "ui/window_placement.h"

#include <algorithm>

#include "settings/settings_file.h"
#include "settings/value_text.h"

namespace brellix::ui {

platform::ScreenRect MoveOntoWorkArea(const platform::ScreenRect& window, const platform::ScreenRect& workArea) {
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    // Prefer the whole window visible; a window larger than the work area keeps its top-left
    // corner (and so its caption) inside.
    const int left = std::max(workArea.left, std::min(window.left, workArea.right - width));
    const int top = std::max(workArea.top, std::min(window.top, workArea.bottom - height));
    return platform::ScreenRect{left, top, left + width, top + height};
}

namespace {

bool Contains(const platform::ScreenRect& outer, const platform::ScreenRect& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// The title bar's two ends, each on a monitor's work area: the bar can be grabbed and read, even
// across two monitors side by side.
bool TitleBarReachable(platform::Os& os, const platform::ScreenRect& window, int titleBarHeight) {
    const int bottom = window.top + titleBarHeight;
    const platform::ScreenRect leftEnd{window.left, window.top, window.left + titleBarHeight, bottom};
    const platform::ScreenRect rightEnd{window.right - titleBarHeight, window.top, window.right, bottom};
    return Contains(os.NearestMonitorWorkArea(leftEnd), leftEnd) &&
           Contains(os.NearestMonitorWorkArea(rightEnd), rightEnd);
}

}  // namespace

platform::ScreenRect VisiblePlacement(platform::Os& os, const platform::ScreenRect& window, int titleBarHeight) {
    if (TitleBarReachable(os, window, titleBarHeight)) return window;
    return MoveOntoWorkArea(window, os.NearestMonitorWorkArea(window));
}

namespace {

// The band a title bar takes at the top of a window, its frame included: 30 pixels at 96 dpi.
constexpr float kTitleBarTwips = 450.0f;

// Far beyond any screen, yet safe to turn into pixel coordinates: a stored 1e30 cannot wrap around.
constexpr float kFarthestTwips = 1.0e7f;

float Bounded(float twips) { return std::clamp(twips, -kFarthestTwips, kFarthestTwips); }

}  // namespace

void RestoreSavedPosition(platform::Os& os, platform::Forms& form, std::wstring_view settingsFile) {
    const std::wstring left = settings::ReadValue(os, settingsFile, settings::kPositionLeft);
    const std::wstring top = settings::ReadValue(os, settingsFile, settings::kPositionTop);
    form.SetLeft(Bounded(settings::PositionFromText(left)));
    form.SetTop(Bounded(settings::PositionFromText(top)));

    const platform::ScreenRect saved = form.WindowRect();
    const int titleBarHeight = static_cast<int>(kTitleBarTwips / form.TwipsPerPixel());
    const platform::ScreenRect placed = VisiblePlacement(os, saved, titleBarHeight);
    if (placed.left == saved.left && placed.top == saved.top) return;
    form.SetLeft(static_cast<float>(placed.left) * form.TwipsPerPixel());
    form.SetTop(static_cast<float>(placed.top) * form.TwipsPerPixel());
}

}  // namespace brellix::ui
