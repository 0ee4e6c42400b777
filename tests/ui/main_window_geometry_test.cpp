#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>

#include "platform/form_geometry.h"
#include "ui/main_window_design.h"

namespace brellix::ui {
namespace {

using platform::FontPixelHeight;
using platform::FormGeometry;
using platform::LayoutForm;
using platform::PixelRect;
using platform::TwipsToPixels;

constexpr int kDpis[] = {96, 120, 144, 192};

std::string NameOf(int id) {
    for (const platform::ControlSpec& control : MainWindowSpec().controls) {
        if (control.id == id) return std::string(control.name.begin(), control.name.end());
    }
    return std::to_string(id);
}

TEST(TwipsToPixels, RoundsEachEdgeToTheNearestPixelHalvesUp) {
    struct Case {
        int twips, dpi, pixels;
    };
    const Case cases[] = {
        {15, 96, 1},    {7, 96, 0},     {8, 96, 1},     {4530, 96, 302}, {4530, 120, 378}, {3735, 144, 374},
        {1095, 120, 91}, {-7, 96, 0},   {-8, 96, -1},   {-15, 96, -1},   {-1440, 144, -144}, {0, 192, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TwipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " twips at " << c.dpi << " DPI";
    }
}

TEST(FontPixelHeight, IsThePointSizeAtTheDpiRounded) {
    struct Case {
        float points;
        int dpi, pixels;
    };
    const Case cases[] = {
        {8.25f, 96, 11}, {9.75f, 96, 13}, {9.0f, 96, 12},  {8.25f, 120, 14}, {9.75f, 120, 16},
        {9.0f, 144, 18}, {9.75f, 144, 20}, {8.25f, 192, 22}, {9.0f, 192, 24},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FontPixelHeight(c.points, c.dpi), c.pixels) << c.points << " pt at " << c.dpi << " DPI";
    }
}

TEST(MainWindowGeometry, ClientAreaAndSampleControlsAtEachDpi) {
    struct Case {
        int dpi, clientWidth, clientHeight;
        PixelRect hourPicker, exitButton, actionList;
        int rowHeight;
    };
    const Case cases[] = {
        {96, 302, 249, {16, 24, 73, 48}, {216, 160, 289, 193}, {16, 72, 193, 132}, 14},
        {120, 378, 311, {20, 30, 91, 60}, {270, 200, 361, 241}, {20, 90, 241, 165}, 17},
        {144, 453, 374, {24, 36, 110, 72}, {324, 240, 434, 290}, {24, 108, 290, 198}, 21},
        {192, 604, 498, {32, 48, 146, 96}, {432, 320, 578, 386}, {32, 144, 386, 264}, 28},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.dpi) + " DPI");
        const FormGeometry g = LayoutForm(MainWindowSpec(), c.dpi);
        EXPECT_EQ(g.clientWidth, c.clientWidth);
        EXPECT_EQ(g.clientHeight, c.clientHeight);
        ASSERT_NE(g.Find(control::HourPicker), nullptr);
        EXPECT_EQ(g.Find(control::HourPicker)->rect, c.hourPicker);
        EXPECT_EQ(g.Find(control::ExitButton)->rect, c.exitButton);
        EXPECT_EQ(g.Find(control::ActionList)->rect, c.actionList);
        EXPECT_EQ(g.Find(control::ActionList)->rowHeight, c.rowHeight);
        EXPECT_EQ(g.Find(control::ForceModeList)->rowHeight, c.rowHeight) << "both lists use the same font";
        EXPECT_EQ(g.Find(control::ExitButton)->rowHeight, 0);
    }
}

TEST(MainWindowGeometry, EveryControlWithAPlaceIsLaidOutAndNothingElse) {
    const FormGeometry g = LayoutForm(MainWindowSpec(), 96);
    std::set<int> placed;
    for (const auto& placement : g.controls) placed.insert(placement.id);
    const std::set<int> expected = {control::ExitButton, control::ForceModeList, control::ActionList, control::AmPmPicker,  control::SecondPicker, control::MinutePicker,
                                    control::HourPicker, control::DisarmButton, control::ArmButton, control::CreditLink,  control::ProgramTitle,    control::ForceModeLabel,
                                    control::ActionLabel, control::AmPmLabel, control::SecondLabel,   control::MinuteLabel, control::HourLabel};
    EXPECT_EQ(placed, expected);
}

