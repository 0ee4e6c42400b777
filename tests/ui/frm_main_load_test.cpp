#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "frm_main_fixture.h"
#include "power/power_action.h"

namespace brellix::ui::test {
namespace {

using FrmMainLoad = FrmMainTest;

TEST_F(FrmMainLoad, FirstStartChecksItemOneOfEachListAndShowsTheDefaultTime) {
    LoadAndShow();
    EXPECT_EQ(Checks(lstOptions), "0100");
    EXPECT_EQ(forms.ListIndex(lstOptions), 1);
    EXPECT_EQ(Checks(lstExtra), "01");
    EXPECT_EQ(forms.ListIndex(lstExtra), 1);
    EXPECT_EQ(forms.Text(cboHour), L"3");
    EXPECT_EQ(forms.Text(cboMinute), L"15");
    EXPECT_EQ(forms.Text(cboSecond), L"45");
    EXPECT_EQ(forms.Text(cboAMPM), L"AM");
    EXPECT_EQ(schedule.strShutdownTime, L"3:15:45 AM");
    EXPECT_EQ(schedule.targetSecondOfDay, MsOfDay(3, 15, 45) / 1000);
    EXPECT_FALSE(forms.Enabled(tmrShutdown));
    EXPECT_TRUE(forms.Enabled(lstExtra));
    EXPECT_EQ(forms.Caption(), DesignCaption());
}

TEST_F(FrmMainLoad, FillsThePickersWithPlainNumbersAndTheListsInTheOrderOfTheirMeanings) {
    LoadAndShow();
    const auto items = [this](int id) {
        std::vector<std::wstring> texts;
        for (int i = 0; i < forms.ListCount(id); ++i) texts.push_back(forms.List(id, i));
        return texts;
    };
    std::vector<std::wstring> hours, sixty;
    for (int n = 1; n <= 12; ++n) hours.push_back(std::to_wstring(n));
    for (int n = 0; n <= 59; ++n) sixty.push_back(std::to_wstring(n));
    EXPECT_EQ(items(cboHour), hours);
    EXPECT_EQ(items(cboMinute), sixty);
    EXPECT_EQ(items(cboSecond), sixty);
    EXPECT_EQ(items(cboAMPM), (std::vector<std::wstring>{L"AM", L"PM"}));
    std::vector<std::wstring> actions, modes;
    for (const power::Choice& choice : power::kPowerActions) actions.emplace_back(choice.itemText);
    for (const power::Choice& choice : power::kForceModes) modes.emplace_back(choice.itemText);
    EXPECT_EQ(items(lstOptions), actions);
    EXPECT_EQ(items(lstExtra), modes);
    EXPECT_EQ(forms.filled, (std::vector<std::string>{"cboHour", "cboMinute", "cboSecond", "lstOptions", "cboAMPM",
                                                      "lstExtra"}));
}

// Each pass of the message loop runs this message once, so it counts the passes and notes how
// far the filling had come at each.
TEST_F(FrmMainLoad, PassesThroughTheMessageLoopBeforeEachNumericItemOnly) {
    std::vector<std::string> passes;
    std::function<void()> note = [&] {
        std::string counts;
        for (int id : {cboHour, cboMinute, cboSecond, lstOptions, cboAMPM, lstExtra}) {
            counts += std::to_string(forms.ListCount(id)) + " ";
        }
        passes.push_back(counts);
        forms.Post(note);
    };
    forms.Post(note);
    forms.Load(FrmMainSpec(), frm);

    // 132 before the numeric items, then 4 in the power action list's check handler, when the
    // saved choice is checked.
    ASSERT_EQ(passes.size(), 136u);
    EXPECT_EQ(passes[0], "0 0 0 0 0 0 ");
    EXPECT_EQ(passes[11], "11 0 0 0 0 0 ");
    EXPECT_EQ(passes[12], "12 0 0 0 0 0 ");
    EXPECT_EQ(passes[71], "12 59 0 0 0 0 ");
    EXPECT_EQ(passes[72], "12 60 0 0 0 0 ");
    EXPECT_EQ(passes[131], "12 60 59 0 0 0 ");
    for (std::size_t i = 132; i < passes.size(); ++i) EXPECT_EQ(passes[i], "12 60 60 4 2 2 ") << i;
}

TEST_F(FrmMainLoad, OutsideNtDisablesTheForceModeListWithItsChoiceKept) {
    os.platformId = 1;
    LoadAndShow();
    EXPECT_FALSE(forms.Enabled(lstExtra));
    EXPECT_EQ(Checks(lstExtra), "01");
    EXPECT_EQ(forms.ListIndex(lstExtra), 1);

    // The first arm and disarm enable it for good.
    Arm();
    forms.UserClick(btnTurnOFF);
    EXPECT_TRUE(forms.Enabled(lstExtra));
}

struct PickerCase {
    int picker;
    int item;
    const wchar_t* composed;
};

class PickerClick : public FrmMainTest, public ::testing::WithParamInterface<PickerCase> {};

TEST_P(PickerClick, RecomposesTheTargetFromAllFourPickers) {
    LoadAndShow();
    forms.UserChoose(GetParam().picker, GetParam().item);
    EXPECT_EQ(schedule.strShutdownTime, GetParam().composed);
}

INSTANTIATE_TEST_SUITE_P(EachPicker, PickerClick,
                         ::testing::Values(PickerCase{cboHour, 11, L"12:15:45 AM"},
                                           PickerCase{cboMinute, 0, L"3:0:45 AM"},
                                           PickerCase{cboSecond, 5, L"3:15:5 AM"},
                                           PickerCase{cboAMPM, 1, L"3:15:45 PM"}));

TEST_F(FrmMainLoad, ComposesWithoutLeadingZeros) {
    LoadAndShow();
    ChooseTime(L"12", L"0", L"5", L"PM");
    EXPECT_EQ(schedule.strShutdownTime, L"12:0:5 PM");
    EXPECT_EQ(schedule.targetSecondOfDay, MsOfDay(12, 0, 5) / 1000);
}

TEST_F(FrmMainLoad, APickerWithoutAChoiceComposesATextThatNamesNoTime) {
    LoadAndShow();
    forms.SetListIndex(cboHour, -1);
    EXPECT_EQ(schedule.strShutdownTime, L":15:45 AM");
    EXPECT_EQ(schedule.targetSecondOfDay, scheduler::kNoTarget);
}

}  // namespace
}  // namespace brellix::ui::test
