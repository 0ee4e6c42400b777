#include "ui/window_placement.h"

#include <algorithm>

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

}  // namespace brellix::ui
