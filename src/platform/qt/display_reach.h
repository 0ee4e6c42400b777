// Whether Qt will find a display for the window: its platform plugin aborts the process when it
// cannot connect, so the question is asked before the application object is made.
#pragma once

#include <optional>
#include <string>

namespace brellix::platform::qt {

// Why no window can be shown (one line for the terminal), or nothing when a display answers.
// A platform other than X11 or Wayland named in QT_QPA_PLATFORM is trusted to answer.
std::optional<std::string> WhyNoDisplay();

}  // namespace brellix::platform::qt
