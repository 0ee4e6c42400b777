// The check-box list: an owner-drawn list box whose rows carry a check box. The row's check is
// its item data (0 or 1), so that other processes (tests, accessibility tools) can read it.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <uxtheme.h>

#include <string>
#include <string_view>

namespace brellix::platform::win32::check_list {

inline constexpr const wchar_t* kClass = WC_LISTBOXW;
inline constexpr DWORD kStyle = WS_CHILD | WS_VSCROLL | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY |
                                LBS_NOINTEGRALHEIGHT;
inline constexpr DWORD kExStyle = WS_EX_CLIENTEDGE;

// LB_ADDSTRING: the new row's index; the row starts unchecked.
int Add(HWND list, std::wstring_view text);
// LB_GETCOUNT.
int Count(HWND list);
// LB_GETTEXT; empty for a row that does not exist.
std::wstring Text(HWND list, int item);
// LB_GETCURSEL: LB_ERR (-1) when no row is current.
int Current(HWND list);
// LB_SETCURSEL: moves the current row (-1: none) without notifying the parent.
void SetCurrent(HWND list, int item);
bool Checked(HWND list, int item);
void SetChecked(HWND list, int item, bool checked);
void SetRowHeight(HWND list, int pixels);

// What one keyboard or mouse message means to the list.
struct Input {
    enum class Kind { None, ClickText, ClickBox, ToggleCurrent, Move };
    Kind kind = Kind::None;
    int item = -1;   // ClickText, ClickBox: the row
    int delta = 0;   // Move: rows down (negative: up); beyond the ends it stops at them
};

// Posted to the list for a click on row wParam's check box that came from no mouse (a screen
// reader's default action): it takes the click's one path, so the single-choice rules hold.
inline constexpr UINT kClickBoxMessage = WM_APP + 0x101;

// Which messages the list's own handling must not see: the window applies them itself, so that a
// check or a move happens once and raises its events once.
bool IsInputMessage(UINT message, WPARAM wParam);
Input Interpret(HWND list, UINT message, WPARAM wParam, LPARAM lParam, int dpi);

// WM_DRAWITEM: the check box at the left, the text right of it, highlighted when current.
void Draw(const DRAWITEMSTRUCT& item, int dpi, HTHEME buttonTheme);

}  // namespace brellix::platform::win32::check_list
