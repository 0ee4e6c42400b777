#include "platform/memory/memory_os.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/profile_file.h"

namespace brellix::platform {

namespace {

std::string Hex(std::uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
    return text;
}

std::string HandleText(const void* handle) { return Hex(reinterpret_cast<std::uintptr_t>(handle)); }

bool Intersects(const ScreenRect& a, const ScreenRect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

std::string ToCallText(std::wstring_view text) {
    std::string out;
    for (wchar_t c : text) {
        if (c >= 0x20 && c < 0x7f) {
            out += static_cast<char>(c);
        } else {
            char escaped[12];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        }
    }
    return out;
}

std::string ToCallText(SessionEndRequest request) {
    constexpr const char* kActions[] = {"Shutdown", "PowerOff", "Reboot", "LogOff"};
    constexpr const char* kForces[] = {"", ", Force", ", ForceIfHung"};
    return std::string(kActions[static_cast<int>(request.action)]) + kForces[static_cast<int>(request.force)];
}

void MemoryOs::Record(std::string line) { calls.push_back(std::move(line)); }

std::vector<std::string> MemoryOs::CallsNamed(std::initializer_list<std::string_view> names) const {
    std::vector<std::string> picked;
    for (const std::string& call : calls) {
        const std::string_view name = std::string_view(call).substr(0, call.find('('));
        if (std::find(names.begin(), names.end(), name) != names.end()) picked.push_back(call);
    }
    return picked;
}

bool MemoryOs::AnotherInstanceRunning() {
    Record("AnotherInstanceRunning()");
    return anotherInstance;
}

std::wstring MemoryOs::CommandLine() {
    Record("CommandLine()");
    return commandLine;
}

std::wstring MemoryOs::ExecutablePath() {
    Record("ExecutablePath()");
    return executablePath;
}

bool MemoryOs::WakeRunningInstance() {
    Record("WakeRunningInstance()");
    ++wakes;
    return true;
}

void MemoryOs::ReportOnTerminal(std::wstring_view line) { terminalLines.emplace_back(line); }

std::optional<SessionEndResult> MemoryOs::StartSessionEnd(SessionEndRequest request) {
    Record("StartSessionEnd(" + ToCallText(request) + ")");
    sessionEnds.push_back(request);
    if (!sessionEndAnsweredAtOnce) return std::nullopt;
    return sessionEndAnswer;
}

void MemoryOs::AskSessionEndOutlook(SessionEndRequest request) {
    Record("AskSessionEndOutlook(" + ToCallText(request) + ")");
}

std::optional<Obstacles> MemoryOs::AskWhatStandsInTheWay(SessionEndRequest request) {
    Record("AskWhatStandsInTheWay(" + ToCallText(request) + ")");
    return obstaclesAtOnce;
}

SessionEndResult MemoryOs::EndSession(SessionEndRequest request) {
    Record("EndSession(" + ToCallText(request) + ")");
    sessionEnds.push_back(request);
    return sessionEndAnswer;
}

std::wstring MemoryOs::ReadSetting(std::wstring_view file, std::wstring_view section, std::wstring_view key,
                                   std::wstring_view defaultValue, std::size_t maxLength) {
    Record("ReadSetting(" + ToCallText(file) + ", " + ToCallText(section) + ", " + ToCallText(key) + ", " +
           ToCallText(defaultValue) + ", max=" + std::to_string(maxLength) + ")");
    return profile::ReadProfileText(section, key, defaultValue, maxLength, profile::HostPath(file));
}

WriteResult MemoryOs::WriteSetting(std::wstring_view file, std::wstring_view section, std::wstring_view key,
                                   std::wstring_view value) {
    Record("WriteSetting(" + ToCallText(file) + ", " + ToCallText(section) + ", " + ToCallText(key) + ", " +
           ToCallText(value) + ")");
    if (profile::WriteProfileValue(section, key, value, profile::HostPath(file))) return WriteResult{true, {}};
    const std::string reason = std::strerror(errno);
    return WriteResult{false, std::wstring(reason.begin(), reason.end())};
}

bool MemoryOs::ShowTrayIcon(WindowHandle window, std::wstring_view tip) {
    Record("ShowTrayIcon(" + HandleText(window) + ", " + ToCallText(tip) + ")");
    const auto same = [&](const TrayIcon& icon) { return icon.window == window; };
    if (!trayAvailable || std::any_of(trayIcons.begin(), trayIcons.end(), same)) return false;
    trayIcons.push_back(TrayIcon{window, std::wstring(tip)});
    return true;
}

bool MemoryOs::RemoveTrayIcon(WindowHandle window) {
    Record("RemoveTrayIcon(" + HandleText(window) + ")");
    const auto same = [&](const TrayIcon& icon) { return icon.window == window; };
    const auto it = std::find_if(trayIcons.begin(), trayIcons.end(), same);
    if (!trayAvailable || it == trayIcons.end()) return false;
    trayIcons.erase(it);
    return true;
}

bool MemoryOs::TrayIconPresent(WindowHandle window) {
    return std::any_of(trayIcons.begin(), trayIcons.end(), [&](const TrayIcon& icon) { return icon.window == window; });
}

bool MemoryOs::SetTrayIconTip(WindowHandle window, std::wstring_view tip) {
    Record("SetTrayIconTip(" + ToCallText(tip) + ")");
    for (TrayIcon& icon : trayIcons) {
        if (icon.window != window) continue;
        icon.tip = tip;
        return true;
    }
    return false;
}

WriteResult MemoryOs::SetAutostart(bool enabled) {
    Record(enabled ? "SetAutostart(on)" : "SetAutostart(off)");
    if (autostartAnswer.written) autostart = enabled;
    return autostartAnswer;
}

bool MemoryOs::Notify(WindowHandle, const Notification& notification) {
    Record("Notify(" + ToCallText(notification.title) + ")");
    notifications.push_back(notification);
    notificationShown = notificationsShowable;
    return notificationsShowable;
}

void MemoryOs::WithdrawNotification(WindowHandle) {
    Record("WithdrawNotification()");
    notificationShown = false;
}

bool MemoryOs::KeepOnTop(WindowHandle window) {
    Record("KeepOnTop(" + HandleText(window) + ")");
    return true;
}

bool MemoryOs::BringToFront(WindowHandle window) {
    Record("BringToFront(" + HandleText(window) + ")");
    return true;
}

bool MemoryOs::RectOnAnyMonitor(const ScreenRect& rect) {
    Record("RectOnAnyMonitor()");
    return std::any_of(monitors.begin(), monitors.end(), [&](const ScreenRect& m) { return Intersects(rect, m); });
}

ScreenRect MemoryOs::NearestMonitorWorkArea(const ScreenRect& rect) {
    Record("NearestMonitorWorkArea()");
    // The monitor under the rectangle's centre, else the nearest by the distance between centres,
    // which is what a test scene needs.
    const long long x = (rect.left + rect.right) / 2, y = (rect.top + rect.bottom) / 2;
    std::size_t best = 0;
    long long bestDistance = -1;
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const ScreenRect& m = monitors[i];
        const bool under = x >= m.left && x < m.right && y >= m.top && y < m.bottom;
        const long long dx = (m.left + m.right) / 2 - x;
        const long long dy = (m.top + m.bottom) / 2 - y;
        const long long d = under ? 0 : dx * dx + dy * dy;
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best < workAreas.size() ? workAreas[best] : ScreenRect{};
}

bool MemoryOs::OpenWebAddress(std::wstring_view address) {
    Record("OpenWebAddress(" + ToCallText(address) + ")");
    return true;
}

LocalTimeOfDay MemoryOs::LocalTime() { return localTime; }
std::uint64_t MemoryOs::MonotonicMilliseconds() { return tickMilliseconds; }
std::int64_t MemoryOs::WallClockMilliseconds() { return systemMilliseconds; }

std::wstring MemoryOs::SettingsDirectory(std::wstring_view executableDirectory) {
    Record("SettingsDirectory(" + ToCallText(executableDirectory) + ")");
    return settingsDirectory.empty() ? std::wstring(executableDirectory) : settingsDirectory;
}

}  // namespace brellix::platform
