// The real window driven with real input and by other programs: the keyboard as the dialog
// manager handles it, the window's own events, its place, state and DPI.
#include <gtest/gtest.h>

#include <stdexcept>

#include <algorithm>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "win32_forms_fixture.h"

namespace brellix::platform::win32::test {
namespace {

// ---------------------------------------------------------------------------------------------
// The keyboard

TEST_F(Win32FormsTest, TabVisitsTheControlsInTabIndexOrder) {
    Focus(control::HourPicker);
    std::vector<int> visited;
    for (int i = 0; i < 8; ++i) {
        Press(VK_TAB);
        Settle();
        visited.push_back(FocusedId());
    }
    // btnTurnOFF is disabled until the schedule is armed.
    const std::vector<int> forward = {control::MinutePicker, control::SecondPicker, control::AmPmPicker, control::ActionList, control::ForceModeList, control::ArmButton, control::ExitButton, control::HourPicker};
    EXPECT_EQ(visited, forward);

    PressWith(VK_SHIFT, VK_TAB);
    Settle();
    EXPECT_EQ(FocusedId(), control::ExitButton);
    EXPECT_TRUE(recorder.events.empty());
}

TEST_F(Win32FormsTest, AccessKeysMoveTheFocusOrClickAsDesigned) {
    struct Case {
        const char* what;
        int focusBefore;
        WORD key;
        int focusAfter;  // 0: not looked at
        std::vector<std::string> events;
    };
    const Case cases[] = {
        {"Alt+H: the hour picker", control::ExitButton, 'H', control::HourPicker, {}},
        {"Alt+M: the minute picker", control::HourPicker, 'M', control::MinutePicker, {}},
        {"Alt+S: the second picker", control::HourPicker, 'S', control::SecondPicker, {}},
        {"Alt+T: the AM/PM picker", control::HourPicker, 'T', control::AmPmPicker, {}},
        {"Alt+O: the action list", control::HourPicker, 'O', control::ActionList, {}},
        // Two controls share E: it only moves the focus, to the next of them after the focus in tab
        // order; a repeated Alt+E never ends the program.
        {"Alt+E before the force-mode list: its caption", control::HourPicker, 'E', control::ForceModeList, {}},
        {"Alt+E from the force-mode list on: the exit button, not clicked", control::ForceModeList, 'E',
         control::ExitButton, {}},
        {"Alt+E from the exit button: round to the force-mode list", control::ExitButton, 'E', control::ForceModeList, {}},
        {"Alt+N: the arm button", control::HourPicker, 'N', 0, {"Click(btnTurnON)"}},
        {"Alt+F while the disarm button is disabled", control::HourPicker, 'F', control::HourPicker, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Focus(c.focusBefore);
        PressWith(VK_MENU, c.key);
        WaitForEvents(c.events.size());
        EXPECT_EQ(recorder.events, c.events);
        if (c.focusAfter) {
            EXPECT_EQ(FocusedId(), c.focusAfter);
        }
    }
    forms.SetEnabled(control::DisarmButton, true);
    Focus(control::HourPicker);
    PressWith(VK_MENU, 'F');
    WaitForEvents(1);
    EXPECT_EQ(recorder.events, std::vector<std::string>{"Click(btnTurnOFF)"});
}

TEST_F(Win32FormsTest, EnterClicksTheDefaultButtonOrTheFocusedOneAndEscTheCancelButton) {
    struct Case {
        const char* what;
        int focus;
        WORD key;
        std::vector<std::string> events;
    };
    const Case cases[] = {
        {"Enter in a list", control::ActionList, VK_RETURN, {"Click(btnTurnON)"}},
        {"Enter in a picker", control::SecondPicker, VK_RETURN, {"Click(btnTurnON)"}},
        {"Enter on the exit button", control::ExitButton, VK_RETURN, {"Click(btnExit)"}},
        {"Enter back in a list", control::ForceModeList, VK_RETURN, {"Click(btnTurnON)"}},
        {"Esc in a list", control::ActionList, VK_ESCAPE, {"Click(btnExit)"}},
        {"Esc on the arm button", control::ArmButton, VK_ESCAPE, {"Click(btnExit)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Focus(c.focus);
        Press(c.key);
        WaitForEvents(c.events.size());
        EXPECT_EQ(recorder.events, c.events);
    }
    forms.SetEnabled(control::ArmButton, false);
    Focus(control::ActionList);
    Press(VK_RETURN);
    Settle();
    EXPECT_TRUE(recorder.events.empty()) << "a disabled default button is not clicked";
}

TEST_F(Win32FormsTest, DisablingTheFocusedControlHandsTheFocusOn) {
    Focus(control::ArmButton);
    forms.SetEnabled(control::ArmButton, false);
    EXPECT_EQ(FocusedId(), control::ExitButton);
    EXPECT_TRUE(recorder.events.empty());
}

TEST_F(Win32FormsTest, HidingAndShowingKeepsTheFocusWhereItWas) {
    Focus(control::ForceModeList);
    forms.Hide();
    Settle();
    forms.Show();
    ::SetForegroundWindow(forms.Window());
    Settle();
    EXPECT_EQ(FocusedId(), control::ForceModeList);
}

// As arming from the tray does while the window is hidden: the control that had the focus is
// disabled meanwhile, and the keyboard must still reach a control when the window is back.
TEST_F(Win32FormsTest, AFocusedControlDisabledWhileHiddenHandsTheFocusOnWhenShown) {
    Focus(control::ForceModeList);
    forms.Hide();
    Settle();
    forms.SetEnabled(control::DisarmButton, true);
    for (int id : {control::ArmButton, control::HourPicker, control::MinutePicker, control::SecondPicker, control::AmPmPicker, control::ActionList, control::ForceModeList}) {
        forms.SetEnabled(id, false);
    }
    forms.Show();
    ::SetForegroundWindow(forms.Window());
    Settle();
    recorder.events.clear();
    Press(VK_RETURN);
    WaitForEvents(1);
    EXPECT_EQ(FocusedId(), control::DisarmButton);
    EXPECT_EQ(recorder.events, std::vector<std::string>{"Click(btnTurnOFF)"});
}

TEST_F(Win32FormsTest, SetFocusMovesTheDefaultButtonWithTheFocus) {
    forms.SetEnabled(control::DisarmButton, true);
    forms.SetFocus(control::DisarmButton);
    Settle();
    EXPECT_EQ(forms.FocusedControl(), control::DisarmButton);
    const auto style = [this](int id) { return ::GetWindowLongW(Control(id), GWL_STYLE) & BS_TYPEMASK; };
    EXPECT_EQ(style(control::DisarmButton), BS_DEFPUSHBUTTON);
    EXPECT_EQ(style(control::ArmButton), BS_PUSHBUTTON);
    forms.SetFocus(control::ActionList);
    Settle();
    EXPECT_EQ(style(control::ArmButton), BS_DEFPUSHBUTTON) << "the designed default is back where no button has the focus";
    EXPECT_EQ(style(control::DisarmButton), BS_PUSHBUTTON);
}

// ---------------------------------------------------------------------------------------------
// The window's own events

TEST_F(Win32FormsTest, CloseRequestsAskTheProgramWithTheirCause) {
    recorder.cancelUnload = true;
    ::SendMessageW(forms.Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    ::SendMessageW(forms.Window(), WM_CLOSE, 0, 0);
    forms.Unload();
    EXPECT_EQ(recorder.events,
              (std::vector<std::string>{"CloseRequested(0)", "CloseRequested(3)", "CloseRequested(1)"}));
    EXPECT_TRUE(forms.IsLoaded());
    EXPECT_TRUE(::IsWindow(forms.Window()));

    recorder.cancelUnload = false;
    recorder.events.clear();
    const HWND window = forms.Window();
    forms.Unload();
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"CloseRequested(1)", "Unload"}));
    EXPECT_FALSE(forms.IsLoaded());
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(forms.RunMessageLoop(), 0) << "nothing left to run";
}

TEST_F(Win32FormsTest, AnUnloadFromAHandlerEndsTheMessageLoop) {
    recorder.onClick = [this](int id) {
        if (id == control::ExitButton) forms.Unload();
    };
    ::PostMessageW(forms.Window(), WM_COMMAND, MAKEWPARAM(control::ExitButton, BN_CLICKED),
                   reinterpret_cast<LPARAM>(Control(control::ExitButton)));
    EXPECT_EQ(forms.RunMessageLoop(), 0);
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"Click(btnExit)", "CloseRequested(1)", "Unload"}));
}

