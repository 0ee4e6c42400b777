// What the user is told outside the window, and what the window does about it: the warning before
// the end, a refusal, an answer that is slow to come, a second start, a tray that went away.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "main_window_fixture.h"
#include "platform/memory/memory_os.h"
#include "ui/messages.h"

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
        if (c.told) {
            EXPECT_EQ(LastTitle(), L"重启可能会被拒绝");
        }
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

// Where nothing shows notifications (no tray, no server, or one without actions), the window itself
// tells: it comes back, says it in its caption until the next arming or disarming, and a warning
// hands the focus to the way to disarm.
TEST_F(Notices, WithNowhereElseToTellItTheWindowTellsIt) {
    const std::wstring refused = std::wstring(kCaptionDisarmed) + L" - 重启失败：Access denied";
    const std::wstring warned = std::wstring(kCaptionArmed) + L" - 即将重启：Brellix 将于 3:15:45 AM 重启。";
    struct Case {
        const char* what;
        bool showable;                                    // what Notify answers at once
        std::optional<NotificationAnswer> answeredLater;  // what the backend learns later
        int tickMs;                                       // 30.5 s: the warning; 91 s: the refusal
        std::wstring caption;
        bool focusOnDisarm;  // else where the user left it
    };
    const Case cases[] = {
        {"a refusal, nothing can show it", false, {}, 91'000, refused, false},
        {"a refusal, found unshown later", true, NotificationAnswer::NotShown, 91'000, refused, false},
        {"a warning, nothing can show it", false, {}, 30'500, warned, true},
        {"a warning shown without its disarm", true, NotificationAnswer::ShownWithoutDisarm, 30'500, kCaptionArmed, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        os.sessionEndAnswer = {false, L"Access denied"};
        os.notificationsShowable = c.showable;
        frmState = MainWindowState{};
        ArmToReboot();
        forms.SetFocus(control::ExitButton);
        forms.UserClose();
        TickFor(c.tickMs);
        if (c.answeredLater) forms.UserAnswersNotification(*c.answeredLater);
        EXPECT_TRUE(forms.Visible());
        EXPECT_EQ(forms.Caption(), c.caption);
        EXPECT_EQ(forms.FocusedControl() == control::DisarmButton, c.focusOnDisarm);
        if (!Armed()) Arm();
        forms.UserClick(control::DisarmButton);
        EXPECT_EQ(forms.Caption(), kCaptionDisarmed) << "told until the state is drawn again";
        frm.Exit();
    }
}

// Settings that could not be stored, on a machine where nothing shows notifications: the window
// stays to say so and the next exit ends the program. A warning never outlives the program.
TEST_F(Notices, AnExitTakesTheWarningBackAndTellsInTheWindowWhatWasNotStored) {
    os.settingsDirectory = L"/proc/brellix-no-such-directory";
    ArmToReboot();
    TickFor(30'500);
    ASSERT_TRUE(os.notificationShown);
    os.notificationsShowable = false;
    frm.Exit();
    EXPECT_FALSE(os.notificationShown) << "the warning is taken back";
    EXPECT_TRUE(forms.IsLoaded()) << "kept to tell what was not stored";
    EXPECT_EQ(forms.Caption().rfind(std::wstring(kCaptionArmed) + L" - 未能保存设置：", 0), 0u) << platform::ToCallText(forms.Caption());
    frm.Exit();
    EXPECT_FALSE(forms.IsLoaded());
}

// A snooze from the warning or from the tray menu: the same action, ten minutes later, shown by
// the pickers (AM/PM following past noon or midnight), warned again before the new time.
TEST_F(Notices, ASnoozeMovesTheTargetShowsItAndWarnsAgain) {
    struct Case {
        const char* what;
        const wchar_t *hour, *minute, *ampm;
        int armedAt;
        bool fromTheMenu;
        const wchar_t* shown;  // the pickers afterwards
        int firesAt;
    };
    const Case cases[] = {
        {"from the warning", L"3", L"15", L"AM", MsOfDay(3, 14, 15), false, L"3:25:45 AM", MsOfDay(3, 25, 45)},
        {"from the menu, past noon", L"11", L"55", L"AM", MsOfDay(11, 54, 15), true, L"12:5:45 PM", MsOfDay(12, 5, 45)},
        {"from the menu, past midnight", L"11", L"55", L"PM", MsOfDay(23, 54, 15), true, L"12:5:45 AM", MsOfDay(0, 5, 45)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        frmState = MainWindowState{};
        os.notifications.clear();
        LoadAndShow();
        ChooseTime(c.hour, c.minute, L"45", c.ampm);
        SetLocalTime(c.armedAt);
        Arm();
        TickFor(31'000);
        ASSERT_EQ(LastTitle(), L"即将关闭电源");
        ASSERT_EQ(os.notifications.back().snoozeMinutes, 10) << "the warning offers it";
        if (c.fromTheMenu) {
            forms.popupChoice = control::SnoozeItem;
            forms.UserRightClickTrayIcon();
        } else {
            forms.UserAnswersNotification(NotificationAnswer::Snooze);
        }
        EXPECT_EQ(frmState.targetText, c.shown);
        EXPECT_FALSE(os.notificationShown) << "the old warning is taken back";
        const std::size_t told = os.notifications.size();
        const std::optional<Firing> firing = TickFor(11 * 60'000);
        ASSERT_TRUE(firing);
        EXPECT_EQ(firing->localMs / 1000, c.firesAt / 1000);
        EXPECT_EQ(os.notifications.size(), told + 1) << "warned once more";
        frm.Exit();
    }
}

// What stands in the way is asked at the warning and told in its place, once known.
TEST_F(Notices, TheWarningNamesWhatStandsInTheWay) {
    ArmToReboot();
    TickFor(31'000);
    ASSERT_EQ(os.CallsNamed({"AskWhatStandsInTheWay"}).size(), 1u);
    const platform::Obstacles obstacles{{L"Firefox：正在播放视频"}, {L"bob（seat0）"}};
    forms.SystemTellsObstacles({platform::PowerAction::PowerOff}, obstacles);
    EXPECT_EQ(os.notifications.size(), 1u) << "about another request";
    forms.SystemTellsObstacles(schedule.Request(), obstacles);
    ASSERT_EQ(os.notifications.size(), 2u);
    EXPECT_EQ(os.notifications.back().body,
              L"Brellix 将于 3:15:45 AM 重启。\n阻止此操作的程序：Firefox：正在播放视频\n其他已登录的用户：bob（seat0）");
    EXPECT_TRUE(os.notifications.back().offersDisarm);
}

TEST_F(Notices, WhatTheSystemTellsAtOnceIsInTheFirstWarning) {
    os.obstaclesAtOnce = platform::Obstacles{{}, {L"bob（已登录）"}};
    ArmToReboot();
    TickFor(31'000);
    ASSERT_EQ(os.notifications.size(), 1u);
    EXPECT_EQ(os.notifications.back().body, L"Brellix 将于 3:15:45 AM 重启。\n其他已登录的用户：bob（已登录）");
}

// The icon's tip says what is armed and how long is left, to the second in the last minute.
TEST(Messages, TheArmedTipNamesTheActionTheTimeAndWhatIsLeft) {
    const struct {
        int msLeft;
        const wchar_t* tip;
    } cases[] = {
        {42 * 60'000, L"关闭电源 6:05:04 AM · 还剩 42 分钟"},
        {41 * 60'000 + 1, L"关闭电源 6:05:04 AM · 还剩 42 分钟"},
        {65 * 60'000, L"关闭电源 6:05:04 AM · 还剩 1 小时 5 分钟"},
        {120 * 60'000, L"关闭电源 6:05:04 AM · 还剩 2 小时"},
        {59'000, L"关闭电源 6:05:04 AM · 还剩 59 秒"},
        {400, L"关闭电源 6:05:04 AM · 还剩 1 秒"},
    };
    for (const auto& c : cases) EXPECT_EQ(ArmedTrayTip(platform::PowerAction::PowerOff, L"6:5:4 AM", c.msLeft), c.tip);
}

TEST(Messages, TheWarningWritesTheTimeAsPeopleReadIt) {
    const struct {
        const wchar_t* pickers;
        const wchar_t* body;
    } cases[] = {
        {L"6:5:4 AM", L"Brellix 将于 6:05:04 AM 注销。"},
        {L"12:0:0 PM", L"Brellix 将于 12:00:00 PM 注销。"},
        {L"11:15:45 PM", L"Brellix 将于 11:15:45 PM 注销。"},
    };
    for (const auto& c : cases) EXPECT_EQ(WarningNotice(platform::PowerAction::LogOff, c.pickers, 10).body, c.body);
}

}  // namespace
}  // namespace brellix::ui::test
