// The DPI functions of Windows 10, with the answers older systems give where they lack them.
#pragma once

#include <windows.h>

namespace brellix::platform::win32 {

inline constexpr int kDefaultDpi = USER_DEFAULT_SCREEN_DPI;

// The DPI the window is drawn at; the system's DPI before per-monitor awareness existed.
int DpiForWindow(HWND window);

// AdjustWindowRectExForDpi, or AdjustWindowRectEx when the system has only one DPI.
void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi);

// GetSystemMetricsForDpi, or the metric scaled from the system DPI.
int SystemMetricForDpi(int index, int dpi);

// The window lays itself out again at a new DPI: the system's own rescaling of a dialog's fonts and
// controls stays off (SetDialogDpiChangeBehavior, where the system has it).
void KeepDialogScalingOff(HWND dialog);

}  // namespace brellix::platform::win32