// A click sent from outside is handled inside GetMessage, which returns no posted message after
// it: only the window's end can tell the loop to stop.
TEST_F(Win32FormsTest, AnUnloadSentFromAnotherThreadEndsTheMessageLoop) {
    recorder.onClick = [this](int id) {
        if (id == control::ExitButton) forms.Unload();
    };
    const DWORD loopThread = ::GetCurrentThreadId();
    const HWND exitButton = Control(control::ExitButton);
    UniqueHandle loopEnded(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    bool watchdogFired = false;
    std::thread outside([&] {
        ::SendMessageW(exitButton, BM_CLICK, 0, 0);
        // Should the loop not end, it is woken after a while, so that the test fails, not hangs.
        if (::WaitForSingleObject(loopEnded.get(), 10000) == WAIT_TIMEOUT) {
            watchdogFired = true;
            ::PostThreadMessageW(loopThread, WM_QUIT, 0, 0);
        }
    });
    const int code = forms.RunMessageLoop();
    ::SetEvent(loopEnded.get());
    outside.join();
    EXPECT_FALSE(watchdogFired) << "the loop waited on after the window had gone";
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(forms.IsLoaded());
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"Click(btnExit)", "CloseRequested(1)", "Unload"}));
}

TEST_F(Win32FormsTest, DoEventsHandsTheQuitMessageOnToTheLoop) {
    forms.Unload();
    forms.DoEvents();
    forms.DoEvents();
    MSG quit{};
    EXPECT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) << "still there for the loop";
    EXPECT_EQ(forms.RunMessageLoop(), 0);
    EXPECT_FALSE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) << "the loop took it";
}

