// The form's own properties: its caption, whether and how it shows, and where it stands.
#include <cmath>

#include "platform/win32/win32_forms.h"
#include "platform/win32/window_text.h"

namespace brellix::platform::win32 {

std::wstring Win32Forms::Caption() const { return Window() ? WindowText(Window()) : spec_.caption; }

void Win32Forms::SetCaption(std::wstring_view caption) {
    if (Window()) ::SetWindowTextW(Window(), std::wstring(caption).c_str());
}

bool Win32Forms::Visible() const { return Window() && ::IsWindowVisible(Window()); }

void Win32Forms::Show() {
    if (!loaded_ || Visible()) return;
    const HWND window = Window();
    int command = SW_SHOW;
    switch (hiddenState_) {
        case WindowState::Minimized: command = SW_SHOWMINIMIZED; break;
        case WindowState::Maximized: command = SW_SHOWMAXIMIZED; break;
        case WindowState::Normal: command = ::IsIconic(window) || ::IsZoomed(window) ? SW_RESTORE : SW_SHOW; break;
    }
    ::ShowWindow(window, command);
}

void Win32Forms::Hide() {
    if (!Visible()) return;
    hiddenState_ = GetWindowState();
    ::ShowWindow(Window(), SW_HIDE);
}

WindowState Win32Forms::GetWindowState() const {
    // A hidden window keeps the state it will show in, without showing to change it.
    if (!Visible()) return hiddenState_;
    if (::IsIconic(Window())) return WindowState::Minimized;
    if (::IsZoomed(Window())) return WindowState::Maximized;
    return WindowState::Normal;
}

void Win32Forms::SetWindowState(WindowState state) {
    if (!Visible()) {
        hiddenState_ = state;
        return;
    }
    if (state == GetWindowState()) return;
    ::ShowWindow(Window(), state == WindowState::Minimized   ? SW_MINIMIZE
                           : state == WindowState::Maximized ? SW_MAXIMIZE
                                                             : SW_RESTORE);
}

RECT Win32Forms::PlacedRect() const {
    // A minimised window keeps its place in the placement's normal rectangle, which counts from
    // the work area rather than the screen.
    RECT rect{};
    const HWND window = Window();
    if (!window) return rect;
    if (!::IsIconic(window)) {
        ::GetWindowRect(window, &rect);
        return rect;
    }
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    ::GetWindowPlacement(window, &placement);
    rect = placement.rcNormalPosition;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (::GetMonitorInfoW(::MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &monitor)) {
        ::OffsetRect(&rect, monitor.rcWork.left - monitor.rcMonitor.left, monitor.rcWork.top - monitor.rcMonitor.top);
    }
    return rect;
}

void Win32Forms::MoveTo(int x, int y) {
    const HWND window = Window();
    if (!window) return;
    if (!::IsIconic(window)) {
        ::SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    const RECT placed = PlacedRect();
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    ::GetWindowPlacement(window, &placement);
    ::OffsetRect(&placement.rcNormalPosition, x - placed.left, y - placed.top);
    placement.showCmd = Visible() ? SW_SHOWMINNOACTIVE : SW_HIDE;
    ::SetWindowPlacement(window, &placement);
}

float Win32Forms::TwipsPerPixel() const { return static_cast<float>(kTwipsPerInch) / static_cast<float>(dpi_); }

float Win32Forms::Left() const { return static_cast<float>(PlacedRect().left) * TwipsPerPixel(); }

float Win32Forms::Top() const { return static_cast<float>(PlacedRect().top) * TwipsPerPixel(); }

void Win32Forms::SetLeft(float twips) {
    MoveTo(static_cast<int>(std::lround(twips / TwipsPerPixel())), PlacedRect().top);
}

void Win32Forms::SetTop(float twips) {
    MoveTo(PlacedRect().left, static_cast<int>(std::lround(twips / TwipsPerPixel())));
}

ScreenRect Win32Forms::WindowRect() const {
    const RECT rect = PlacedRect();
    return ScreenRect{rect.left, rect.top, rect.right, rect.bottom};
}

}  // namespace brellix::platform::win32
