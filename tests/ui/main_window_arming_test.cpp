#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "main_window_fixture.h"

namespace brellix::ui::test {
namespace {

// The controls that show the state, and whether each is enabled while armed.
struct StateRow {
    control::Id id;
    bool enabledWhileArmed;
};

constexpr StateRow kStateTable[] = {
    {control::ArmButton, false}, {control::DisarmButton, true}, {control::ArmItem, false}, {control::DisarmItem, true},
    {control::HourPicker, false},   {control::MinutePicker, false}, {control::SecondPicker, false},      {control::AmPmPicker, false},
    {control::ActionList, false}, {control::ForceModeList, false}, {control::ScheduleTimer, true},
};

// What a user or the tick can do to the state, whatever reaches the handlers.
enum class Step { ArmButton, DisarmButton, ArmAgainFromCode, DisarmAgainFromCode, PopupArm, PopupDisarm, Fire };

struct StateCase {
    const char* name;
    std::vector<Step> steps;
    bool armed;
};

void PrintTo(const StateCase& c, std::ostream* out) { *out << c.name; }

class StateAfter : public MainWindowTest, public ::testing::WithParamInterface<StateCase> {
protected:
    void Do(Step step) {
        switch (step) {
            case Step::ArmButton: return Arm();
            case Step::DisarmButton: return forms.UserClick(control::DisarmButton);
            // A second run of an operation whose button is disabled by the first, as from a popup
            // menu opened before the state changed.
            case Step::ArmAgainFromCode: return frm.Arm();
            case Step::DisarmAgainFromCode: return frm.Disarm();
            case Step::PopupArm: return ChoosePopup(control::ArmItem);
            case Step::PopupDisarm: return ChoosePopup(control::DisarmItem);
            case Step::Fire:
                SetLocalTime(MsOfDay(3, 15, 44, 900));
                Arm();
                ASSERT_TRUE(TickFor(333));
                return;
        }
    }
    void ChoosePopup(int item) {
        forms.popupChoice = item;
        forms.PopupMenu(control::TrayMenu);
    }
};

TEST_P(StateAfter, EveryControlOfTheStateTableAndTheCaptionShowTheState) {
    LoadAndShow();
    for (Step step : GetParam().steps) Do(step);
    for (const StateRow& row : kStateTable) {
        EXPECT_EQ(forms.Enabled(row.id), GetParam().armed == row.enabledWhileArmed)
            << platform::ToCallText(forms.SpecOf(row.id).name);
    }
    EXPECT_EQ(forms.Caption(), GetParam().armed ? kCaptionArmed : kCaptionDisarmed);
}

INSTANTIATE_TEST_SUITE_P(
    Operations, StateAfter,
    ::testing::Values(StateCase{"arm", {Step::ArmButton}, true},
                      StateCase{"arm_twice", {Step::ArmButton, Step::ArmAgainFromCode}, true},
                      StateCase{"disarm", {Step::ArmButton, Step::DisarmButton}, false},
                      StateCase{"disarm_twice", {Step::ArmButton, Step::DisarmButton, Step::DisarmAgainFromCode},
                                false},
                      StateCase{"disarm_before_any_arm", {Step::DisarmAgainFromCode}, false},
                      StateCase{"fire", {Step::Fire}, false},
                      StateCase{"fire_twice", {Step::Fire, Step::Fire}, false},
                      StateCase{"fire_then_disarm_again", {Step::Fire, Step::DisarmAgainFromCode}, false},
                      StateCase{"fire_then_arm", {Step::Fire, Step::ArmButton}, true},
                      StateCase{"arm_from_the_popup", {Step::PopupArm}, true},
                      StateCase{"disarm_from_the_popup", {Step::PopupArm, Step::PopupDisarm}, false}),
    [](const ::testing::TestParamInfo<StateCase>& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, ArmingFromThePopupLeavesAHiddenWindowHiddenAndOffersOnlyDisarm) {
    LoadAndShow();
    forms.Hide();
    forms.popupChoice = control::ArmItem;
    forms.PopupMenu(control::TrayMenu);
    EXPECT_FALSE(forms.Visible());
    EXPECT_TRUE(forms.Enabled(control::ScheduleTimer));

    // The arm item is disabled now: choosing it does nothing.
    forms.popupChoice = control::ArmItem;
    forms.PopupMenu(control::TrayMenu);
    EXPECT_EQ(forms.events.back(), "Click(mnuPopup)");
}

}  // namespace
}  // namespace brellix::ui::test
