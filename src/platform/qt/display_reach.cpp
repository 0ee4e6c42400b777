#include "platform/qt/display_reach.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

#include "platform/qt/qt_os.h"

namespace brellix::platform::qt {

namespace {

std::string EnvironmentText(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// A full connection, authorisation included: what Qt's X11 plugin will need.
bool XDisplayAnswers() {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool answers = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return answers;
}

bool WaylandDisplayAnswers(const std::string& name) {
    const std::string path = name.front() == '/' ? name : EnvironmentText("XDG_RUNTIME_DIR") + "/" + name;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.front() != '/' || path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    return fd && ::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

std::vector<std::string> RequestedPlatforms() {
    std::vector<std::string> platforms;
    std::istringstream list(EnvironmentText("QT_QPA_PLATFORM"));
    for (std::string name; std::getline(list, name, ';');) {
        if (!name.empty()) platforms.push_back(name.substr(0, name.find(':')));  // "xcb:option=..."
    }
    return platforms;
}

}  // namespace

std::optional<std::string> WhyNoDisplay() {
    std::vector<std::string> platforms = RequestedPlatforms();
    bool x11 = platforms.empty();
    bool wayland = platforms.empty();
    for (const std::string& platform : platforms) {
        if (platform == "xcb") x11 = true;
        else if (platform.starts_with("wayland")) wayland = true;
        else return std::nullopt;
    }
    const std::string display = EnvironmentText("DISPLAY");
    const std::string waylandDisplay = EnvironmentText("WAYLAND_DISPLAY");
    if (x11 && !display.empty() && XDisplayAnswers()) return std::nullopt;
    if (wayland && !waylandDisplay.empty() && WaylandDisplayAnswers(waylandDisplay)) return std::nullopt;
    if (display.empty() && waylandDisplay.empty()) return "no display for the window: neither DISPLAY nor WAYLAND_DISPLAY is set";
    return "no display for the window: cannot connect to " +
           (display.empty() ? "WAYLAND_DISPLAY=" + waylandDisplay : "DISPLAY=" + display);
}

}  // namespace brellix::platform::qt
