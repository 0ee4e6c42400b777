#include "ui/window_placement.h"

#include <gtest/gtest.h>

#include "platform/memory/memory_os.h"

namespace brellix::ui {
namespace {

using platform::ScreenRect;

bool operator==(const ScreenRect& a, const ScreenRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(VisiblePlacement, KeepsAPositionWhoseTitleBarIsWhollyOnMonitorsAndMovesTheRest) {
    platform::MemoryOs os;
    // Two monitors: the primary, and one to its left at negative coordinates.
    os.monitors = {{0, 0, 1920, 1080}, {-1280, 0, 0, 1024}};
    os.workAreas = {{0, 0, 1920, 1040}, {-1280, 0, 0, 984}};
    constexpr int kTitleBar = 30;
    const struct {
        const char* what;
        ScreenRect window;
        ScreenRect expected;
    } cases[] = {
        {"inside the primary", {100, 100, 410, 380}, {100, 100, 410, 380}},
        {"on the left monitor, negative", {-900, 200, -590, 480}, {-900, 200, -590, 480}},
        {"across both monitors", {-150, 100, 160, 380}, {-150, 100, 160, 380}},
        {"only the bottom below the work area", {1500, 900, 1810, 1180}, {1500, 900, 1810, 1180}},
        {"title bar partly off the right edge", {1800, 900, 2110, 1180}, {1610, 760, 1920, 1040}},
        {"title bar above the top", {50, -200, 360, 80}, {50, 0, 360, 280}},
        {"a 24-pixel corner showing, title bar above", {1896, -200, 2206, 80}, {1610, 0, 1920, 280}},
        {"title bar under the taskbar", {100, 1030, 410, 1310}, {100, 760, 410, 1040}},
        {"far right, nearest is the primary", {5000, 100, 5310, 380}, {1610, 100, 1920, 380}},
        {"far left, nearest is the left one", {-6000, 300, -5690, 580}, {-1280, 300, -970, 580}},
        {"far below", {200, 4000, 510, 4280}, {200, 760, 510, 1040}},
    };
    for (const auto& c : cases) EXPECT_TRUE(VisiblePlacement(os, c.window, kTitleBar) == c.expected) << c.what;
}

TEST(MoveOntoWorkArea, AWindowLargerThanTheWorkAreaKeepsItsCaptionInside) {
    const ScreenRect work{0, 0, 800, 600};
    const ScreenRect moved = MoveOntoWorkArea({3000, 3000, 4000, 3800}, work);
    EXPECT_EQ(moved.left, 0);
    EXPECT_EQ(moved.top, 0);
    EXPECT_EQ(moved.right - moved.left, 1000);
}

}  // namespace
}  // namespace brellix::ui
