#include "platform/win32/menu.h"

namespace brellix::platform::win32::menu {

void AppendItem(HMENU menu, int id, std::wstring_view caption, bool enabled) {
    const std::wstring terminated(caption);
    ::AppendMenuW(menu, MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED), static_cast<UINT_PTR>(id),
                  terminated.c_str());
}

void AppendSeparator(HMENU menu, int id) { ::AppendMenuW(menu, MF_SEPARATOR, static_cast<UINT_PTR>(id), nullptr); }

std::wstring Caption(HMENU menu, int id) {
    wchar_t text[256] = {};
    ::GetMenuStringW(menu, static_cast<UINT>(id), text, static_cast<int>(std::size(text)), MF_BYCOMMAND);
    return text;
}

void SetCaption(HMENU menu, int id, std::wstring_view caption) {
    std::wstring terminated(caption);
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = terminated.data();
    ::SetMenuItemInfoW(menu, static_cast<UINT>(id), FALSE, &info);
}

bool Enabled(HMENU menu, int id) {
    const UINT state = ::GetMenuState(menu, static_cast<UINT>(id), MF_BYCOMMAND);
    return state != UINT(-1) && !(state & (MF_GRAYED | MF_DISABLED));
}

void SetEnabled(HMENU menu, int id, bool enabled) {
    ::EnableMenuItem(menu, static_cast<UINT>(id), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

bool Checked(HMENU menu, int id) {
    const UINT state = ::GetMenuState(menu, static_cast<UINT>(id), MF_BYCOMMAND);
    return state != UINT(-1) && (state & MF_CHECKED);
}

void SetChecked(HMENU menu, int id, bool checked) {
    ::CheckMenuItem(menu, static_cast<UINT>(id), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

int Track(HMENU menu, HWND owner) {
    // The menu closes when the user clicks elsewhere only if its owner is in the foreground.
    ::SetForegroundWindow(owner);
    POINT cursor{};
    ::GetCursorPos(&cursor);
    const int chosen = static_cast<int>(::TrackPopupMenuEx(
        menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON | TPM_RETURNCMD, cursor.x, cursor.y, owner, nullptr));
    // Lets the next message arrive so that a menu opened again right away shows at all.
    if (::IsWindow(owner)) ::PostMessageW(owner, WM_NULL, 0, 0);
    return chosen;
}

}  // namespace brellix::platform::win32::menu
