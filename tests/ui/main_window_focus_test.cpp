// Where the keyboard focus goes when arming or disarming disables the control that has it: to the
// button that undoes the step, never to the exit button, where Enter would end the program.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "main_window_fixture.h"

namespace brellix::ui::test {
namespace {

enum class Step { ClickArm, ClickDisarm, PopupArm, PopupDisarm, Enter, Fire };

struct FocusCase {
    const char* name;
    int focusBefore;  // 0: no control has the focus
    std::vector<Step> steps;
    int focusAfter;
    bool armed;
};

void PrintTo(const FocusCase& c, std::ostream* out) { *out << c.name; }

class FocusAfter : public MainWindowTest, public ::testing::WithParamInterface<FocusCase> {
protected:
    void Do(Step step) {
        switch (step) {
            case Step::ClickArm: return forms.UserClick(control::ArmButton);
            case Step::ClickDisarm: return forms.UserClick(control::DisarmButton);
            case Step::PopupArm: return ChoosePopup(control::ArmItem);
            case Step::PopupDisarm: return ChoosePopup(control::DisarmItem);
            case Step::Enter: return forms.UserPressEnter();
            case Step::Fire: ASSERT_TRUE(TickFor(333)) << "the schedule fired"; return;
        }
    }
    void ChoosePopup(int item) {
        forms.popupChoice = item;
        forms.PopupMenu(control::TrayMenu);
    }
};

TEST_P(FocusAfter, GoesToTheButtonThatUndoesTheStepNeverToExit) {
    const FocusCase& c = GetParam();
    SetLocalTime(MsOfDay(3, 15, 44, 900));  // a schedule armed now fires at the next tick
    LoadAndShow();
    if (c.focusBefore) forms.SetFocus(c.focusBefore);
    ASSERT_EQ(forms.FocusedControl(), c.focusBefore);
    for (Step step : c.steps) Do(step);
    EXPECT_EQ(forms.FocusedControl(), c.focusAfter);
    EXPECT_EQ(forms.Enabled(control::ScheduleTimer), c.armed);
    EXPECT_TRUE(forms.IsLoaded());
}

INSTANTIATE_TEST_SUITE_P(
    ArmingAndDisarming, FocusAfter,
    ::testing::Values(
        FocusCase{"arm_by_a_click", 0, {Step::ClickArm}, control::DisarmButton, true},
        FocusCase{"arm_from_the_popup_with_the_focus_on_arm", control::ArmButton, {Step::PopupArm}, control::DisarmButton, true},
        // A disabled picker or list hands the focus on in tab order, past the arm button, which is
        // disabled by then, to the disarm button.
        FocusCase{"arm_from_the_popup_with_the_focus_on_a_picker", control::HourPicker, {Step::PopupArm}, control::DisarmButton, true},
        FocusCase{"arm_from_the_popup_with_the_focus_on_the_last_list", control::ForceModeList, {Step::PopupArm}, control::DisarmButton,
                  true},
        FocusCase{"arm_by_enter_in_a_list", control::ActionList, {Step::Enter}, control::DisarmButton, true},
        FocusCase{"arm_from_the_popup_with_the_focus_on_exit_leaves_it_there", control::ExitButton, {Step::PopupArm}, control::ExitButton,
                  true},
        FocusCase{"disarm_by_a_click", 0, {Step::ClickArm, Step::ClickDisarm}, control::ArmButton, false},
        FocusCase{"disarm_from_the_popup", 0, {Step::ClickArm, Step::PopupDisarm}, control::ArmButton, false},
        FocusCase{"disarm_by_the_tick_after_firing", 0, {Step::ClickArm, Step::Fire}, control::ArmButton, false},
        FocusCase{"disarm_from_the_popup_with_the_focus_on_exit_leaves_it_there", control::ExitButton,
                  {Step::PopupArm, Step::PopupDisarm}, control::ExitButton, false},
        FocusCase{"click_then_enter_disarms", 0, {Step::ClickArm, Step::Enter}, control::ArmButton, false},
        FocusCase{"click_then_enter_twice_arms_again", 0, {Step::ClickArm, Step::Enter, Step::Enter}, control::DisarmButton,
                  true}),
    [](const ::testing::TestParamInfo<FocusCase>& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, EnterAfterClickingArmNeverReachesExit) {
    LoadAndShow();
    Arm();
    for (int i = 0; i < 5; ++i) forms.UserPressEnter();
    EXPECT_EQ(std::count(forms.events.begin(), forms.events.end(), "Click(btnExit)"), 0);
    EXPECT_EQ(std::count(forms.events.begin(), forms.events.end(), "Click(btnTurnOFF)"), 3);
    EXPECT_TRUE(forms.IsLoaded());
}

}  // namespace
}  // namespace brellix::ui::test
