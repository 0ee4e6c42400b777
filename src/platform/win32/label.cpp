#include "platform/win32/label.h"

#include <string>

#include "platform/win32/handles.h"
#include "platform/win32/window_text.h"

namespace brellix::platform::win32::label {

RECT FitToCaption(HWND label, const RECT& design, bool autoSize) {
    RECT rect = design;
    if (!autoSize) return rect;
    const HDC dc = ::GetDC(label);
    const auto font = reinterpret_cast<HGDIOBJ>(::SendMessageW(label, WM_GETFONT, 0, 0));
    const HGDIOBJ old = font ? ::SelectObject(dc, font) : nullptr;
    const std::wstring text = WindowText(label);
    RECT extent{};
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &extent, DT_CALCRECT | DT_SINGLELINE);
    if (old) ::SelectObject(dc, old);
    ::ReleaseDC(label, dc);
    rect.right = rect.left + extent.right;
    rect.bottom = rect.top + extent.bottom;
    return rect;
}

void ClipUnder(HWND label, const std::vector<RECT>& covering) {
    RECT own{};
    ::GetWindowRect(label, &own);
    ::MapWindowPoints(nullptr, ::GetParent(label), reinterpret_cast<POINT*>(&own), 2);
    UniqueGdiObject region(::CreateRectRgn(0, 0, own.right - own.left, own.bottom - own.top));
    bool covered = false;
    for (const RECT& rect : covering) {
        RECT overlap{};
        if (!::IntersectRect(&overlap, &own, &rect)) continue;
        ::OffsetRect(&overlap, -own.left, -own.top);
        UniqueGdiObject part(::CreateRectRgnIndirect(&overlap));
        ::CombineRgn(static_cast<HRGN>(region.get()), static_cast<HRGN>(region.get()), static_cast<HRGN>(part.get()),
                     RGN_DIFF);
        covered = true;
    }
    if (!covered) {
        ::SetWindowRgn(label, nullptr, TRUE);
    } else if (::SetWindowRgn(label, static_cast<HRGN>(region.get()), TRUE)) {
        region.release();  // the window owns it now
    }
}

LRESULT Colours(HDC dc, std::optional<std::uint32_t> textColor) {
    if (textColor) ::SetTextColor(dc, static_cast<COLORREF>(*textColor));
    ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
    ::SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
}

void AddToolTip(HWND& toolTips, HWND form, HWND control, std::wstring_view text, HINSTANCE instance) {
    if (!toolTips) {
        // Owned by the form, destroyed with it.
        toolTips = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, form, nullptr, instance, nullptr);
        if (!toolTips) return;
    }
    std::wstring terminated(text);
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;  // understood by every version of the common controls
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = form;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = terminated.data();
    ::SendMessageW(toolTips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

}  // namespace brellix::platform::win32::label
