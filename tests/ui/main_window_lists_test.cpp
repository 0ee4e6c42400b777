#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "main_window_fixture.h"

namespace brellix::ui::test {
namespace {

enum class Action { ClickText, ClickBox, PressSpace, ArrowDown, ArrowUp };

class Lists : public MainWindowTest {
protected:
    void Act(int list, Action action, int item) {
        switch (action) {
            case Action::ClickText: return forms.UserClickItem(list, item);
            case Action::ClickBox: return forms.UserClickCheckBox(list, item);
            case Action::PressSpace: return forms.UserPressSpace(list);
            case Action::ArrowDown: return forms.UserPressArrow(list, 1);
            case Action::ArrowUp: return forms.UserPressArrow(list, -1);
        }
    }

    void SetUp() override { LoadAndShow(); }

    // Brings a list to the given check marks and current item from code, then forgets the events.
    void Prepare(int list, const std::string& checks, int current) {
        forms.SetListIndex(list, current);
        for (std::size_t i = 0; i < checks.size(); ++i) forms.SetSelected(list, static_cast<int>(i), checks[i] == '1');
        ASSERT_EQ(Checks(list), checks);
        ASSERT_EQ(forms.ListIndex(list), current);
        forms.events.clear();
    }

    // Counts the passes through the message loop until stopped.
    int CountPasses(const std::function<void()>& action) {
        int passes = 0;
        bool counting = true;
        std::function<void()> note = [&] {
            if (!counting) return;
            ++passes;
            forms.Post(note);
        };
        forms.Post(note);
        action();
        counting = false;
        forms.DoEvents();
        return passes;
    }
};

struct ListCase {
    const char* name;
    int list;
    std::string checksBefore;
    int currentBefore;
    Action action;
    int item;  // for clicks
    std::string checksAfter;
    int currentAfter;
};

void PrintTo(const ListCase& c, std::ostream* out) { *out << c.name; }

class SingleChoice : public Lists, public ::testing::WithParamInterface<ListCase> {};

TEST_P(SingleChoice, LeavesOnlyTheUsersChoiceChecked) {
    const ListCase& c = GetParam();
    Prepare(c.list, c.checksBefore, c.currentBefore);
    Act(c.list, c.action, c.item);
    EXPECT_EQ(Checks(c.list), c.checksAfter);
    EXPECT_EQ(forms.ListIndex(c.list), c.currentAfter);
}

INSTANTIATE_TEST_SUITE_P(
    UserActions, SingleChoice,
    ::testing::Values(
        ListCase{"options_click_third_text", control::ActionList, "1000", 0, Action::ClickText, 2, "0010", 2},
        ListCase{"options_click_third_box", control::ActionList, "1000", 0, Action::ClickBox, 2, "0010", 2},
        ListCase{"options_click_checked_box_keeps_it", control::ActionList, "0010", 2, Action::ClickBox, 2, "0010", 2},
        ListCase{"options_arrow_down", control::ActionList, "0100", 1, Action::ArrowDown, 0, "0010", 2},
        ListCase{"options_arrow_up", control::ActionList, "0100", 1, Action::ArrowUp, 0, "1000", 0},
        // Space raises ItemCheck only: on the checked row it keeps the one choice shown.
        ListCase{"options_space_keeps_the_choice", control::ActionList, "0100", 1, Action::PressSpace, 0, "0100", 1},
        ListCase{"extra_click_second_box", control::ForceModeList, "10", 0, Action::ClickBox, 1, "01", 1},
        ListCase{"extra_space_keeps_the_choice", control::ForceModeList, "01", 1, Action::PressSpace, 0, "01", 1},
        ListCase{"extra_click_first_text", control::ForceModeList, "01", 1, Action::ClickText, 0, "10", 0}),
    [](const ::testing::TestParamInfo<ListCase>& info) { return std::string(info.param.name); });

TEST_F(Lists, OurOwnUncheckReportsBackAndIsNotTakenForAChoice) {
    Prepare(control::ActionList, "1000", 0);
    forms.UserClickCheckBox(control::ActionList, 2);
    EXPECT_EQ(forms.events, (std::vector<std::string>{"ItemCheck(lstOptions, 2)", "ItemCheck(lstOptions, 0)",
                                                      "Click(lstOptions)"}));
    EXPECT_EQ(Checks(control::ActionList), "0010");
}

TEST_F(Lists, OnlyThePowerActionListPassesThroughTheMessageLoopOncePerItem) {
    Prepare(control::ActionList, "1000", 0);
    EXPECT_EQ(CountPasses([&] { forms.UserPressSpace(control::ActionList); }), 4);
    Prepare(control::ForceModeList, "10", 0);
    EXPECT_EQ(CountPasses([&] { forms.UserClickCheckBox(control::ForceModeList, 1); }), 0);
    EXPECT_EQ(Checks(control::ForceModeList), "01");
}

// --- A user's further action waits in the queue when the power action list's check handler
// passes through the message loop ---

struct QueuedCase {
    const char* name;
    std::string checksBefore;
    int currentBefore;
    Action first;  // on firstItem
    int firstItem;
    std::vector<std::pair<Action, int>> queued;  // each handled in the first pass
    std::string checksAfter;
    int currentAfter;
};

void PrintTo(const QueuedCase& c, std::ostream* out) { *out << c.name; }

class QueuedChoice : public Lists, public ::testing::WithParamInterface<QueuedCase> {};

TEST_P(QueuedChoice, TheNewestChoiceIsTheOnlyCheckedItem) {
    const QueuedCase& c = GetParam();
    Prepare(control::ActionList, c.checksBefore, c.currentBefore);
    for (const auto& [action, item] : c.queued) forms.Post([this, action = action, item = item] { Act(control::ActionList, action, item); });
    Act(control::ActionList, c.first, c.firstItem);
    EXPECT_EQ(Checks(control::ActionList), c.checksAfter);
    EXPECT_EQ(forms.ListIndex(control::ActionList), c.currentAfter);
    EXPECT_NE(std::count(forms.events.begin(), forms.events.end(), "Click(lstOptions)"), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Nested, QueuedChoice,
    ::testing::Values(
        // The queued box click checks an item the outer handler has still to pass.
        QueuedCase{"space_then_box_further_on", "0100", 1, Action::PressSpace, 1, {{Action::ClickBox, 3}}, "0001", 3},
        QueuedCase{"box_then_box_further_on", "1000", 0, Action::ClickBox, 1, {{Action::ClickBox, 3}}, "0001", 3},
        QueuedCase{"box_then_box_before", "0100", 1, Action::ClickBox, 3, {{Action::ClickBox, 0}}, "1000", 0},
        // The queued text click is on the item that was checked before: its Click checks nothing
        // new, so the outer handler must not leave its own item checked too.
        QueuedCase{"box_then_text_of_the_old_choice", "0100", 1, Action::ClickBox, 3, {{Action::ClickText, 1}},
                   "0100", 1},
        QueuedCase{"space_then_text_of_another_item", "0100", 1, Action::PressSpace, 3, {{Action::ClickText, 0}},
                   "1000", 0},
        QueuedCase{"box_then_text_of_an_unchecked_item", "0100", 1, Action::ClickBox, 0, {{Action::ClickText, 2}},
                   "0010", 2},
        QueuedCase{"box_then_space_on_the_same_item", "0100", 1, Action::ClickBox, 2, {{Action::PressSpace, 0}},
                   "0010", 2},
        QueuedCase{"many_queued", "0100", 1, Action::ClickBox, 0,
                   {{Action::ClickBox, 3}, {Action::ClickText, 2}, {Action::ClickBox, 1}, {Action::ArrowDown, 0},
                    {Action::ClickText, 0}, {Action::ClickBox, 3}}, "0001", 3}),
    [](const ::testing::TestParamInfo<QueuedCase>& info) { return std::string(info.param.name); });

TEST_F(Lists, AQueuedChoiceOnTheOtherListKeepsBothSingle) {
    Prepare(control::ActionList, "0100", 1);
    forms.Post([this] { forms.UserClickCheckBox(control::ForceModeList, 0); });
    forms.UserClickCheckBox(control::ActionList, 2);
    EXPECT_EQ(Checks(control::ActionList), "0010");
    EXPECT_EQ(forms.ListIndex(control::ActionList), 2);
    EXPECT_EQ(Checks(control::ForceModeList), "10");
    EXPECT_EQ(forms.ListIndex(control::ForceModeList), 0);
}

TEST_F(Lists, AClickQueuedOnTheArmButtonArmsWithTheCurrentChoices) {
    Prepare(control::ActionList, "0100", 1);
    forms.Post([this] { forms.UserClick(control::ArmButton); });
    forms.UserClickCheckBox(control::ActionList, 3);
    EXPECT_EQ(Checks(control::ActionList), "0001");
    EXPECT_EQ(forms.ListIndex(control::ActionList), 3);
    EXPECT_TRUE(forms.Enabled(control::ScheduleTimer));
}

}  // namespace
}  // namespace brellix::ui::test
