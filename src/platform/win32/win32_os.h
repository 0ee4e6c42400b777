// The real operating system behind the seam.
#pragma once

#include "platform/os.h"
#include "platform/win32/handles.h"

namespace brellix::platform::win32 {

// The single-instance name, in the session's own namespace.
inline constexpr wchar_t kSingleInstanceMutexName[] = L"Local\\Brellix.SingleInstance.7f3c2a61";

class Win32Os : public Os {
public:
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

    // Always beside the executable on Windows.
    std::wstring SettingsDirectory(std::wstring_view executableDirectory) override {
        return std::wstring(executableDirectory);
    }

private:
    UniqueHandle singleInstanceMutex_;  // held for the life of the process
};

}  // namespace brellix::platform::win32
