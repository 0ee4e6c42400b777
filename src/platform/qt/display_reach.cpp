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

// QT_QPA_PLATFORM's entries ("wayland;xcb", "xcb:option=value"), in its order.
std::vector<std::string> RequestedPlatforms() {
    std::vector<std::string> platforms;
    std::istringstream list(EnvironmentText("QT_QPA_PLATFORM"));
    for (std::string entry; std::getline(list, entry, ';');) {
        if (!entry.empty()) platforms.push_back(entry);
    }
    return platforms;
}

std::string PluginOf(const std::string& entry) { return entry.substr(0, entry.find(':')); }

bool Answers(const std::string& plugin) {
    if (plugin == "xcb") return !EnvironmentText("DISPLAY").empty() && XDisplayAnswers();
    const std::string name = EnvironmentText("WAYLAND_DISPLAY");
    return !name.empty() && WaylandDisplayAnswers(name);
}

}  // namespace

std::optional<std::string> DisplayPlatform() {
    std::vector<std::string> platforms = RequestedPlatforms();
    if (platforms.empty()) platforms = {"xcb", "wayland"};
    for (const std::string& entry : platforms) {
        const std::string plugin = PluginOf(entry);
        if (plugin != "xcb" && !plugin.starts_with("wayland")) return EnvironmentText("QT_QPA_PLATFORM");
        if (Answers(plugin == "xcb" ? plugin : "wayland")) return entry;
    }
    return std::nullopt;
}

std::string NoDisplayReason() {
    const std::string display = EnvironmentText("DISPLAY");
    const std::string waylandDisplay = EnvironmentText("WAYLAND_DISPLAY");
    std::string reason = "no display for the window: ";
    if (display.empty() && waylandDisplay.empty()) return reason + "neither DISPLAY nor WAYLAND_DISPLAY is set";
    reason += "none answers (";
    if (!display.empty()) reason += "DISPLAY=" + display + (waylandDisplay.empty() ? "" : ", ");
    if (!waylandDisplay.empty()) reason += "WAYLAND_DISPLAY=" + waylandDisplay;
    return reason + ")";
}

}  // namespace brellix::platform::qt
