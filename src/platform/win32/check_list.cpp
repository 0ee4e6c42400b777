#include "platform/win32/check_list.h"

#include <vsstyle.h>
#include <windowsx.h>

#include <algorithm>

#include "platform/win32/item_text.h"

namespace brellix::platform::win32::check_list {

namespace {

int Scaled(int pixelsAt96, int dpi) { return ::MulDiv(pixelsAt96, dpi, USER_DEFAULT_SCREEN_DPI); }

// The check box: 13 pixels at 96 DPI as the system draws them, never taller than the row.
RECT BoxRect(const RECT& row, int dpi) {
    const int size = std::min(Scaled(13, dpi), static_cast<int>(row.bottom - row.top) - 1);
    const int left = row.left + Scaled(1, dpi);
    const int top = row.top + (row.bottom - row.top - size) / 2;
    return RECT{left, top, left + size, top + size};
}

int TextLeft(const RECT& row, int dpi) { return BoxRect(row, dpi).right + Scaled(3, dpi); }

}  // namespace

int Add(HWND list, std::wstring_view text) {
    const std::wstring terminated(text);
    const auto index =
        static_cast<int>(::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(terminated.c_str())));
    if (index >= 0) ::SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(index), 0);
    return index;
}

int Count(HWND list) { return static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0)); }

std::wstring Text(HWND list, int item) { return ItemText(list, LB_GETTEXTLEN, LB_GETTEXT, item); }

int Current(HWND list) { return static_cast<int>(::SendMessageW(list, LB_GETCURSEL, 0, 0)); }

void SetCurrent(HWND list, int item) { ::SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(item), 0); }

bool Checked(HWND list, int item) {
    const auto data = ::SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(item), 0);
    return data != LB_ERR && data != 0;
}

void SetChecked(HWND list, int item, bool checked) {
    const bool changed = Checked(list, item) != checked;
    ::SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(item), checked ? 1 : 0);
    RECT row{};
    if (::SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&row)) != LB_ERR) {
        ::InvalidateRect(list, &row, FALSE);
    }
    // Screen readers announce the row's new state.
    if (changed) ::NotifyWinEvent(EVENT_OBJECT_STATECHANGE, list, OBJID_CLIENT, item + 1);
}

void SetRowHeight(HWND list, int pixels) {
    ::SendMessageW(list, LB_SETITEMHEIGHT, 0, MAKELPARAM(pixels, 0));
    ::InvalidateRect(list, nullptr, TRUE);
}

bool IsInputMessage(UINT message, WPARAM wParam) {
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            return true;
        case WM_KEYDOWN:
            switch (wParam) {
                case VK_SPACE: case VK_UP: case VK_DOWN: case VK_LEFT: case VK_RIGHT:
                case VK_PRIOR: case VK_NEXT: case VK_HOME: case VK_END:
                    return true;
            }
            return false;
        case WM_CHAR:
            return wParam == L' ';  // the key-down already toggled
        case kClickBoxMessage:
            return true;
    }
    return false;
}

Input Interpret(HWND list, UINT message, WPARAM wParam, LPARAM lParam, int dpi) {
    Input input;
    // A disabled list takes no input, even what another program sends it past the system's checks.
    if (!::IsWindowEnabled(list)) return input;
    if (message == kClickBoxMessage) {
        // A row may have gone while the message waited.
        if (wParam >= static_cast<WPARAM>(std::max(0, Count(list)))) return input;
        input.kind = Input::Kind::ClickBox;
        input.item = static_cast<int>(wParam);
        return input;
    }
    if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) {
        const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        // LB_ITEMFROMPOINT: the nearest row in the low word, 1 in the high word when the point
        // lies outside every row.
        const auto hit = ::SendMessageW(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y));
        if (HIWORD(hit) != 0) return input;
        input.item = LOWORD(hit);
        RECT row{};
        ::SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(input.item), reinterpret_cast<LPARAM>(&row));
        input.kind = point.x < TextLeft(row, dpi) ? Input::Kind::ClickBox : Input::Kind::ClickText;
        return input;
    }
    if (message != WM_KEYDOWN) return input;
    const int count = Count(list);
    RECT client{};
    ::GetClientRect(list, &client);
    const auto rowHeight = std::max<LRESULT>(1, ::SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
    const int page = std::max(1, static_cast<int>((client.bottom - client.top) / rowHeight) - 1);
    input.kind = Input::Kind::Move;
    switch (wParam) {
        case VK_SPACE: input.kind = Input::Kind::ToggleCurrent; break;
        case VK_UP: case VK_LEFT: input.delta = -1; break;
        case VK_DOWN: case VK_RIGHT: input.delta = 1; break;
        case VK_PRIOR: input.delta = -page; break;
        case VK_NEXT: input.delta = page; break;
        case VK_HOME: input.delta = -count; break;
        case VK_END: input.delta = count; break;
        default: input.kind = Input::Kind::None; break;
    }
    return input;
}

void Draw(const DRAWITEMSTRUCT& item, int dpi, HTHEME buttonTheme) {
    const HDC dc = item.hDC;
    const bool showFocus = (item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT);
    if (item.itemID == static_cast<UINT>(-1)) {  // an empty list with the focus
        if (showFocus) ::DrawFocusRect(dc, &item.rcItem);
        return;
    }
    const bool disabled = item.itemState & ODS_DISABLED;
    const bool highlighted = (item.itemState & ODS_SELECTED) && !disabled;
    const bool checked = item.itemData != 0;
    const RECT& row = item.rcItem;
    ::FillRect(dc, &row, ::GetSysColorBrush(COLOR_WINDOW));

    RECT box = BoxRect(row, dpi);
    if (buttonTheme) {
        const int state = checked ? (disabled ? CBS_CHECKEDDISABLED : CBS_CHECKEDNORMAL)
                                  : (disabled ? CBS_UNCHECKEDDISABLED : CBS_UNCHECKEDNORMAL);
        ::DrawThemeBackground(buttonTheme, dc, BP_CHECKBOX, state, &box, nullptr);
    } else {
        ::DrawFrameControl(dc, &box, DFC_BUTTON,
                           DFCS_BUTTONCHECK | (checked ? DFCS_CHECKED : 0) | (disabled ? DFCS_INACTIVE : 0));
    }

    RECT textArea = row;
    textArea.left = TextLeft(row, dpi);
    if (highlighted) ::FillRect(dc, &textArea, ::GetSysColorBrush(COLOR_HIGHLIGHT));
    const auto font = reinterpret_cast<HGDIOBJ>(::SendMessageW(item.hwndItem, WM_GETFONT, 0, 0));
    const HGDIOBJ oldFont = font ? ::SelectObject(dc, font) : nullptr;
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(disabled ? COLOR_GRAYTEXT : highlighted ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT textRect = textArea;
    textRect.left += Scaled(2, dpi);
    const std::wstring text = Text(item.hwndItem, static_cast<int>(item.itemID));
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (oldFont) ::SelectObject(dc, oldFont);
    if (showFocus) ::DrawFocusRect(dc, &textArea);
}

}  // namespace brellix::platform::win32::check_list
