// Whether Qt will find a display for the window: its platform plugin aborts the process when it
// cannot connect, so the question is asked before the application object is made.
#pragma once

#include <optional>
#include <string>

namespace brellix::platform::qt {

// The platform for the application object: X11 ("xcb") before Wayland, each when its display
// answers, among those QT_QPA_PLATFORM names (both when it names none). A platform of another kind
// named there (offscreen, a framebuffer) is taken as it is. None when no display answers.
std::optional<std::string> DisplayPlatform();

// One line for the terminal: why no display answers.
std::string NoDisplayReason();

}  // namespace brellix::platform::qt