TEST_F(Win32FormsTest, TheSessionMayEndAndTheProgramIsToldWhenItDoes) {
    EXPECT_EQ(::SendMessageW(forms.Window(), WM_QUERYENDSESSION, 0, 0), TRUE);
    ::SendMessageW(forms.Window(), WM_ENDSESSION, FALSE, 0);
    EXPECT_TRUE(recorder.events.empty());
    ::SendMessageW(forms.Window(), WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(recorder.events, std::vector<std::string>{"EndSession"});
}

TEST_F(Win32FormsTest, TheTrayReportsThroughItsOwnMessageOnly) {
    ::SendMessageW(forms.Window(), WM_MOUSEMOVE, 0, MAKELPARAM(0x204, 0));
    ::SendMessageW(forms.Window(), kTrayCallbackMessage, 1, WM_RBUTTONDOWN);
    ::SendMessageW(forms.Window(), kTrayCallbackMessage, 1, WM_LBUTTONDBLCLK);
    ::SendMessageW(forms.Window(), ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_EQ(recorder.events,
              (std::vector<std::string>{"TrayMenuRequested", "TrayActivated", "TrayCameBack"}));
}

TEST_F(Win32FormsTest, TheTimerTicksOnlyWhileEnabled) {
    EXPECT_FALSE(forms.Enabled(control::ScheduleTimer));
    forms.SetEnabled(control::ScheduleTimer, true);
    WaitForEvents(2);
    forms.SetEnabled(control::ScheduleTimer, false);
    Settle();
    const std::size_t ticks = recorder.events.size();
    EXPECT_GE(ticks, 2u);
    EXPECT_EQ(std::count(recorder.events.begin(), recorder.events.end(), "Timer(tmrShutdown)"),
              static_cast<std::ptrdiff_t>(ticks));
    ::Sleep(400);
    Settle();
    EXPECT_EQ(recorder.events.size(), ticks);
}

// Chooses in the open popup menu from a timer the menu's own loop dispatches.
struct MenuScript {
    static inline std::function<void(HWND)> action;
    static inline bool sawMenu = false;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD) {
        const HWND menu = ::FindWindowW(L"#32768", nullptr);
        if (!menu || !::IsWindowVisible(menu)) return;
        ::KillTimer(nullptr, timer);
        sawMenu = true;
        action(menu);
    }
};

TEST_F(Win32FormsTest, PopupMenuRaisesItsOwnClickFirstAndTheChosenItemAfterItCloses) {
    struct Case {
        const char* what;
        std::vector<WORD> keys;  // posted to the open menu
        bool openingDisablesHide;
        std::vector<std::string> events;
    };
    const Case cases[] = {
        {"an enabled item", {'H'}, false, {"Click(mnuPopup)", "Click(mnuPopupHide)"}},
        {"the exit item", {'E'}, false, {"Click(mnuPopup)", "Click(mnuPopupExit)"}},
        {"a disabled item", {'F', VK_ESCAPE}, false, {"Click(mnuPopup)"}},
        {"an item the opening handler disabled", {'H', VK_ESCAPE}, true, {"Click(mnuPopup)"}},
        {"nothing", {VK_ESCAPE}, false, {"Click(mnuPopup)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        recorder.onClick = [&](int id) {
            if (id == control::TrayMenu) forms.SetEnabled(control::HideItem, !c.openingDisablesHide);
        };
        bool hideEnabledWhenShown = false;
        MenuScript::sawMenu = false;
        MenuScript::action = [&](HWND menu) {
            hideEnabledWhenShown = forms.Enabled(control::HideItem);
            for (WORD key : c.keys) ::PostMessageW(menu, WM_KEYDOWN, key, 0);
        };
        recorder.events.clear();
        ::SetTimer(nullptr, 0, 50, MenuScript::Tick);
        forms.PopupMenu(control::TrayMenu);
        EXPECT_TRUE(MenuScript::sawMenu);
        EXPECT_EQ(hideEnabledWhenShown, !c.openingDisablesHide) << "the opening handler ran before it showed";
        EXPECT_EQ(recorder.events, c.events);
        Settle();
    }
}

// ---------------------------------------------------------------------------------------------
// Placement, state and DPI

TEST_F(Win32FormsTest, PositionIsInScreenTwips) {
    forms.SetLeft(200 * forms.TwipsPerPixel());
    forms.SetTop(150 * forms.TwipsPerPixel());
    RECT rect{};
    ::GetWindowRect(forms.Window(), &rect);
    EXPECT_EQ(rect.left, 200);
    EXPECT_EQ(rect.top, 150);
    EXPECT_FLOAT_EQ(forms.Left(), 200 * forms.TwipsPerPixel());
    EXPECT_FLOAT_EQ(forms.Top(), 150 * forms.TwipsPerPixel());
    const ScreenRect seen = forms.WindowRect();
    EXPECT_EQ(seen.left, rect.left);
    EXPECT_EQ(seen.bottom, rect.bottom);
}

TEST_F(Win32FormsTest, MinimiseHideAndNormalLeavesTheWindowHiddenNormalAndInPlace) {
    const ScreenRect before = forms.WindowRect();
    forms.SetWindowState(WindowState::Minimized);
    Settle();
    EXPECT_EQ(forms.GetWindowState(), WindowState::Minimized);
    forms.Hide();
    forms.SetWindowState(WindowState::Normal);
    Settle();
    EXPECT_FALSE(forms.Visible());
    EXPECT_EQ(forms.GetWindowState(), WindowState::Normal);
    EXPECT_EQ(forms.WindowRect().left, before.left) << "the place it will show at";
    EXPECT_EQ(forms.WindowRect().top, before.top);

    forms.Show();
    Settle();
    EXPECT_TRUE(forms.Visible());
    EXPECT_FALSE(::IsIconic(forms.Window()));
    RECT rect{};
    ::GetWindowRect(forms.Window(), &rect);
    EXPECT_EQ(rect.left, before.left);
    EXPECT_EQ(rect.top, before.top);
    EXPECT_EQ(rect.right - rect.left, before.right - before.left);
}

TEST_F(Win32FormsTest, ADpiChangeLaysTheWindowOutAgainWithNewFonts) {
    for (int dpi : {144, 120, 192, 96}) {
        SCOPED_TRACE(std::to_string(dpi) + " DPI");
        RECT suggested{};
        ::GetWindowRect(forms.Window(), &suggested);
        ::SendMessageW(forms.Window(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        EXPECT_EQ(forms.Dpi(), dpi);
        EXPECT_FLOAT_EQ(forms.TwipsPerPixel(), 1440.0f / static_cast<float>(dpi));
        const FormGeometry geometry = LayoutForm(MainWindowSpec(), dpi);
        RECT client{};
        ::GetClientRect(forms.Window(), &client);
        EXPECT_EQ(client.right, geometry.clientWidth);
        EXPECT_EQ(client.bottom, geometry.clientHeight);
        for (int id : {control::ExitButton, control::ActionList, control::MinutePicker, control::ProgramTitle}) {
            RECT rect{};
            ::GetWindowRect(Control(id), &rect);
            ::MapWindowPoints(nullptr, forms.Window(), reinterpret_cast<POINT*>(&rect), 2);
            const PixelRect& expected = geometry.Find(id)->rect;
            EXPECT_EQ((PixelRect{rect.left, rect.top, rect.right, rect.bottom}), expected) << NameOf(id);
        }
        EXPECT_EQ(::SendMessageW(Control(control::ActionList), LB_GETITEMHEIGHT, 0, 0), geometry.Find(control::ActionList)->rowHeight);
        EXPECT_EQ(DroppedRows(control::SecondPicker), 8);
        LOGFONTW logFont{};
        ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(Control(control::ExitButton), WM_GETFONT, 0, 0)), sizeof logFont,
                     &logFont);
        EXPECT_EQ(logFont.lfHeight, -FontPixelHeight(9.0f, dpi));
        EXPECT_STREQ(logFont.lfFaceName, L"宋体");
    }
}

// The backend catches nothing: a fault in a handler reaches the top of the program, where nothing
// catches it either and so it ends the program (here in a second process), whether its message
// came through the message loop or was sent straight from user32. Nothing swallows it on the way.
TEST_F(Win32FormsTest, AFaultInAHandlerEndsTheProgram) {
    recorder.onTrayMenu = [] { throw std::runtime_error("tray handler failed"); };
    recorder.onClick = [](int) { throw std::runtime_error("click handler failed"); };
    // As in the program: no handler above the forms (GoogleTest's own would catch it).
    const auto uncaught = [](auto&& statement) noexcept { statement(); };
    EXPECT_DEATH(uncaught([&] {
                     ::PostMessageW(forms.Window(), kTrayCallbackMessage, 1, WM_RBUTTONDOWN);
                     forms.DoEvents();
                 }),
                 "tray handler failed");
    EXPECT_DEATH(uncaught([&] { ::SendMessageW(Control(control::ArmButton), BM_CLICK, 0, 0); }), "click handler failed");
}

}  // namespace
}  // namespace brellix::platform::win32::test
