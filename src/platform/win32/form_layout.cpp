// Where the controls stand and how large they draw, at the window's DPI: the design rectangles in
// twips become pixels, fonts and icons follow the DPI, and a change of DPI lays the window out anew.
#include "platform/form_geometry.h"
#include "platform/win32/check_list.h"
#include "platform/win32/dpi.h"
#include "platform/win32/label.h"
#include "platform/win32/picker.h"
#include "platform/win32/win32_forms.h"

#include <utility>
#include <vector>

namespace brellix::platform::win32 {

namespace {

// A child window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND child) {
    RECT rect{};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Moves a child window unless it is there already: even a move to the same place costs a round of
// messages through the window manager.
void PlaceChild(HWND child, const RECT& rect) {
    const RECT now = RectInParent(child);
    if (::EqualRect(&now, &rect)) return;
    ::SetWindowPos(child, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void Win32Forms::Layout(const FormGeometry& geometry) {
    for (const ControlPlacement& placement : geometry.controls) {
        Control* control = Find(placement.id);
        if (!control || !control->window) continue;
        const PixelRect& r = placement.rect;
        switch (control->spec.type) {
            case ControlType::DropDownList:
                picker::Place(control->window, r, dpi_, pickerField_);
                continue;
            case ControlType::Label:
                PlaceLabel(*control, RECT{r.left, r.top, r.right, r.bottom});
                continue;
            case ControlType::CheckListBox:
                check_list::SetRowHeight(control->window, placement.rowHeight);
                break;
            default:
                break;
        }
        PlaceChild(control->window, RECT{r.left, r.top, r.right, r.bottom});
    }
    ClipLabelsUnderControls();
    SizeToClient(geometry.clientWidth, geometry.clientHeight);
}

void Win32Forms::PlaceLabel(Control& control, const RECT& design) {
    PlaceChild(control.window, label::FitToCaption(control.window, design, control.spec.autoSize));
}

void Win32Forms::ClipLabelsUnderControls() {
    std::vector<RECT> covering;
    for (const auto& [id, control] : controls_) {
        if (control.spec.type != ControlType::Label && control.window && control.spec.visible) {
            covering.push_back(RectInParent(control.window));
        }
    }
    for (const auto& [id, control] : controls_) {
        if (control.spec.type == ControlType::Label && control.window) label::ClipUnder(control.window, covering);
    }
}

void Win32Forms::SizeToClient(int width, int height) {
    const HWND window = Window();
    RECT rect{0, 0, width, height};
    AdjustWindowRectForDpi(rect, kFormStyle, kFormExStyle, dpi_);
    ::SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (::IsIconic(window)) return;
    // Where the frame is not what the system predicts (a caption that wraps, another theme),
    // measure it and correct once.
    RECT client{}, outer{};
    ::GetClientRect(window, &client);
    if (client.right == width && client.bottom == height) return;
    ::GetWindowRect(window, &outer);
    ::SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left + width - client.right,
                   outer.bottom - outer.top + height - client.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

const FontSpec& Win32Forms::FontSpecOf(const Control& control) const {
    return control.spec.font ? *control.spec.font : spec_.font;
}

HFONT Win32Forms::FontFor(const FontSpec& spec) {
    for (const Font& font : fonts_) {
        if (font.spec.face == spec.face && font.spec.points == spec.points && font.spec.charset == spec.charset) {
            return static_cast<HFONT>(font.handle.get());
        }
    }
    const std::wstring face(spec.face);
    const HFONT handle = ::CreateFontW(-FontPixelHeight(spec.points, dpi_), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                       static_cast<DWORD>(spec.charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                       DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str());
    if (!handle) return nullptr;
    fonts_.push_back(Font{spec, UniqueGdiObject(handle)});
    return handle;
}

void Win32Forms::ApplyFonts() {
    // The old fonts stay alive until every control has let go of them.
    std::vector<Font> previous = std::exchange(fonts_, {});
    for (auto& [id, control] : controls_) {
        if (control.window) {
            ::SendMessageW(control.window, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(FontSpecOf(control))), TRUE);
        }
    }
}

void Win32Forms::LoadIcons() {
    if (!spec_.iconResourceId) return;
    const auto resource = MAKEINTRESOURCEW(spec_.iconResourceId);
    const auto load = [&](int widthMetric, int heightMetric) {
        const auto icon = static_cast<HICON>(::LoadImageW(instance_, resource, IMAGE_ICON,
                                                          SystemMetricForDpi(widthMetric, dpi_),
                                                          SystemMetricForDpi(heightMetric, dpi_), LR_DEFAULTCOLOR));
        if (icon) icons_.emplace_back(icon);
        return icon;
    };
    const HICON small = load(SM_CXSMICON, SM_CYSMICON);
    const HICON big = load(SM_CXICON, SM_CYICON);
    if (small) ::SendMessageW(Window(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    if (big) ::SendMessageW(Window(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
}

void Win32Forms::OnDpiChanged(int dpi, const RECT& suggested) {
    dpi_ = dpi;
    ApplyFonts();
    LoadIcons();
    ::SetWindowPos(Window(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    Layout(LayoutForm(spec_, dpi_));
}

LRESULT Win32Forms::OnGetDpiScaledSize(int dpi, SIZE& size) const {
    RECT rect{0, 0, TwipsToPixels(spec_.clientWidth, dpi), TwipsToPixels(spec_.clientHeight, dpi)};
    AdjustWindowRectForDpi(rect, kFormStyle, kFormExStyle, dpi);
    size = SIZE{rect.right - rect.left, rect.bottom - rect.top};
    return TRUE;
}

}  // namespace brellix::platform::win32
