#include "platform/memory/memory_os.h"

#include <algorithm>
#include <cstdio>

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

void MemoryOs::InitCommonControls() { Record("InitCommonControls()"); }

std::wstring MemoryOs::GetCommandLineW() {
    Record("GetCommandLineW()");
    return commandLine;
}

std::wstring MemoryOs::GetModuleFileNameW() {
    Record("GetModuleFileNameW()");
    return moduleFileName;
}

bool MemoryOs::GetVersionExA(OsVersionInfo& info) {
    Record("GetVersionExA(size=" + std::to_string(info.dwOSVersionInfoSize) + ")");
    if (!versionQuerySucceeds || info.dwOSVersionInfoSize != sizeof(OsVersionInfo)) return false;
    info.dwMajorVersion = 10;
    info.dwMinorVersion = 0;
    info.dwBuildNumber = 19045;
    info.dwPlatformId = platformId;
    return true;
}

void MemoryOs::EnableShutdownPrivilege() { Record("EnableShutdownPrivilege()"); }

bool MemoryOs::ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) {
    Record("ExitWindowsEx(" + Hex(flags) + ", " + std::to_string(reserved) + ")");
    return exitWindowsSucceeds;
}

std::uint32_t MemoryOs::GetPrivateProfileStringW(std::wstring_view section, std::wstring_view key,
                                                 std::wstring_view defaultValue, wchar_t* buffer,
                                                 std::uint32_t size, std::wstring_view file) {
    Record("GetPrivateProfileStringW(" + ToCallText(section) + ", " + ToCallText(key) + ", " +
           ToCallText(defaultValue) + ", size=" + std::to_string(size) + ", " + ToCallText(file) + ")");
    return profile::ReadProfileValue(section, key, defaultValue, buffer, size, profile::HostPath(file));
}

bool MemoryOs::WritePrivateProfileStringW(std::wstring_view section, std::wstring_view key, std::wstring_view value,
                                          std::wstring_view file) {
    Record("WritePrivateProfileStringW(" + ToCallText(section) + ", " + ToCallText(key) + ", " + ToCallText(value) +
           ", " + ToCallText(file) + ")");
    return profile::WriteProfileValue(section, key, value, profile::HostPath(file));
}

bool MemoryOs::Shell_NotifyIconW(std::uint32_t message, const NotifyIconData& data) {
    Record("Shell_NotifyIconW(" + std::to_string(message) + ", id=" + std::to_string(data.uID) +
           ", flags=" + Hex(data.uFlags) + ", callback=" + Hex(data.uCallbackMessage) + ", tip=" +
           ToCallText(data.szTip) + ")");
    if (!notifyIconSucceeds) return false;
    const auto same = [&](const NotifyIconData& icon) { return icon.hWnd == data.hWnd && icon.uID == data.uID; };
    const auto it = std::find_if(trayIcons.begin(), trayIcons.end(), same);
    switch (message) {
        case 0:  // add: an icon that exists already is refused
            if (it != trayIcons.end()) return false;
            trayIcons.push_back(data);
            return true;
        case 1:  // modify
            if (it == trayIcons.end()) return false;
            *it = data;
            return true;
        case 2:  // delete
            if (it == trayIcons.end()) return false;
            trayIcons.erase(it);
            return true;
        default:
            return false;
    }
}

bool MemoryOs::SetWindowPosTopmost(WindowHandle window) {
    Record("SetWindowPosTopmost(" + HandleText(window) + ")");
    return true;
}

bool MemoryOs::SetForegroundWindow(WindowHandle window) {
    Record("SetForegroundWindow(" + HandleText(window) + ")");
    return true;
}

bool MemoryOs::RectOnAnyMonitor(const ScreenRect& rect) {
    Record("RectOnAnyMonitor()");
    return std::any_of(monitors.begin(), monitors.end(), [&](const ScreenRect& m) { return Intersects(rect, m); });
}

ScreenRect MemoryOs::NearestMonitorWorkArea(const ScreenRect& rect) {
    Record("NearestMonitorWorkArea()");
    // Nearest by the distance between centres, which is what a test scene needs.
    std::size_t best = 0;
    long long bestDistance = -1;
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const long long dx = (monitors[i].left + monitors[i].right) / 2 - (rect.left + rect.right) / 2;
        const long long dy = (monitors[i].top + monitors[i].bottom) / 2 - (rect.top + rect.bottom) / 2;
        const long long d = dx * dx + dy * dy;
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

LocalTimeOfDay MemoryOs::GetLocalTime() { return localTime; }
std::uint64_t MemoryOs::GetTickCount64() { return tickMilliseconds; }
std::int64_t MemoryOs::GetSystemTimeMilliseconds() { return systemMilliseconds; }

std::wstring MemoryOs::SettingsDirectory(std::wstring_view executableDirectory) {
    Record("SettingsDirectory(" + ToCallText(executableDirectory) + ")");
    return settingsDirectory.empty() ? std::wstring(executableDirectory) : settingsDirectory;
}

}  // namespace brellix::platform
