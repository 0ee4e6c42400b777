// The whole interactive program on the memory backends: start-up, the tray, closing, exit and
// what reaches the settings file, read back by a second start.
#include "app/startup.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/memory/memory_forms.h"
#include "platform/memory/memory_os.h"
#include "settings/scratch_dir.h"
#include "ui/frm_main_layout.h"

namespace brellix::app {
namespace {

using platform::MemoryForms;
using platform::MemoryOs;
using platform::UnloadMode;
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
            topmostBeforeFirstShow = !os->CallsNamed({"SetWindowPosTopmost"}).empty();
        }
        MemoryForms::Show();
    }
};

// One run of the program: its own state, window and event procedures, on a shared disk.
struct ProgramRun {
    MemoryOs os;
    WatchedForms forms;
    ProgramState state;
    std::unique_ptr<FrmMain> frm;

    explicit ProgramRun(const std::filesystem::path& exeDir) {
        os.moduleFileName = std::wstring(exeDir.wstring()) + L"\\Brellix.exe";
        forms.os = &os;
        frm = std::make_unique<FrmMain>(forms, os, state.osvInfo, state.schedule, state.frmMain);
    }
    void Start() { InteractiveStartUp(os, forms, state, *frm); }
    std::string Checks(int list) const {
        std::string marks;
        for (int i = 0; i < forms.ListCount(list); ++i) marks += forms.Selected(list, i) ? '1' : '0';
        return marks;
    }
    std::wstring Target() const { return state.schedule.strShutdownTime; }
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
    EXPECT_EQ(run.Checks(lstOptions), "0100");
    EXPECT_EQ(run.Checks(lstExtra), "01");
    EXPECT_EQ(run.forms.ListIndex(lstOptions), 1);
    EXPECT_EQ(run.forms.ListIndex(lstExtra), 1);
    EXPECT_EQ(run.Target(), L"3:15:45 AM");
    EXPECT_TRUE(run.forms.Visible());
    EXPECT_EQ(run.forms.shows, 1);
    EXPECT_EQ(run.forms.iconsAtFirstShow, 1u) << "the icon exists before the window is shown";
    EXPECT_TRUE(run.forms.topmostBeforeFirstShow);
    EXPECT_EQ(run.forms.leftAtFirstShow, 0.0f);
    EXPECT_EQ(run.forms.topAtFirstShow, 0.0f);
    ASSERT_EQ(run.os.trayIcons.size(), 1u);
    EXPECT_EQ(run.os.trayIcons[0].szTip, DesignCaption());
    EXPECT_TRUE(run.state.frmMain.blnHideOnClose);
    EXPECT_FALSE(run.forms.TimerRunning(tmrShutdown));
    EXPECT_EQ(run.state.frmMain.settings.strIniFile, dir.path().wstring() + L"\\Brellix.ini");
    EXPECT_EQ(IniBytes(), "<none>") << "starting writes nothing";
}

TEST_F(Program, ExitStoresEverySettingInOrderAndTheNextStartRestoresThem) {
    {
        ProgramRun run(dir.path());
        run.Start();
        run.forms.UserClickItem(lstOptions, 3);
        run.forms.UserClickItem(lstExtra, 0);
        run.forms.UserChoose(cboHour, 10);   // "11"
        run.forms.UserChoose(cboMinute, 30);
        run.forms.UserChoose(cboSecond, 0);
        run.forms.UserChoose(cboAMPM, 1);
        run.forms.SetLeft(1500);
        run.forms.SetTop(-300);
        run.forms.UserClick(btnExit);
        EXPECT_FALSE(run.forms.IsLoaded());
        EXPECT_TRUE(run.os.trayIcons.empty()) << "the icon goes with the window";
    }
    EXPECT_EQ(IniBytes(),
              "[Position]\r\nLeft=1500\r\nTop=-300\r\n"
              "[Options]\r\nSelected=3\r\n"
              "[Extra]\r\nSelected=0\r\n"
              "[Shutdown]\r\nHour=11\r\nMinute=30\r\nSecond=0\r\nAMPM=PM\r\n");

    ProgramRun next(dir.path());
    next.Start();
    EXPECT_EQ(next.Checks(lstOptions), "0001");
    EXPECT_EQ(next.Checks(lstExtra), "10");
    EXPECT_EQ(next.Target(), L"11:30:0 PM");
    EXPECT_EQ(next.forms.leftAtFirstShow, 1500.0f);
    EXPECT_EQ(next.forms.topAtFirstShow, -300.0f) << "partly on a monitor: applied unchanged";
}

