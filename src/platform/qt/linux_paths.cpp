#include "platform/qt/linux_paths.h"

#include <algorithm>
#include <cctype>

namespace brellix::platform::qt {

namespace {

bool IsAbsolute(const std::optional<std::string>& path) { return path && !path->empty() && path->front() == '/'; }

// Only letters, digits, '-' and '_' reach a file name; the session id comes from the environment.
std::string FileNameSafe(std::string text) {
    std::replace_if(
        text.begin(), text.end(),
        [](char c) { return !(std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_'); }, '_');
    return text;
}

// The package manager's directories: root may write them, but a packaged program run as root
// must not leave its settings among the system's programs.
bool IsSystemDirectory(const std::string& directory) {
    for (const char* system : {"/usr", "/bin", "/sbin", "/lib", "/opt"}) {
        const std::size_t length = std::char_traits<char>::length(system);
        if (directory.compare(0, length, system) == 0 && (directory.size() == length || directory[length] == '/')) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::wstring JoinCommandLine(const std::vector<std::wstring>& argv) {
    std::wstring name = argv.empty() ? std::wstring(L"brellix") : argv.front();
    name.erase(std::remove(name.begin(), name.end(), L'"'), name.end());
    std::wstring line = L"\"" + name + L"\"";
    for (std::size_t i = 1; i < argv.size(); ++i) line += L" " + argv[i];
    return line;
}

std::string ChooseSettingsDirectory(const SettingsPlace& place) {
    const std::string& beside = place.executableDirectory;
    const bool keepsFilesHere = place.executableDirectoryWritable && !IsSystemDirectory(beside);
    if (!beside.empty() && (keepsFilesHere || place.fileBesideExecutable)) return beside;
    if (IsAbsolute(place.xdgConfigHome)) return *place.xdgConfigHome + "/Brellix";
    if (IsAbsolute(place.home)) return *place.home + "/.config/Brellix";
    return {};
}

std::string InstanceLockPath(const std::optional<std::string>& runtimeDirectory,
                             const std::optional<std::string>& sessionId, unsigned userId) {
    const std::string session = sessionId && !sessionId->empty() ? FileNameSafe(*sessionId) : "default";
    if (IsAbsolute(runtimeDirectory)) return *runtimeDirectory + "/brellix-session-" + session + ".lock";
    // No runtime directory (a bare su or ssh): /tmp, with the user in the name.
    return "/tmp/brellix-" + std::to_string(userId) + "-session-" + session + ".lock";
}

std::string WakeSocketPath(const std::string& lockPath) {
    const std::string suffix = ".lock";
    const bool locked = lockPath.size() > suffix.size() && lockPath.ends_with(suffix);
    return (locked ? lockPath.substr(0, lockPath.size() - suffix.size()) : lockPath) + ".wake";
}

std::string AutostartEntryPath(const std::optional<std::string>& xdgConfigHome, const std::optional<std::string>& home) {
    std::string config;
    if (xdgConfigHome && !xdgConfigHome->empty() && xdgConfigHome->front() == '/') {
        config = *xdgConfigHome;
    } else if (home && !home->empty()) {
        config = *home + "/.config";
    } else {
        return {};
    }
    return config + "/autostart/brellix.desktop";
}

std::string AutostartEntryText(const std::string& executable) {
    // Inside quotes a desktop entry escapes ", `, $ and \ with a backslash; a string value then
    // escapes each backslash once more.
    std::string quoted = "\"";
    for (const char c : executable) {
        if (c == '"' || c == '`' || c == '$') quoted += "\\\\";
        if (c == '\\') quoted += "\\\\\\";
        quoted += c;
    }
    quoted += '"';
    return "[Desktop Entry]\nType=Application\nName=Brellix\nComment=Arms the daily end of the session\nExec=" +
           quoted + " --autostart\nIcon=brellix\nTerminal=false\nNoDisplay=true\nX-GNOME-Autostart-enabled=true\n";
}

}  // namespace brellix::platform::qt
