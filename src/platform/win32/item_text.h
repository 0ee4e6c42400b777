// Reading an item's text from a list box or a combo box: the same two messages in each.
#pragma once

#include <windows.h>

#include <string>

namespace brellix::platform::win32 {

// lengthMessage/textMessage: LB_GETTEXTLEN/LB_GETTEXT or CB_GETLBTEXTLEN/CB_GETLBTEXT. Both
// answer -1 (LB_ERR, CB_ERR) for an item that does not exist; the text is then empty.
inline std::wstring ItemText(HWND control, UINT lengthMessage, UINT textMessage, int item) {
    const auto length = ::SendMessageW(control, lengthMessage, static_cast<WPARAM>(item), 0);
    if (length < 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const auto copied =
        ::SendMessageW(control, textMessage, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied < 0 ? 0 : static_cast<std::size_t>(copied));
    return text;
}

}  // namespace brellix::platform::win32
