// The operating system of a Linux desktop behind the seam: logind over D-Bus, the portable
// profile code, the tray and window placement through the Qt window.
#pragma once

#include <string>
#include <vector>

#include "platform/os.h"
#include "platform/unique_resource.h"

namespace brellix::platform::qt {

class QtForms;

struct FdCloser {
    void operator()(int fd) const;
};
using UniqueFd = unique_resource<int, FdCloser>;

class QtOs : public Os {
public:
    // arguments: argv as the program was started, in the locale's encoding.
    QtOs(std::vector<std::string> arguments, QtForms& forms);

    bool AnotherInstanceRunning() override;
    void InitCommonControls() override {}  // nothing to initialise
    std::wstring GetCommandLineW() override;
    std::wstring GetModuleFileNameW() override;

    bool GetVersionExA(OsVersionInfo& info) override;
    // logind's polkit rules decide who may end the session: nothing to enable.
    void EnableShutdownPrivilege() override {}
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
    std::vector<std::string> arguments_;
    QtForms& forms_;
    UniqueFd instanceLock_;  // held, locked, for the life of the process
};

}  // namespace brellix::platform::qt
