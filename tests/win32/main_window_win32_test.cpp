// the main window's schedule on the real window: the user's clicks reach the handlers through real
// messages, and what the handlers set shows on the real controls.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/memory/memory_os.h"
#include "platform/win32/win32_forms.h"
#include "scheduler/schedule.h"
#include "ui/main_window.h"
#include "ui/main_window_design.h"
#include "win32_test_support.h"

namespace brellix::ui {
namespace {

class MainWindowWin32 : public ::testing::Test {
protected:
    platform::MemoryOs os;  // nothing of the system is asked for in these tests
    platform::win32::Win32Forms forms;
    scheduler::Schedule schedule;
    MainWindowState frmState;
    MainWindow frm{forms, os, schedule, frmState};

    void SetUp() override {
        forms.Load(MainWindowSpec(), frm);
        forms.Show();
        forms.DoEvents();
    }
    void TearDown() override {
        if (forms.IsLoaded()) forms.Unload();
    }

    static std::wstring WindowText(HWND window) {
        wchar_t text[256] = {};
        ::GetWindowTextW(window, text, static_cast<int>(std::size(text)));
        return text;
    }

    // A left click on the check box of a list row, as the mouse would deliver it.
    void ClickCheckBox(int list, int item) {
        const HWND window = forms.ControlWindow(list);
        RECT row{};
        ASSERT_NE(::SendMessageW(window, LB_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&row)),
                  LB_ERR);
        const LPARAM point = MAKELPARAM(row.left + 4, (row.top + row.bottom) / 2);
        ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, point);
        ::SendMessageW(window, WM_LBUTTONUP, 0, point);
        forms.DoEvents();
    }

    // The check marks as the list box itself keeps them, in its rows' item data.
    std::string RowChecks(int list) const {
        const HWND window = forms.ControlWindow(list);
        std::string marks;
        const auto count = ::SendMessageW(window, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            marks += ::SendMessageW(window, LB_GETITEMDATA, static_cast<WPARAM>(i), 0) ? '1' : '0';
        }
        return marks;
    }
};

TEST_F(MainWindowWin32, ArmingFromTheButtonShowsTheArmedCaptionAndLocksTheChoices) {
    ASSERT_EQ(WindowText(forms.Window()), DesignCaption());
    ::SendMessageW(forms.ControlWindow(control::ArmButton), BM_CLICK, 0, 0);
    forms.DoEvents();

    EXPECT_EQ(WindowText(forms.Window()), kCaptionArmed);
    for (int id : {control::HourPicker, control::MinutePicker, control::SecondPicker, control::AmPmPicker, control::ActionList, control::ForceModeList, control::ArmButton}) {
        EXPECT_FALSE(::IsWindowEnabled(forms.ControlWindow(id))) << id;
    }
    EXPECT_TRUE(::IsWindowEnabled(forms.ControlWindow(control::DisarmButton)));
    EXPECT_TRUE(forms.Enabled(control::ScheduleTimer));
    EXPECT_EQ(frmState.targetText, L"3:15:45 AM");

    ::SendMessageW(forms.ControlWindow(control::DisarmButton), BM_CLICK, 0, 0);
    forms.DoEvents();
    EXPECT_EQ(WindowText(forms.Window()), kCaptionDisarmed);
    EXPECT_TRUE(::IsWindowEnabled(forms.ControlWindow(control::ActionList)));
    EXPECT_FALSE(forms.Enabled(control::ScheduleTimer));
}

TEST_F(MainWindowWin32, ACheckOnTheThirdActionUnchecksTheFirst) {
    ASSERT_EQ(RowChecks(control::ActionList), "0100");
    ClickCheckBox(control::ActionList, 0);
    ASSERT_EQ(RowChecks(control::ActionList), "1000");

    ClickCheckBox(control::ActionList, 2);
    EXPECT_EQ(RowChecks(control::ActionList), "0010");
    EXPECT_EQ(forms.ListIndex(control::ActionList), 2);
    EXPECT_EQ(RowChecks(control::ForceModeList), "01");
}

// With real input, as a user would: a mouse click on 运行, then Enter, then Enter again. Arming and
// disarming hand the focus to the button that undoes them, so Enter never reaches Exit.
TEST_F(MainWindowWin32, AClickOnArmThenEnterDisarmsAndEnterAgainArms) {
    ::SetForegroundWindow(forms.Window());
    const auto settle = [this] {
        for (int i = 0; i < 30; ++i) {
            forms.DoEvents();
            ::Sleep(10);
        }
    };
    settle();
    const auto focused = [] { return ::GetDlgCtrlID(::GetFocus()); };

    test::ClickAt(forms.ControlWindow(control::ArmButton), POINT{20, 10});
    settle();
    ASSERT_EQ(WindowText(forms.Window()), kCaptionArmed);
    EXPECT_EQ(focused(), control::DisarmButton);

    test::Press(VK_RETURN);
    settle();
    EXPECT_EQ(WindowText(forms.Window()), kCaptionDisarmed);
    EXPECT_EQ(focused(), control::ArmButton);

    test::Press(VK_RETURN);
    settle();
    EXPECT_EQ(WindowText(forms.Window()), kCaptionArmed);
    EXPECT_EQ(focused(), control::DisarmButton);
    EXPECT_TRUE(forms.IsLoaded()) << "the program is still running";
}

}  // namespace
}  // namespace brellix::ui
