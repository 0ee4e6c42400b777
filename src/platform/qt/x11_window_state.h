// What a window manager keeps about a top-level window on X11, asked for again where the toolkit
// leaves it to chance. Does nothing off X11.
#pragma once

#include <QWidget>

namespace brellix::platform::qt {

// A mapped window's stay-on-top is the window manager's to set, on request: a window manager
// drops it when the window is hidden, and if it learns of the hiding only after the window
// was shown again, it drops what the toolkit had put on the window for the new map.
void AskToStayOnTop(const QWidget& window);

}  // namespace brellix::platform::qt