TEST(MainWindowGeometry, NothingOverlapsButTheForceModeCaptionUnderItsList) {
    for (int dpi : kDpis) {
        SCOPED_TRACE(std::to_string(dpi) + " DPI");
        const FormGeometry g = LayoutForm(MainWindowSpec(), dpi);
        const PixelRect client{0, 0, g.clientWidth, g.clientHeight};
        for (const auto& a : g.controls) {
            EXPECT_TRUE(client.Contains(a.rect)) << NameOf(a.id) << " leaves the client area";
            EXPECT_GT(a.rect.Width(), 0) << NameOf(a.id);
            EXPECT_GT(a.rect.Height(), 0) << NameOf(a.id);
            for (const auto& b : g.controls) {
                if (a.id >= b.id) continue;
                const bool allowed = std::minmax(a.id, b.id) == std::minmax<int>(control::ForceModeLabel, control::ForceModeList);
                EXPECT_EQ(a.rect.Overlaps(b.rect), allowed) << NameOf(a.id) << " and " << NameOf(b.id);
            }
        }
        EXPECT_TRUE(g.Find(control::ForceModeList)->rect.Contains(g.Find(control::ForceModeLabel)->rect));
    }
}

TEST(MainWindowGeometry, RowsOfEqualControlsStayEqualAtEveryDpi) {
    for (int dpi : kDpis) {
        SCOPED_TRACE(std::to_string(dpi) + " DPI");
        const FormGeometry g = LayoutForm(MainWindowSpec(), dpi);
        const PixelRect hour = g.Find(control::HourPicker)->rect;
        for (int picker : {control::MinutePicker, control::SecondPicker, control::AmPmPicker}) {
            const PixelRect r = g.Find(picker)->rect;
            EXPECT_EQ(r.Width(), hour.Width()) << NameOf(picker);
            EXPECT_EQ(r.top, hour.top) << NameOf(picker);
            EXPECT_EQ(r.Height(), hour.Height()) << NameOf(picker);
        }
        const PixelRect on = g.Find(control::ArmButton)->rect;
        for (int button : {control::DisarmButton, control::ExitButton}) {
            const PixelRect r = g.Find(button)->rect;
            EXPECT_EQ(r.Width(), on.Width()) << NameOf(button);
            EXPECT_EQ(r.Height(), on.Height()) << NameOf(button);
            EXPECT_EQ(r.left, on.left) << NameOf(button);
        }
        EXPECT_EQ(g.Find(control::ActionList)->rect.left, g.Find(control::ForceModeList)->rect.left);
        EXPECT_EQ(g.Find(control::ActionList)->rect.Width(), g.Find(control::ForceModeList)->rect.Width());
    }
}

TEST(MainWindowGeometry, TheListsShowAllTheirItemsInsideTheirBorders) {
    // Four power actions and two force modes; a sunken border of 2 pixels per 96 DPI, rounded up.
    for (int dpi : kDpis) {
        SCOPED_TRACE(std::to_string(dpi) + " DPI");
        const FormGeometry g = LayoutForm(MainWindowSpec(), dpi);
        const int border = (2 * dpi + 95) / 96;
        for (auto [list, items] : {std::pair{control::ActionList, 4}, std::pair{control::ForceModeList, 2}}) {
            const auto& placement = *g.Find(list);
            EXPECT_LE(items * placement.rowHeight, placement.rect.Height() - 2 * border) << NameOf(list);
            EXPECT_GE(placement.rowHeight, FontPixelHeight(9.0f, dpi) + 1) << "room for the text";
        }
    }
}

}  // namespace
}  // namespace brellix::ui
