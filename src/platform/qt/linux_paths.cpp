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

}  // namespace

std::wstring JoinCommandLine(const std::vector<std::wstring>& argv) {
    std::wstring name = argv.empty() ? std::wstring(L"brellix") : argv.front();
    name.erase(std::remove(name.begin(), name.end(), L'"'), name.end());
    std::wstring line = L"\"" + name + L"\"";
    for (std::size_t i = 1; i < argv.size(); ++i) line += L" " + argv[i];
    return line;
}

std::string ChooseSettingsDirectory(const SettingsPlace& place) {
    if (!place.executableDirectory.empty() && (place.executableDirectoryWritable || place.fileBesideExecutable)) {
        return place.executableDirectory;
    }
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

}  // namespace brellix::platform::qt
