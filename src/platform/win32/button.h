// Command buttons: push buttons that raise Click; one of them may be the default (Enter) and one
// the cancel button (Esc).
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace brellix::platform::win32::button {

inline constexpr const wchar_t* kClass = WC_BUTTONW;

// The designed default button is drawn as the default until the dialog manager moves that role.
inline DWORD Style(bool isDefault) { return WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON); }

// WM_COMMAND from a button: BN_CLICKED (0) for a click, a key or BM_CLICK.
inline bool IsClick(int code) { return code == BN_CLICKED; }

}  // namespace brellix::platform::win32::button
