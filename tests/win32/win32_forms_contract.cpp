// The forms contract against the Win32 backend: the real window, driven by real mouse and
// keyboard input as a user's hands would act, and by keys posted inside the popup menu's own loop.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "platform/forms_contract.h"
#include "platform/win32/win32_forms.h"
#include "win32_test_support.h"

namespace brellix::platform::testing {
namespace {

using brellix::test::ClickAt;
using brellix::test::Press;

// The character after the single '&' of a caption, as the menu matches it: "显示(&S)" -> 'S'.
WORD AccessKey(const std::wstring& caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] == L'&' && caption[i + 1] != L'&') return static_cast<WORD>(::towupper(caption[i + 1]));
    }
    return 0;
}

POINT Centre(const RECT& rect) { return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

// Acts in the open popup menu from a timer its modal loop dispatches: presses the item's access
// key, and should the menu still be open at the next tick (no item, or a disabled one), Esc.
struct MenuHands {
    static inline WORD key = 0;
    static inline bool pressed = false;
    static inline int ticks = 0;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD) {
        const HWND menu = ::FindWindowW(L"#32768", nullptr);
        const bool open = menu && ::IsWindowVisible(menu);
        if (++ticks > 100) ::KillTimer(nullptr, timer);  // the menu never opened: leave the test to fail
        if (!open) return;
        if (key && !pressed) {
            pressed = true;
            ::PostMessageW(menu, WM_KEYDOWN, key, 0);
            return;
        }
        ::KillTimer(nullptr, timer);
        ::PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    }
};

class Win32Driver : public FormsDriver {
public:
    Forms& forms() override { return forms_; }

    void ClickRowText(int list, int item) override {
        const RECT row = Row(list, item);
        Click(list, POINT{row.left + (row.right - row.left) * 3 / 4, (row.top + row.bottom) / 2});
    }
    void ClickCheckBox(int list, int item) override {
        const RECT row = Row(list, item);
        // The box is square, as tall as the row, at its start.
        Click(list, POINT{row.left + (row.bottom - row.top) / 2, (row.top + row.bottom) / 2});
    }
    void PressSpace(int list) override { PressIn(list, VK_SPACE); }
    void PressArrow(int list, int delta) override { PressIn(list, delta < 0 ? VK_UP : VK_DOWN); }

    // With the mouse: the picker's button drops its list down, a click on the item chooses it.
    void Choose(int picker, int item) override {
        const HWND combo = forms_.ControlWindow(picker);
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        if (!::GetComboBoxInfo(combo, &info)) return;
        Click(picker, Centre(info.rcButton));
        if (!::SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0)) return;  // disabled: nothing dropped down
        RECT row{};
        ::SendMessageW(info.hwndList, LB_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&row));
        ClickAt(info.hwndList, Centre(row));
        Settle();
    }
    void ClickButton(int id) override {
        RECT button{};
        ::GetClientRect(forms_.ControlWindow(id), &button);
        Click(id, Centre(button));
    }
    // A click on the close box, found where the window's own hit test places it on the title bar.
    void CloseBox() override {
        Ready();
        const HWND window = forms_.Window();
        TITLEBARINFO title{};
        title.cbSize = sizeof title;
        ASSERT_TRUE(::GetTitleBarInfo(window, &title));
        const LONG y = (title.rcTitleBar.top + title.rcTitleBar.bottom) / 2;
        LONG first = 0, last = 0;
        for (LONG x = title.rcTitleBar.right; x >= title.rcTitleBar.left; --x) {
            const bool onBox = ::SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE;
            if (onBox && !last) last = x;
            if (onBox) first = x;
            if (!onBox && last) break;
        }
        ASSERT_NE(last, 0) << "a close box on the title bar";
        POINT client{(first + last) / 2, y};
        ::ScreenToClient(window, &client);
        // Another attempt is a click of its own, not the second half of a double click.
        const ULONGLONG sinceLast = ::GetTickCount64() - lastCloseClick_;
        if (sinceLast <= ::GetDoubleClickTime()) ::Sleep(static_cast<DWORD>(::GetDoubleClickTime() - sinceLast + 50));
        ClickAt(window, client);
        lastCloseClick_ = ::GetTickCount64();
        Settle();
    }
    void PopupAndChoose(int menu, std::optional<int> item) override {
        Ready();
        MenuHands::key = item ? AccessKey(forms_.ControlCaption(*item)) : 0;
        MenuHands::pressed = false;
        MenuHands::ticks = 0;
        ::SetTimer(nullptr, 0, 50, MenuHands::Tick);
        forms_.PopupMenu(menu);
        Settle();
    }

private:
    // The window in the foreground and every earlier message handled, as before a user acts.
    void Ready() {
        if (::GetForegroundWindow() != forms_.Window()) ::SetForegroundWindow(forms_.Window());
        Settle();
    }

    void Click(int id, POINT client) {
        Ready();
        ClickAt(forms_.ControlWindow(id), client);
        Settle();
    }

    // The user puts the focus in the list, then presses the key. A disabled list takes no focus:
    // the key then comes as the list's own messages, as another program could send them, which
    // the list must ignore as it ignores the user.
    void PressIn(int list, WORD key) {
        Ready();
        const HWND window = forms_.ControlWindow(list);
        ::SetFocus(window);
        Settle();
        if (::GetFocus() == window) {
            Press(key);
        } else {
            ::SendMessageW(window, WM_KEYDOWN, key, 1);
            if (key == VK_SPACE) ::SendMessageW(window, WM_CHAR, L' ', 1);
            ::SendMessageW(window, WM_KEYUP, key, 0xC0000001);
        }
        Settle();
    }

    RECT Row(int list, int item) const {
        RECT row{};
        ::SendMessageW(forms_.ControlWindow(list), LB_GETITEMRECT, static_cast<WPARAM>(item),
                       reinterpret_cast<LPARAM>(&row));
        return row;
    }

    // Handles every waiting message, input included, until the queue stays empty; once the window
    // has gone, only the quit message for a loop is left.
    void Settle() {
        const ULONGLONG start = ::GetTickCount64();
        do {
            forms_.DoEvents();
            ::Sleep(10);
            forms_.DoEvents();
        } while (forms_.IsLoaded() && HIWORD(::GetQueueStatus(QS_ALLINPUT)) != 0 &&
                 ::GetTickCount64() - start < 3000);
    }

    win32::Win32Forms forms_;
    ULONGLONG lastCloseClick_ = 0;
};

INSTANTIATE_TEST_SUITE_P(Win32, FormsContract,
                         ::testing::Values(DriverFactory{"Win32", [] { return std::make_unique<Win32Driver>(); }}),
                         DriverName);

}  // namespace
}  // namespace brellix::platform::testing
