// The real window built from the main window's description, loaded, filled and shown for each test, and
// what it raises, recorded in the memory backend's words.
#pragma once

#include "platform/win32/win32_forms.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/form_geometry.h"
#include "platform/memory/memory_forms.h"
#include "platform/memory/memory_os.h"
#include "platform/win32/dpi.h"
#include "ui/main_window_design.h"
#include "win32_test_support.h"

namespace brellix::platform::win32::test {

using brellix::test::ClickAt;
using brellix::test::Press;
using brellix::test::PressWith;

using namespace brellix::ui;

inline std::string NameOf(int id) {
    for (const ControlSpec& control : MainWindowSpec().controls) {
        if (control.id == id) return ToCallText(control.name);
    }
    return std::to_string(id);
}

inline const ControlSpec& SpecOf(int id) {
    static const FormSpec spec = MainWindowSpec();
    for (const ControlSpec& control : spec.controls) {
        if (control.id == id) return control;
    }
    throw std::out_of_range("no such control");
}

// What reaches the program, in the memory backend's words.
class Recorder : public FormEvents {
public:
    std::vector<std::string> events;
    bool cancelUnload = false;
    std::function<void(int)> onClick;
    std::function<void()> onTrayMenu;

    void OnLoad() override { events.push_back("Load"); }
    void OnClick(int id) override {
        events.push_back("Click(" + NameOf(id) + ")");
        if (onClick) onClick(id);
    }
    void OnItemCheck(int id, int item) override {
        events.push_back("ItemCheck(" + NameOf(id) + ", " + std::to_string(item) + ")");
    }
    void OnTimer(int id) override { events.push_back("Timer(" + NameOf(id) + ")"); }
    bool OnCloseRequested(CloseReason mode) override {
        events.push_back("CloseRequested(" + std::to_string(static_cast<int>(mode)) + ")");
        return cancelUnload;
    }
    void OnUnload() override { events.push_back("Unload"); }
    void OnTrayActivated() override { events.push_back("TrayActivated"); }
    void OnTrayMenuRequested() override {
        events.push_back("TrayMenuRequested");
        if (onTrayMenu) onTrayMenu();
    }
    void OnTrayCameBack() override { events.push_back("TrayCameBack"); }
    void OnEndSession() override { events.push_back("EndSession"); }
    void OnNotificationAnswered(NotificationAnswer answer) override {
        events.push_back(answer == NotificationAnswer::Opened ? "NotificationOpened" : "NotificationDisarm");
    }
    void OnWakeRequested() override { events.push_back("WakeRequested"); }
};

// The items the program fills in at load.
inline void Fill(Forms& forms) {
    for (int hour = 1; hour <= 12; ++hour) forms.AddItem(control::HourPicker, std::to_wstring(hour));
    for (int value = 0; value < 60; ++value) {
        forms.AddItem(control::MinutePicker, std::to_wstring(value));
        forms.AddItem(control::SecondPicker, std::to_wstring(value));
    }
    for (const wchar_t* action : {L"关闭系统", L"关闭电源", L"重启", L"注销"}) forms.AddItem(control::ActionList, action);
    for (const wchar_t* ampm : {L"AM", L"PM"}) forms.AddItem(control::AmPmPicker, ampm);
    for (const wchar_t* force : {L"自动断电", L"让用户断电"}) forms.AddItem(control::ForceModeList, force);
}

// A list's checks as "0100".
inline std::string Checks(const Forms& forms, int list) {
    std::string checks;
    for (int i = 0; i < forms.ListCount(list); ++i) checks += forms.Selected(list, i) ? '1' : '0';
    return checks;
}

class Win32FormsTest : public ::testing::Test {
public:
    Win32Forms forms;
    Recorder recorder;

    void SetUp() override {
        forms.Load(MainWindowSpec(), recorder);
        ASSERT_TRUE(forms.IsLoaded());
        Fill(forms);
        forms.SetLeft(120 * forms.TwipsPerPixel());
        forms.SetTop(90 * forms.TwipsPerPixel());
        forms.Show();
        ::SetForegroundWindow(forms.Window());
        Settle();
        recorder.events.clear();
    }

    HWND Control(int id) const { return forms.ControlWindow(id); }

    // Handles every waiting message, input included, until the queue is empty.
    void Settle() {
        const ULONGLONG start = ::GetTickCount64();
        do {
            forms.DoEvents();
            ::Sleep(10);
            forms.DoEvents();
        } while (HIWORD(::GetQueueStatus(QS_ALLINPUT)) != 0 && ::GetTickCount64() - start < 3000);
    }

    // Handles messages until the program has seen `count` events, or gives up after a while.
    void WaitForEvents(std::size_t count) {
        const ULONGLONG start = ::GetTickCount64();
        while (recorder.events.size() < count && ::GetTickCount64() - start < 3000) {
            forms.DoEvents();
            ::Sleep(5);
        }
        Settle();
    }

    int FocusedId() const {
        const HWND focus = ::GetFocus();
        return focus ? ::GetDlgCtrlID(focus) : 0;
    }

    void Focus(int id) {
        ::SetFocus(Control(id));
        Settle();
        recorder.events.clear();
    }

    RECT RowRect(int listId, int item) const {
        RECT row{};
        ::SendMessageW(Control(listId), LB_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&row));
        return row;
    }
    POINT RowTextPoint(int listId, int item) const {
        const RECT row = RowRect(listId, item);
        return POINT{row.left + (row.right - row.left) / 2, (row.top + row.bottom) / 2};
    }
    // How many whole rows a picker's list shows when it drops down.
    int DroppedRows(int pickerId) {
        const HWND picker = Control(pickerId);
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        if (!::GetComboBoxInfo(picker, &info)) return -1;
        ::SendMessageW(picker, CB_SHOWDROPDOWN, TRUE, 0);
        RECT list{};
        ::GetClientRect(info.hwndList, &list);
        ::SendMessageW(picker, CB_SHOWDROPDOWN, FALSE, 0);
        Settle();
        recorder.events.clear();
        const auto rowHeight = static_cast<int>(::SendMessageW(picker, CB_GETITEMHEIGHT, 0, 0));
        return rowHeight > 0 ? static_cast<int>(list.bottom) / rowHeight : -1;
    }
    POINT RowBoxPoint(int listId, int item) const {
        const RECT row = RowRect(listId, item);
        return POINT{row.left + (row.bottom - row.top) / 2, (row.top + row.bottom) / 2};
    }
};

}  // namespace brellix::platform::win32::test
