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

platform::ScreenRect VisiblePlacement(platform::Os& os, const platform::ScreenRect& window) {
    if (os.RectOnAnyMonitor(window)) return window;
    return MoveOntoWorkArea(window, os.NearestMonitorWorkArea(window));
}

namespace {

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
    const platform::ScreenRect placed = VisiblePlacement(os, saved);
    if (placed.left == saved.left && placed.top == saved.top) return;
    form.SetLeft(static_cast<float>(placed.left) * form.TwipsPerPixel());
    form.SetTop(static_cast<float>(placed.top) * form.TwipsPerPixel());
}

}  // namespace brellix::ui
