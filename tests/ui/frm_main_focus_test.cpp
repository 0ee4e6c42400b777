// Where the keyboard focus goes when arming or disarming disables the control that has it: to the
// button that undoes the step, never to the exit button, where Enter would end the program.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "frm_main_fixture.h"

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

class FocusAfter : public FrmMainTest, public ::testing::WithParamInterface<FocusCase> {
protected:
    void Do(Step step) {
        switch (step) {
            case Step::ClickArm: return forms.UserClick(btnTurnON);
            case Step::ClickDisarm: return forms.UserClick(btnTurnOFF);
            case Step::PopupArm: return ChoosePopup(mnuPopupTurnON);
            case Step::PopupDisarm: return ChoosePopup(mnuPopupTurnOFF);
            case Step::Enter: return forms.UserPressEnter();
            case Step::Fire: ASSERT_TRUE(TickFor(333)) << "the schedule fired"; return;
        }
    }
    void ChoosePopup(int item) {
        forms.popupChoice = item;
        forms.PopupMenu(mnuPopup);
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
    EXPECT_EQ(forms.Enabled(tmrShutdown), c.armed);
    EXPECT_TRUE(forms.IsLoaded());
}

INSTANTIATE_TEST_SUITE_P(
    ArmingAndDisarming, FocusAfter,
    ::testing::Values(
        FocusCase{"arm_by_a_click", 0, {Step::ClickArm}, btnTurnOFF, true},
        FocusCase{"arm_from_the_popup_with_the_focus_on_arm", btnTurnON, {Step::PopupArm}, btnTurnOFF, true},
        // A disabled picker or list hands the focus on in tab order, past the arm button, which is
        // disabled by then, to the disarm button.
        FocusCase{"arm_from_the_popup_with_the_focus_on_a_picker", cboHour, {Step::PopupArm}, btnTurnOFF, true},
        FocusCase{"arm_from_the_popup_with_the_focus_on_the_last_list", lstExtra, {Step::PopupArm}, btnTurnOFF,
                  true},
        FocusCase{"arm_by_enter_in_a_list", lstOptions, {Step::Enter}, btnTurnOFF, true},
        FocusCase{"arm_from_the_popup_with_the_focus_on_exit_leaves_it_there", btnExit, {Step::PopupArm}, btnExit,
                  true},
        FocusCase{"disarm_by_a_click", 0, {Step::ClickArm, Step::ClickDisarm}, btnTurnON, false},
        FocusCase{"disarm_from_the_popup", 0, {Step::ClickArm, Step::PopupDisarm}, btnTurnON, false},
        FocusCase{"disarm_by_the_tick_after_firing", 0, {Step::ClickArm, Step::Fire}, btnTurnON, false},
        FocusCase{"disarm_from_the_popup_with_the_focus_on_exit_leaves_it_there", btnExit,
                  {Step::PopupArm, Step::PopupDisarm}, btnExit, false},
        FocusCase{"click_then_enter_disarms", 0, {Step::ClickArm, Step::Enter}, btnTurnON, false},
        FocusCase{"click_then_enter_twice_arms_again", 0, {Step::ClickArm, Step::Enter, Step::Enter}, btnTurnOFF,
                  true}),
    [](const ::testing::TestParamInfo<FocusCase>& info) { return std::string(info.param.name); });

TEST_F(FrmMainTest, EnterAfterClickingArmNeverReachesExit) {
    LoadAndShow();
    Arm();
    for (int i = 0; i < 5; ++i) forms.UserPressEnter();
    EXPECT_EQ(std::count(forms.events.begin(), forms.events.end(), "Click(btnExit)"), 0);
    EXPECT_EQ(std::count(forms.events.begin(), forms.events.end(), "Click(btnTurnOFF)"), 3);
    EXPECT_TRUE(forms.IsLoaded());
}

}  // namespace
}  // namespace brellix::ui::test
