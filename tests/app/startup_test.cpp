// The whole interactive program on the memory backends: start-up, the tray, closing, exit and
// what reaches the settings file, read back by a second start.
#include "app/startup.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/memory/memory_forms.h"
#include "platform/memory/memory_os.h"
#include "settings/scratch_dir.h"
#include "ui/main_window_design.h"

namespace brellix::app {
namespace {

using platform::MemoryForms;
using platform::MemoryOs;
using platform::CloseReason;
using platform::WindowState;
using namespace brellix::ui;

// Notes what had happened by the moment the window was first shown.
class WatchedForms : public MemoryForms {
public:
    MemoryOs* os = nullptr;
    std::size_t iconsAtFirstShow = 0;
    float leftAtFirstShow = -1, topAtFirstShow = -1;
    bool topmostBeforeFirstShow = false;
    int shows = 0;

    void Show() override {
        if (shows++ == 0) {
            iconsAtFirstShow = os->trayIcons.size();
            leftAtFirstShow = Left();
            topAtFirstShow = Top();
            topmostBeforeFirstShow = !os->CallsNamed({"KeepOnTop"}).empty();
        }
        MemoryForms::Show();
    }
};

// One run of the program: its own state, window and event procedures, on a shared disk.
struct ProgramRun {
    MemoryOs os;
    WatchedForms forms;
    ProgramState state;
    std::unique_ptr<MainWindow> frm;

