// What the user is told outside the window, and what the window does about it: the warning before
// the end, a refusal, an answer that is slow to come, a second start, a tray that went away.
#include <gtest/gtest.h>

#include <string>

#include "main_window_fixture.h"
#include "platform/memory/memory_os.h"

namespace brellix::ui::test {
namespace {

using platform::NotificationAnswer;
using platform::SessionEndOutlook;

class Notices : public MainWindowTest {
protected:
    // Armed for 3:15:45 AM to reboot, 90 s before, with the default minute's warning.
    void ArmToReboot() {
        LoadAndShow();
        // As the program starts: the icon in the tray, a close only hides.
        ShowTrayIcon(os, forms, frmState.tray);
        frmState.hideOnClose = true;
        forms.UserClickItem(control::ActionList, 2);
        ChooseTime(L"3", L"15", L"45", L"AM");
        SetLocalTime(MsOfDay(3, 14, 15));
        Arm();
    }
    std::wstring LastTitle() const { return os.notifications.empty() ? L"" : os.notifications.back().title; }
    bool Armed() const { return forms.Enabled(control::ScheduleTimer); }
};

TEST_F(Notices, AWarningComesAMinuteBeforeAndTheUserCanDisarmFromIt) {
    ArmToReboot();
    EXPECT_EQ(os.CallsNamed({"AskSessionEndOutlook"}), std::vector<std::string>{"AskSessionEndOutlook(Reboot, ForceIfHung)"});
    TickFor(29'000);
    EXPECT_TRUE(os.notifications.empty()) << "not yet";
    TickFor(1'400);
    ASSERT_EQ(os.notifications.size(), 1u);
    EXPECT_EQ(LastTitle(), L"即将重启");
    EXPECT_NE(os.notifications[0].body.find(L"3:15:45 AM"), std::wstring::npos);
    EXPECT_TRUE(os.notifications[0].offersDisarm);
    TickFor(10'000);
    EXPECT_EQ(os.notifications.size(), 1u) << "one warning per arming";

    forms.UserAnswersNotification(NotificationAnswer::Disarm);
    EXPECT_FALSE(Armed());
    EXPECT_EQ(forms.Caption(), kCaptionDisarmed);
    EXPECT_FALSE(os.notificationShown) << "disarming withdraws the warning";
    TickFor(60'000);
    EXPECT_TRUE(ExitRequests().empty());
}

TEST_F(Notices, ClickingTheWarningBringsTheHiddenWindowWithTheFocusOnDisarm) {
    ArmToReboot();
    forms.UserClose();
    ASSERT_FALSE(forms.Visible());
    TickFor(31'000);
    forms.UserAnswersNotification(NotificationAnswer::Opened);
    EXPECT_TRUE(forms.Visible());
    EXPECT_EQ(forms.FocusedControl(), control::DisarmButton);
    EXPECT_TRUE(Armed()) << "looking is not disarming";
    forms.UserPressEnter();
    EXPECT_FALSE(Armed());
}

TEST_F(Notices, ARefusalIsToldAtOnceWithTheSystemsWordsAndTheWindowComesBack) {
    os.sessionEndAnswer = {false, L"Interactive authentication required."};
    ArmToReboot();
    forms.UserClose();
    TickFor(91'000);
    ASSERT_EQ(ExitRequests().size(), 1u);
    EXPECT_EQ(LastTitle(), L"重启失败");
    EXPECT_EQ(os.notifications.back().body, L"Interactive authentication required.");
    EXPECT_TRUE(os.notificationShown) << "not withdrawn by the disarming that follows the firing";
    EXPECT_EQ(forms.Caption(), kCaptionDisarmed);
    EXPECT_TRUE(forms.Visible());
}

TEST_F(Notices, ASlowAnswerLeavesTheWindowFreeAndNoSecondRequestGoesOutMeanwhile) {
    os.sessionEndAnsweredAtOnce = false;
    ArmToReboot();
    TickFor(91'000);
    ASSERT_EQ(ExitRequests().size(), 1u);
    EXPECT_EQ(forms.Caption(), kCaptionDisarmed) << "the window answers while the system thinks";

    // Armed again and due while the first request is unanswered.
    SetLocalTime(MsOfDay(3, 15, 40));
    Arm();
    TickFor(6'000);
    EXPECT_EQ(ExitRequests().size(), 1u);
    EXPECT_EQ(LastTitle(), L"重启失败");

    forms.SystemAnswersSessionEnd({false, L"Access denied"});
    EXPECT_EQ(os.notifications.back().body, L"Access denied");
    const std::size_t told = os.notifications.size();
    forms.SystemAnswersSessionEnd({false, L"Access denied"});
    EXPECT_EQ(os.notifications.size(), told) << "an answer nobody waits for tells nothing";
}

TEST_F(Notices, AnOutlookOfRefusalIsToldAndTheScheduleStaysArmed) {
    const struct {
        SessionEndOutlook outlook;
        bool told;
    } cases[] = {{SessionEndOutlook::Allowed, false},
                 {SessionEndOutlook::NeedsPassword, true},
                 {SessionEndOutlook::NotAllowed, true}};
    for (const auto& c : cases) {
        os.notifications.clear();
        ArmToReboot();
        forms.SystemAnswersOutlook({platform::PowerAction::PowerOff}, SessionEndOutlook::NotAllowed);
        EXPECT_TRUE(os.notifications.empty()) << "about another request";
        forms.SystemAnswersOutlook({platform::PowerAction::Reboot, platform::ForceMode::ForceIfHung}, c.outlook);
        EXPECT_EQ(!os.notifications.empty(), c.told);
        if (c.told) EXPECT_EQ(LastTitle(), L"重启可能会被拒绝");
        EXPECT_TRUE(Armed());
        forms.UserClick(control::DisarmButton);
        EXPECT_FALSE(os.notificationShown);
        frm.Exit();
    }
}

TEST_F(Notices, ASecondStartBringsTheWindowBackShownAndRestored) {
    LoadAndShow();
    for (const bool minimised : {false, true}) {
        forms.Hide();
        if (minimised) forms.SetWindowState(platform::WindowState::Minimized);
        forms.AnotherStartWakes();
        EXPECT_TRUE(forms.Visible());
        EXPECT_EQ(forms.GetWindowState(), platform::WindowState::Normal);
        EXPECT_EQ(os.CallsNamed({"BringToFront"}).size(), minimised ? 2u : 1u);
    }
}

TEST_F(Notices, ClosingAfterTheTrayWentAwayMinimisesInsteadOfHiding) {
    ArmToReboot();
    os.trayIcons.clear();  // the tray went away
    os.trayAvailable = false;
    forms.UserClose();
    EXPECT_TRUE(forms.Visible());
    EXPECT_EQ(forms.GetWindowState(), platform::WindowState::Minimized);
}

}  // namespace
}  // namespace brellix::ui::test
