#include "platform/win32/picker.h"

#include "platform/win32/item_text.h"

namespace brellix::platform::win32::picker {

namespace {

// The list that drops down from a picker shows this many rows before it scrolls.
constexpr int kVisibleRows = 8;

}  // namespace

int Count(HWND combo) { return static_cast<int>(::SendMessageW(combo, CB_GETCOUNT, 0, 0)); }

int Current(HWND combo) { return static_cast<int>(::SendMessageW(combo, CB_GETCURSEL, 0, 0)); }

void SetCurrent(HWND combo, int item) { ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(item), 0); }

std::wstring Text(HWND combo, int item) { return ItemText(combo, CB_GETLBTEXTLEN, CB_GETLBTEXT, item); }

void Add(HWND combo, std::wstring_view text) {
    const std::wstring terminated(text);
    ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(terminated.c_str()));
}

// A closed drop-down list is as tall as its selection field makes it: set the field so that the
// box is as tall as designed. Each change of the field resizes the box, so pickers alike in font
// and height start from the field the previous one ended with.
void Place(HWND combo, const PixelRect& rect, int dpi, FieldMemo& memo) {
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(combo, WM_GETFONT, 0, 0));
    const bool alike = memo.font == font && memo.dpi == dpi && memo.boxHeight == rect.Height();
    if (alike) ::SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), memo.field);
    ::SendMessageW(combo, CB_SETMINVISIBLE, kVisibleRows, 0);
    const auto rowHeight = static_cast<int>(::SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0));
    ::SetWindowPos(combo, nullptr, rect.left, rect.top, rect.Width(), rect.Height() + kVisibleRows * rowHeight + 2,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    // Corrected from what was set, not from what the box reports back: some versions report the
    // field two pixels taller than they were told.
    auto field = alike ? memo.field
                       : static_cast<int>(::SendMessageW(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    for (int attempt = 0; attempt < 3; ++attempt) {
        RECT now{};
        ::GetWindowRect(combo, &now);
        const int missing = rect.Height() - static_cast<int>(now.bottom - now.top);
        if (missing == 0 || field + missing < 1) break;
        field += missing;
        ::SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
    }
    memo = FieldMemo{font, dpi, rect.Height(), field};
}

}  // namespace brellix::platform::win32::picker