    explicit ProgramRun(const std::filesystem::path& exeDir) {
        os.executablePath = std::wstring(exeDir.wstring()) + L"\\Brellix.exe";
        forms.os = &os;
        frm = std::make_unique<MainWindow>(forms, os, state.schedule, state.mainWindow);
    }
    void Start(bool atLogin = false) { InteractiveStartUp(os, forms, state, *frm, atLogin); }
    std::string Checks(int list) const {
        std::string marks;
        for (int i = 0; i < forms.ListCount(list); ++i) marks += forms.Selected(list, i) ? '1' : '0';
        return marks;
    }
    std::wstring Target() const { return state.mainWindow.targetText; }
};

class Program : public ::testing::Test {
protected:
    test::ScratchDir dir;
    std::filesystem::path IniPath() const { return dir / "Brellix.ini"; }
    std::string IniBytes() const { return test::FileBytes(IniPath()).value_or("<none>"); }
};

TEST_F(Program, AFirstStartShowsTheDefaultsTopmostAtTheScreensCornerWithTheIconAlreadyThere) {
    ProgramRun run(dir.path());
    run.Start();
    EXPECT_EQ(run.Checks(control::ActionList), "0100");
    EXPECT_EQ(run.Checks(control::ForceModeList), "01");
    EXPECT_EQ(run.forms.ListIndex(control::ActionList), 1);
    EXPECT_EQ(run.forms.ListIndex(control::ForceModeList), 1);
    EXPECT_EQ(run.Target(), L"3:15:45 AM");
    EXPECT_TRUE(run.forms.Visible());
    EXPECT_EQ(run.forms.shows, 1);
    EXPECT_EQ(run.forms.iconsAtFirstShow, 1u) << "the icon exists before the window is shown";
    EXPECT_TRUE(run.forms.topmostBeforeFirstShow);
    EXPECT_EQ(run.forms.leftAtFirstShow, 0.0f);
    EXPECT_EQ(run.forms.topAtFirstShow, 0.0f);
    ASSERT_EQ(run.os.trayIcons.size(), 1u);
    EXPECT_EQ(run.os.trayIcons[0].tip, DesignCaption());
    EXPECT_TRUE(run.state.mainWindow.hideOnClose);
    EXPECT_FALSE(run.forms.TimerRunning(control::ScheduleTimer));
    EXPECT_EQ(run.state.mainWindow.settingsFile, dir.path().wstring() + L"\\Brellix.ini");
    EXPECT_EQ(IniBytes(), "<none>") << "starting writes nothing";
}

TEST_F(Program, ExitStoresEverySettingInOrderAndTheNextStartRestoresThem) {
    {
        ProgramRun run(dir.path());
        run.Start();
        run.forms.UserClickItem(control::ActionList, 3);
        run.forms.UserClickItem(control::ForceModeList, 0);
        run.forms.UserChoose(control::HourPicker, 10);   // "11"
        run.forms.UserChoose(control::MinutePicker, 30);
        run.forms.UserChoose(control::SecondPicker, 0);
        run.forms.UserChoose(control::AmPmPicker, 1);
        run.forms.SetLeft(1500);
        run.forms.SetTop(300);
        run.forms.UserClick(control::ExitButton);
        EXPECT_FALSE(run.forms.IsLoaded());
        EXPECT_TRUE(run.os.trayIcons.empty()) << "the icon goes with the window";
    }
    EXPECT_EQ(IniBytes(),
              "[Position]\r\nLeft=1500\r\nTop=300\r\n"
              "[Options]\r\nSelected=3\r\n"
              "[Extra]\r\nSelected=0\r\n"
              "[Shutdown]\r\nHour=11\r\nMinute=30\r\nSecond=0\r\nAMPM=PM\r\nDaily=0\r\n"
              "[Warning]\r\nSeconds=60\r\nSnoozeMinutes=10\r\n");

    ProgramRun next(dir.path());
    next.Start();
    EXPECT_EQ(next.Checks(control::ActionList), "0001");
    EXPECT_EQ(next.Checks(control::ForceModeList), "10");
    EXPECT_EQ(next.Target(), L"11:30:0 PM");
    EXPECT_EQ(next.forms.leftAtFirstShow, 1500.0f);
    EXPECT_EQ(next.forms.topAtFirstShow, 300.0f) << "title bar on a monitor: applied unchanged";
}

TEST_F(Program, AHostileSettingsFileStartsWithTheDefaults) {
    test::PutFile(IniPath(),
                  "[Options]\nSelected=-1\n[Extra]\nSelected=1e9\n[Shutdown]\nHour=13\nMinute=05\n"
                  "Second=\nAMPM=pm\n[Position]\nLeft=nan\nTop=inf\n");
    ProgramRun run(dir.path());
    run.Start();
    EXPECT_EQ(run.Checks(control::ActionList), "0100");
    EXPECT_EQ(run.Checks(control::ForceModeList), "01");
    EXPECT_EQ(run.Target(), L"3:15:45 AM");
    EXPECT_EQ(run.forms.leftAtFirstShow, 0.0f);
    EXPECT_EQ(run.forms.topAtFirstShow, 0.0f);
}

TEST_F(Program, ASavedPositionThatNoMonitorShowsMovesOntoTheNearestWorkArea) {
    test::PutFile(IniPath(), "[Position]\nLeft=150000\nTop=1500\n");  // 10,000 px to the right
    ProgramRun run(dir.path());
    run.os.monitors = {{0, 0, 1920, 1080}};
    run.os.workAreas = {{0, 0, 1920, 1040}};
    run.Start();
    const platform::ScreenRect rect = run.forms.WindowRect();
    EXPECT_EQ(rect.right, 1920) << "moved left until its right edge meets the work area's";
    EXPECT_EQ(rect.top, 100) << "the height that fitted is kept";
}

TEST_F(Program, ClosingOnlyHidesNormalAndTheIconStaysWhateverAskedForIt) {
    for (CloseReason mode : {CloseReason::CloseBox, CloseReason::OtherProgram, CloseReason::SessionEnd}) {
        ProgramRun run(dir.path());
        run.Start();
        run.forms.UserClose(mode);
        EXPECT_TRUE(run.forms.IsLoaded());
        EXPECT_FALSE(run.forms.Visible());
        EXPECT_EQ(run.forms.GetWindowState(), WindowState::Normal);
        EXPECT_EQ(run.forms.visibilityLog.back(), "Hide(state=1)") << "minimised, then hidden";
        EXPECT_EQ(run.os.trayIcons.size(), 1u);
        run.forms.UserClose(mode);  // closed again while hidden: still refused
        EXPECT_TRUE(run.forms.IsLoaded());
    }
    EXPECT_EQ(IniBytes(), "<none>");
}

TEST_F(Program, WithoutAnIconClosingMinimisesInsteadOfLosingTheWindow) {
    ProgramRun run(dir.path());
    run.os.trayAvailable = false;  // the shell is not ready, and stays so
    run.Start();
    run.forms.UserClose();
    EXPECT_TRUE(run.forms.Visible());
    EXPECT_EQ(run.forms.GetWindowState(), WindowState::Minimized);

    run.os.trayAvailable = true;  // the shell came up: the next close finds the icon added
    run.forms.SetWindowState(WindowState::Normal);
    run.forms.UserClose();
    EXPECT_FALSE(run.forms.Visible());
    EXPECT_EQ(run.os.trayIcons.size(), 1u);
}

TEST_F(Program, TheTrayIconOpensTheMenuOrShowsTheWindowAndNothingElse) {
    ProgramRun run(dir.path());
    run.Start();
    run.forms.UserClose();
    EXPECT_FALSE(run.forms.Visible());

    run.forms.UserActivateTrayIcon();  // double-click
    EXPECT_TRUE(run.forms.Visible());
    run.forms.UserActivateTrayIcon();  // already shown: stays shown
    EXPECT_TRUE(run.forms.Visible());

    run.forms.events.clear();
    run.forms.UserRightClickTrayIcon();  // right press: the menu
    EXPECT_EQ(run.forms.events, std::vector<std::string>{"Click(mnuPopup)"});
}

TEST_F(Program, ThePopupOffersHideOrShowByVisibilityAndArmsLikeTheButton) {
    ProgramRun run(dir.path());
    run.Start();
    run.forms.UserRightClickTrayIcon();
    EXPECT_TRUE(run.forms.Enabled(control::HideItem));
    EXPECT_FALSE(run.forms.Enabled(control::ShowItem));

    run.forms.popupChoice = control::HideItem;
    run.forms.UserRightClickTrayIcon();
    EXPECT_FALSE(run.forms.Visible());

    run.forms.popupChoice = control::ArmItem;  // armed from the tray while hidden
    run.forms.UserRightClickTrayIcon();
    EXPECT_FALSE(run.forms.Enabled(control::HideItem)) << "opened while hidden";
    EXPECT_TRUE(run.forms.Enabled(control::ShowItem));
    EXPECT_FALSE(run.forms.Visible());
    EXPECT_EQ(run.forms.Caption(), kCaptionArmed);
    EXPECT_TRUE(run.forms.TimerRunning(control::ScheduleTimer));
    EXPECT_FALSE(run.forms.Enabled(control::ArmItem));
    EXPECT_EQ(run.os.trayIcons[0].tip.rfind(L"关闭电源 3:15:45 AM · 还剩 ", 0), 0u) << "the tip tells what is armed";

    run.forms.popupChoice = control::ArmItem;  // disabled now: choosing it does nothing
    run.forms.UserRightClickTrayIcon();
    EXPECT_TRUE(run.forms.TimerRunning(control::ScheduleTimer));

    run.forms.popupChoice = control::DisarmItem;
    run.forms.UserRightClickTrayIcon();
    EXPECT_EQ(run.os.trayIcons[0].tip, DesignCaption()) << "disarmed: the tip of the start again";

    run.forms.popupChoice = control::ShowItem;
    run.forms.UserRightClickTrayIcon();
    EXPECT_TRUE(run.forms.Visible());

    run.forms.popupChoice = control::ExitItem;
    run.forms.UserRightClickTrayIcon();
    EXPECT_FALSE(run.forms.IsLoaded());
}

TEST_F(Program, ExitWhileMinimisedKeepsTheStoredPositionAndWritesTheRest) {
    test::PutFile(IniPath(), "[Position]\r\nLeft=600\r\nTop=900\r\n");
    ProgramRun run(dir.path());
    run.Start();
    run.forms.SetLeft(-32000);  // where Windows parks a minimised window
    run.forms.SetWindowState(WindowState::Minimized);
    run.forms.UserClick(control::ExitButton);  // a minimised window cannot be clicked...
    run.forms.popupChoice = control::ExitItem;  // ...but the tray's Exit reaches it
    run.forms.UserRightClickTrayIcon();
    EXPECT_FALSE(run.forms.IsLoaded());
    EXPECT_EQ(IniBytes(),
              "[Position]\r\nLeft=600\r\nTop=900\r\n[Options]\r\nSelected=1\r\n[Extra]\r\nSelected=1\r\n"
              "[Shutdown]\r\nHour=3\r\nMinute=15\r\nSecond=45\r\nAMPM=AM\r\nDaily=0\r\n"
              "[Warning]\r\nSeconds=60\r\nSnoozeMinutes=10\r\n");
}

TEST_F(Program, ExitWhileArmedStoresTheChoicesAndTheNextStartIsDisarmed) {
    {
        ProgramRun run(dir.path());
        run.Start();
        run.forms.UserChoose(control::HourPicker, 6);  // "7"
        run.forms.UserClick(control::ArmButton);
        ASSERT_TRUE(run.forms.TimerRunning(control::ScheduleTimer));
        run.forms.popupChoice = control::ExitItem;
        run.forms.UserRightClickTrayIcon();
    }
    ProgramRun next(dir.path());
    next.Start();
    EXPECT_EQ(next.Target(), L"7:15:45 AM");
    EXPECT_FALSE(next.forms.TimerRunning(control::ScheduleTimer));
    EXPECT_EQ(next.forms.Caption(), DesignCaption());
    EXPECT_TRUE(next.forms.Enabled(control::ArmButton));
}

TEST_F(Program, TheEndOfTheSessionStoresTheSettingsOnceAndRemovesTheIcon) {
    ProgramRun run(dir.path());
    run.Start();
    run.forms.UserClickItem(control::ActionList, 2);
    run.forms.SystemEndSession();
    EXPECT_TRUE(run.os.trayIcons.empty());
    const std::string stored = IniBytes();
    EXPECT_NE(stored.find("[Options]\r\nSelected=2\r\n"), std::string::npos) << stored;

    // Should the process live on and exit later, nothing is written twice.
    const std::size_t writes = run.os.CallsNamed({"WriteSetting"}).size();
    run.forms.popupChoice = control::ExitItem;
    run.forms.UserRightClickTrayIcon();
    EXPECT_EQ(run.os.CallsNamed({"WriteSetting"}).size(), writes);
}

TEST_F(Program, ARecreatedTaskbarGetsTheIconBack) {
    ProgramRun run(dir.path());
    run.Start();
    run.os.trayIcons.clear();  // the shell restarted
    run.forms.ShellTrayCameBack();
    ASSERT_EQ(run.os.trayIcons.size(), 1u);
    EXPECT_EQ(run.os.trayIcons[0].tip, DesignCaption());
}

TEST_F(Program, TheCreditOpensTheMakersPageAndChangesNothing) {
    ProgramRun run(dir.path());
    run.Start();
    run.forms.UserClick(control::CreditLink);
    EXPECT_EQ(run.os.CallsNamed({"OpenWebAddress"}),
              std::vector<std::string>{"OpenWebAddress(" + platform::ToCallText(MakerWebAddress()) + ")"});
    EXPECT_TRUE(run.forms.Visible());
    EXPECT_EQ(run.forms.Caption(), DesignCaption());
}

// Every day: the menu's check turns the login entry on and is stored; a start at login then shows
// only the icon and is armed at once; a refusal leaves it armed for the next day; turning it off
// removes the entry and leaves the schedule as it is.
TEST_F(Program, EveryDayStartsAtLoginArmedAndStaysArmedAfterARefusal) {
    {
        ProgramRun run(dir.path());
        run.Start();
        run.forms.popupChoice = control::DailyItem;
        run.forms.UserRightClickTrayIcon();
        EXPECT_TRUE(run.os.autostart);
        EXPECT_TRUE(run.forms.Checked(control::DailyItem));
        EXPECT_FALSE(run.forms.TimerRunning(control::ScheduleTimer)) << "nothing else changes";
        run.frm->Exit();
    }
    EXPECT_NE(IniBytes().find("Daily=1"), std::string::npos);

    ProgramRun run(dir.path());
    run.os.sessionEndAnswer = {false, L"refused"};
    run.os.localTime = {3, 15, 44, 900};
    run.Start(/*atLogin=*/true);
    EXPECT_FALSE(run.forms.Visible()) << "the icon only";
    EXPECT_EQ(run.os.trayIcons.size(), 1u);
    EXPECT_TRUE(run.os.autostart) << "the entry refreshed";
    EXPECT_EQ(run.forms.Caption(), kCaptionArmed);
    EXPECT_EQ(run.os.trayIcons[0].tip, L"关闭电源 3:15:45 AM · 还剩 1 秒");

    run.os.localTime = {3, 15, 45, 100};
    run.os.tickMilliseconds += 200;
    run.os.systemMilliseconds += 200;
    run.forms.TimerTick(control::ScheduleTimer);
    ASSERT_EQ(run.os.sessionEnds.size(), 1u);
    EXPECT_EQ(run.os.notifications.back().title, L"关闭电源失败");
    EXPECT_EQ(run.forms.Caption(), kCaptionArmed) << "armed again, for tomorrow";

    run.forms.popupChoice = control::DailyItem;
    run.forms.UserRightClickTrayIcon();
    EXPECT_FALSE(run.os.autostart);
    EXPECT_EQ(run.forms.Caption(), kCaptionArmed) << "turning it off changes nothing else";
}

// Without a tray a start at login still shows the window: nothing else could bring it back.
TEST_F(Program, AStartAtLoginWithoutATrayShowsTheWindow) {
    ProgramRun run(dir.path());
    run.os.trayAvailable = false;
    run.Start(/*atLogin=*/true);
    EXPECT_TRUE(run.forms.Visible());
}

// An armed second that passed while the machine slept is told, naming why, and stays armed.
TEST_F(Program, AMissedSecondIsToldWithItsCause) {
    const struct {
        const char* what;
        bool resumed;
        std::uint64_t monotonicJump;
        const wchar_t* because;
        bool resumedJustAfter = false;  // the system's news comes after the first tick
    } cases[] = {
        {"slept", true, 0, L"计算机在睡眠"},
        {"slept, the news a moment late", false, 0, L"计算机在睡眠", true},
        {"the clock set on", false, 0, L"系统时间已更改"},
        {"a long stall", false, 7'200'000, L"系统太忙"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ProgramRun run(dir.path());
        run.os.localTime = {2, 0, 0, 0};
        run.Start();
        run.forms.UserClick(control::ArmButton);
        run.forms.TimerTick(control::ScheduleTimer);
        run.os.localTime = {4, 0, 0, 0};
        run.os.systemMilliseconds += 2 * 3'600'000;
        run.os.tickMilliseconds += c.monotonicJump;
        if (c.resumed) run.forms.SystemResumes();
        run.forms.TimerTick(control::ScheduleTimer);
        if (c.resumedJustAfter) run.forms.SystemResumes();
        ASSERT_FALSE(run.os.notifications.empty());
        EXPECT_EQ(run.os.notifications.back().title, L"错过了关闭电源的时间");
        EXPECT_NE(run.os.notifications.back().body.find(c.because), std::wstring::npos);
        EXPECT_TRUE(run.os.sessionEnds.empty());
        EXPECT_EQ(run.forms.Caption(), kCaptionArmed);
        run.frm->Exit();
    }
}

}  // namespace
}  // namespace brellix::app
