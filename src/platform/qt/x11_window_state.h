// What a window manager keeps about a top-level window on X11 (_NET_WM_STATE), put right where
// the toolkit leaves it stale. Does nothing off X11.
#pragma once

#include <QWidget>

namespace brellix::platform::qt {

// Before a hidden window is mapped again: a window manager that iconified it may have left it
// marked hidden (the toolkit keeps such marks), and one that dropped the marks when the window
// was hidden takes stay-on-top from what it finds at the map.
void PrepareWindowStateForMap(const QWidget& window, bool onTop);

// Once mapped: the window manager is asked, as it ignores the property of a managed window.
void AskToStayOnTop(const QWidget& window);

}  // namespace brellix::platform::qt
