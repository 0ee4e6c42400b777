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

// An XDG base directory: the variable when it is absolute, else its default under the home.
std::string XdgDirectory(const std::optional<std::string>& variable, const std::optional<std::string>& home,
                         const char* defaultUnderHome) {
    if (IsAbsolute(variable)) return *variable;
    if (IsAbsolute(home)) return *home + defaultUnderHome;
    return {};
}

std::string Below(const std::string& directory, const char* name) { return directory.empty() ? directory : directory + name; }

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
    return Below(XdgDirectory(place.xdgConfigHome, place.home, "/.config"), "/Brellix");
}

std::string InstanceLockPath(const std::string& directory, const std::optional<std::string>& sessionId,
                             const std::optional<std::string>& host) {
    const std::string session = sessionId && !sessionId->empty() ? FileNameSafe(*sessionId) : "default";
    const std::string machine = host && !host->empty() ? FileNameSafe(*host) + "-" : "";
    return directory + "/brellix-" + machine + "session-" + session + ".lock";
}

std::string PrivateLockDirectory(const std::optional<std::string>& xdgCacheHome,
                                 const std::optional<std::string>& home) {
    return Below(XdgDirectory(xdgCacheHome, home, "/.cache"), "/brellix");
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
