// Labels: text on the form's own surface, in their own colour where they have one; a label's access
// key moves the focus on to the control it captions, and a click on it raises Click.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace brellix::platform::win32::label {

inline constexpr const wchar_t* kClass = WC_STATICW;

// SS_NOTIFY: labels report clicks, and a tooltip sees the pointer over them.
inline DWORD Style(bool autoSize) { return SS_NOTIFY | (autoSize ? SS_LEFTNOWORDWRAP : SS_LEFT); }

// WM_COMMAND from a label: STN_CLICKED.
inline bool IsClick(int code) { return code == STN_CLICKED; }

// The designed rectangle; an auto-sized label as large as its caption in its font, from the
// designed corner.
RECT FitToCaption(HWND label, const RECT& design, bool autoSize);

// Labels belong to the form's surface: the parts that controls with windows of their own cover are
// cut out of the label's window, whatever their order for the keyboard.
void ClipUnder(HWND label, const std::vector<RECT>& covering);

// WM_CTLCOLORSTATIC: the form's background, the label's colour (0x00BBGGRR) where it has one.
LRESULT Colours(HDC dc, std::optional<std::uint32_t> textColor);

// Adds a tooltip for a control to the form's tooltip window, creating that window the first time.
void AddToolTip(HWND& toolTips, HWND form, HWND control, std::wstring_view text, HINSTANCE instance);

}  // namespace brellix::platform::win32::label
