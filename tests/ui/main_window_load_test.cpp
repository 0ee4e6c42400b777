#include <gtest/gtest.h>

#include <string>

#include "main_window_fixture.h"
#include "power/power_action.h"

namespace brellix::ui::test {
namespace {

using MainWindowLoad = MainWindowTest;

TEST_F(MainWindowLoad, FirstStartChecksItemOneOfEachListAndShowsTheDefaultTime) {
    LoadAndShow();
    EXPECT_EQ(Checks(control::ActionList), "0100");
    EXPECT_EQ(forms.ListIndex(control::ActionList), 1);
    EXPECT_EQ(Checks(control::ForceModeList), "01");
    EXPECT_EQ(forms.ListIndex(control::ForceModeList), 1);
    EXPECT_EQ(forms.Text(control::HourPicker), L"3");
    EXPECT_EQ(forms.Text(control::MinutePicker), L"15");
    EXPECT_EQ(forms.Text(control::SecondPicker), L"45");
    EXPECT_EQ(forms.Text(control::AmPmPicker), L"AM");
    EXPECT_EQ(frmState.targetText, L"3:15:45 AM");
    EXPECT_EQ(TargetSecond(), MsOfDay(3, 15, 45) / 1000);
    EXPECT_FALSE(forms.Enabled(control::ScheduleTimer));
    EXPECT_TRUE(forms.Enabled(control::ForceModeList));
    EXPECT_EQ(forms.Caption(), DesignCaption());
}

TEST_F(MainWindowLoad, FillsThePickersWithPlainNumbersAndTheListsInTheOrderOfTheirMeanings) {
    LoadAndShow();
    const auto items = [this](int id) {
        std::vector<std::wstring> texts;
        for (int i = 0; i < forms.ListCount(id); ++i) texts.push_back(forms.List(id, i));
        return texts;
    };
    std::vector<std::wstring> hours, sixty;
    for (int n = 1; n <= 12; ++n) hours.push_back(std::to_wstring(n));
    for (int n = 0; n <= 59; ++n) sixty.push_back(std::to_wstring(n));
    EXPECT_EQ(items(control::HourPicker), hours);
    EXPECT_EQ(items(control::MinutePicker), sixty);
    EXPECT_EQ(items(control::SecondPicker), sixty);
    EXPECT_EQ(items(control::AmPmPicker), (std::vector<std::wstring>{L"AM", L"PM"}));
    std::vector<std::wstring> actions, modes;
    for (const auto& choice : power::kPowerActions) actions.emplace_back(choice.itemText);
    for (const auto& choice : power::kForceModes) modes.emplace_back(choice.itemText);
    EXPECT_EQ(items(control::ActionList), actions);
    EXPECT_EQ(items(control::ForceModeList), modes);
}

struct PickerCase {
    int picker;
    int item;
    const wchar_t* composed;
};

class PickerClick : public MainWindowTest, public ::testing::WithParamInterface<PickerCase> {};

TEST_P(PickerClick, RecomposesTheTargetFromAllFourPickers) {
    LoadAndShow();
    forms.UserChoose(GetParam().picker, GetParam().item);
    EXPECT_EQ(frmState.targetText, GetParam().composed);
}

INSTANTIATE_TEST_SUITE_P(EachPicker, PickerClick,
                         ::testing::Values(PickerCase{control::HourPicker, 11, L"12:15:45 AM"},
                                           PickerCase{control::MinutePicker, 0, L"3:0:45 AM"},
                                           PickerCase{control::SecondPicker, 5, L"3:15:5 AM"},
                                           PickerCase{control::AmPmPicker, 1, L"3:15:45 PM"}));

TEST_F(MainWindowLoad, ComposesWithoutLeadingZeros) {
    LoadAndShow();
    ChooseTime(L"12", L"0", L"5", L"PM");
    EXPECT_EQ(frmState.targetText, L"12:0:5 PM");
    EXPECT_EQ(TargetSecond(), MsOfDay(12, 0, 5) / 1000);
}

TEST_F(MainWindowLoad, APickerWithoutAChoiceComposesATextThatNamesNoTime) {
    LoadAndShow();
    forms.SetListIndex(control::HourPicker, -1);
    EXPECT_EQ(frmState.targetText, L":15:45 AM");
    EXPECT_EQ(TargetSecond(), scheduler::kNoTarget);
}

}  // namespace
}  // namespace brellix::ui::test