TEST_F(Program, AHostileSettingsFileStartsWithTheDefaults) {
    test::PutFile(IniPath(),
                  "[Options]\nSelected=-1\n[Extra]\nSelected=1e9\n[Shutdown]\nHour=13\nMinute=05\n"
                  "Second=\nAMPM=pm\n[Position]\nLeft=nan\nTop=inf\n");
    ProgramRun run(dir.path());
    run.Start();
    EXPECT_EQ(run.Checks(lstOptions), "0100");
    EXPECT_EQ(run.Checks(lstExtra), "01");
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
    for (UnloadMode mode : {UnloadMode::FormControlMenu, UnloadMode::TaskManager, UnloadMode::AppWindows}) {
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
    run.os.notifyIconSucceeds = false;  // the shell is not ready, and stays so
    run.Start();
    run.forms.UserClose();
    EXPECT_TRUE(run.forms.Visible());
    EXPECT_EQ(run.forms.GetWindowState(), WindowState::Minimized);

    run.os.notifyIconSucceeds = true;  // the shell came up: the next close finds the icon added
    run.forms.SetWindowState(WindowState::Normal);
    run.forms.UserClose();
    EXPECT_FALSE(run.forms.Visible());
    EXPECT_EQ(run.os.trayIcons.size(), 1u);
}

TEST_F(Program, TheTrayIconOpensTheMenuOrShowsTheWindowAndNothingElse) {
    ProgramRun run(dir.path());
    run.Start();
    run.forms.UserClose();
    for (std::uint32_t code : {0x200u, 0x201u, 0x202u, 0x205u, 0x206u}) run.forms.ShellTrayNotify(code);
    EXPECT_FALSE(run.forms.Visible());
    EXPECT_TRUE(run.os.CallsNamed({"SetForegroundWindow"}).empty());

    run.forms.ShellTrayNotify(0x203);  // double-click
    EXPECT_TRUE(run.forms.Visible());
    EXPECT_EQ(run.os.CallsNamed({"SetForegroundWindow"}).size(), 1u);
    run.forms.ShellTrayNotify(0x203);  // already shown: stays shown, comes to the front
    EXPECT_TRUE(run.forms.Visible());

    run.forms.events.clear();
    run.forms.ShellTrayNotify(0x204);  // right press: the menu, after the foreground
    EXPECT_EQ(run.forms.events, std::vector<std::string>{"Click(mnuPopup)"});
    EXPECT_EQ(run.os.CallsNamed({"SetForegroundWindow"}).size(), 3u);
}

TEST_F(Program, ThePopupOffersHideOrShowByVisibilityAndArmsLikeTheButton) {
    ProgramRun run(dir.path());
    run.Start();
    run.forms.ShellTrayNotify(0x204);
    EXPECT_TRUE(run.forms.Enabled(mnuPopupHide));
    EXPECT_FALSE(run.forms.Enabled(mnuPopupShow));

    run.forms.popupChoice = mnuPopupHide;
    run.forms.ShellTrayNotify(0x204);
    EXPECT_FALSE(run.forms.Visible());

    run.forms.popupChoice = mnuPopupTurnON;  // armed from the tray while hidden
    run.forms.ShellTrayNotify(0x204);
    EXPECT_FALSE(run.forms.Enabled(mnuPopupHide)) << "opened while hidden";
    EXPECT_TRUE(run.forms.Enabled(mnuPopupShow));
    EXPECT_FALSE(run.forms.Visible());
    EXPECT_EQ(run.forms.Caption(), kCaptionArmed);
    EXPECT_TRUE(run.forms.TimerRunning(tmrShutdown));
    EXPECT_FALSE(run.forms.Enabled(mnuPopupTurnON));
    EXPECT_EQ(run.os.trayIcons[0].szTip, DesignCaption()) << "the tip never follows the caption";

    run.forms.popupChoice = mnuPopupTurnON;  // disabled now: choosing it does nothing
    run.forms.ShellTrayNotify(0x204);
    EXPECT_TRUE(run.forms.TimerRunning(tmrShutdown));

    run.forms.popupChoice = mnuPopupShow;
    run.forms.ShellTrayNotify(0x204);
    EXPECT_TRUE(run.forms.Visible());

    run.forms.popupChoice = mnuPopupExit;
    run.forms.ShellTrayNotify(0x204);
    EXPECT_FALSE(run.forms.IsLoaded());
}

TEST_F(Program, ExitWhileMinimisedKeepsTheStoredPositionAndWritesTheRest) {
    test::PutFile(IniPath(), "[Position]\r\nLeft=600\r\nTop=900\r\n");
    ProgramRun run(dir.path());
    run.Start();
    run.forms.SetLeft(-32000);  // where Windows parks a minimised window
    run.forms.SetWindowState(WindowState::Minimized);
    run.forms.UserClick(btnExit);  // a minimised window cannot be clicked...
    run.forms.popupChoice = mnuPopupExit;  // ...but the tray's Exit reaches it
    run.forms.ShellTrayNotify(0x204);
    EXPECT_FALSE(run.forms.IsLoaded());
    EXPECT_EQ(IniBytes(),
              "[Position]\r\nLeft=600\r\nTop=900\r\n[Options]\r\nSelected=1\r\n[Extra]\r\nSelected=1\r\n"
              "[Shutdown]\r\nHour=3\r\nMinute=15\r\nSecond=45\r\nAMPM=AM\r\n");
}

TEST_F(Program, ExitWhileArmedStoresTheChoicesAndTheNextStartIsDisarmed) {
    {
        ProgramRun run(dir.path());
        run.Start();
        run.forms.UserChoose(cboHour, 6);  // "7"
        run.forms.UserClick(btnTurnON);
        ASSERT_TRUE(run.forms.TimerRunning(tmrShutdown));
        run.forms.popupChoice = mnuPopupExit;
        run.forms.ShellTrayNotify(0x204);
    }
    ProgramRun next(dir.path());
    next.Start();
    EXPECT_EQ(next.Target(), L"7:15:45 AM");
    EXPECT_FALSE(next.forms.TimerRunning(tmrShutdown));
    EXPECT_EQ(next.forms.Caption(), DesignCaption());
    EXPECT_TRUE(next.forms.Enabled(btnTurnON));
}

TEST_F(Program, TheEndOfTheSessionStoresTheSettingsOnceAndRemovesTheIcon) {
    ProgramRun run(dir.path());
    run.Start();
    run.forms.UserClickItem(lstOptions, 2);
    run.forms.SystemEndSession();
    EXPECT_TRUE(run.os.trayIcons.empty());
    const std::string stored = IniBytes();
    EXPECT_NE(stored.find("[Options]\r\nSelected=2\r\n"), std::string::npos) << stored;

    // Should the process live on and exit later, nothing is written twice.
    const std::size_t writes = run.os.CallsNamed({"WritePrivateProfileStringW"}).size();
    run.forms.popupChoice = mnuPopupExit;
    run.forms.ShellTrayNotify(0x204);
    EXPECT_EQ(run.os.CallsNamed({"WritePrivateProfileStringW"}).size(), writes);
}

TEST_F(Program, ARecreatedTaskbarGetsTheIconBack) {
    ProgramRun run(dir.path());
    run.Start();
    run.os.trayIcons.clear();  // the shell restarted
    run.forms.ShellTaskbarCreated();
    ASSERT_EQ(run.os.trayIcons.size(), 1u);
    EXPECT_EQ(run.os.trayIcons[0].szTip, DesignCaption());
}

TEST_F(Program, TheCreditOpensTheMakersPageAndChangesNothing) {
    ProgramRun run(dir.path());
    run.Start();
    run.forms.UserClick(Label2);
    EXPECT_EQ(run.os.CallsNamed({"OpenWebAddress"}),
              std::vector<std::string>{"OpenWebAddress(" + platform::ToCallText(MakerWebAddress()) + ")"});
    EXPECT_TRUE(run.forms.Visible());
    EXPECT_EQ(run.forms.Caption(), DesignCaption());
}

}  // namespace
}  // namespace brellix::app
