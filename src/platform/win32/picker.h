// Pickers: drop-down list combo boxes, which the user chooses from and never types into.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <string_view>

#include "platform/form_geometry.h"

namespace brellix::platform::win32::picker {

inline constexpr const wchar_t* kClass = WC_COMBOBOXW;
inline constexpr DWORD kStyle = WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;

// CB_GETCOUNT.
int Count(HWND combo);
// CB_GETCURSEL: CB_ERR (-1) when nothing is chosen.
int Current(HWND combo);
// CB_SETCURSEL never notifies the parent; -1 clears the choice.
void SetCurrent(HWND combo, int item);
// CB_GETLBTEXT; empty for an item that does not exist.
std::wstring Text(HWND combo, int item);
// CB_ADDSTRING: in the order added (the style does not sort).
void Add(HWND combo, std::wstring_view text);
// WM_COMMAND from a picker: CBN_SELCHANGE when the user's choice moves.
inline bool IsChoice(int code) { return code == CBN_SELCHANGE; }

// The selection field that gave the last picker placed its designed height.
struct FieldMemo {
    HFONT font = nullptr;
    int dpi = 0;
    int boxHeight = 0;
    int field = 0;
};

// Places a closed picker at its designed rectangle, as tall as designed whatever the font and the
// frame add; its list drops eight rows.
void Place(HWND combo, const PixelRect& rect, int dpi, FieldMemo& memo);

}  // namespace brellix::platform::win32::picker
