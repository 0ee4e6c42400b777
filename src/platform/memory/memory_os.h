// The in-memory operating system: records every call with its arguments, in order, and answers
// with scripted results. Settings calls go to real files through the portable profile code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/os.h"

namespace brellix::platform {

class MemoryOs : public Os {
public:
    // --- Scripted results ---
    bool anotherInstance = false;
    std::wstring commandLine = L"Brellix.exe";
    std::wstring moduleFileName = L"C:\\Program Files\\Brellix\\Brellix.exe";
    bool versionQuerySucceeds = true;
    std::uint32_t platformId = 2;  // VER_PLATFORM_WIN32_NT
    bool exitWindowsSucceeds = true;
    bool notifyIconSucceeds = true;
    std::vector<ScreenRect> monitors{{0, 0, 1920, 1080}};
    std::vector<ScreenRect> workAreas{{0, 0, 1920, 1040}};
    // The fake clock; tests move it.
    LocalTimeOfDay localTime{};
    std::uint64_t tickMilliseconds = 1'000'000;
    std::int64_t systemMilliseconds = 1'700'000'000'000;
    // Where the settings live; empty: beside the executable.
    std::wstring settingsDirectory;

    // --- What the program asked, one line per call: "Name(arg, arg)" ---
    std::vector<std::string> calls;
    std::vector<NotifyIconData> trayIcons;  // icons present now

    // Only the calls whose line starts with one of the given names.
    std::vector<std::string> CallsNamed(std::initializer_list<std::string_view> names) const;

    bool AnotherInstanceRunning() override;
    void InitCommonControls() override;
    std::wstring GetCommandLineW() override;
    std::wstring GetModuleFileNameW() override;

    bool GetVersionExA(OsVersionInfo& info) override;
    void EnableShutdownPrivilege() override;
    bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) override;

    std::uint32_t GetPrivateProfileStringW(std::wstring_view section, std::wstring_view key,
                                           std::wstring_view defaultValue, wchar_t* buffer, std::uint32_t size,
                                           std::wstring_view file) override;
    bool WritePrivateProfileStringW(std::wstring_view section, std::wstring_view key, std::wstring_view value,
                                    std::wstring_view file) override;

    bool Shell_NotifyIconW(std::uint32_t message, const NotifyIconData& data) override;
    bool SetWindowPosTopmost(WindowHandle window) override;
    bool SetForegroundWindow(WindowHandle window) override;
    bool RectOnAnyMonitor(const ScreenRect& rect) override;
    ScreenRect NearestMonitorWorkArea(const ScreenRect& rect) override;
    bool OpenWebAddress(std::wstring_view address) override;

    LocalTimeOfDay GetLocalTime() override;
    std::uint64_t GetTickCount64() override;
    std::int64_t GetSystemTimeMilliseconds() override;

    std::wstring SettingsDirectory(std::wstring_view executableDirectory) override;

private:
    void Record(std::string line);
};

// Narrow text for call lines: ASCII as is, anything else as \uXXXX.
std::string ToCallText(std::wstring_view text);

}  // namespace brellix::platform
