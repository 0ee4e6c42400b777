// The real operating system behind the seam.
#pragma once

#include "platform/os.h"
#include "platform/win32/handles.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace brellix::platform::win32 {

// The single-instance name, in the session's own namespace.
inline constexpr wchar_t kSingleInstanceMutexName[] = L"Local\\Brellix.SingleInstance.7f3c2a61";

// The ExitWindowsEx flags that ask for the request.
unsigned ExitWindowsFlags(SessionEndRequest request);

class Win32Os : public Os {
public:
    // The shell's one call for the icon and its balloon; tests hand in their own to script the shell.
    using NotifyIconCall = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAW);

    // mainWindowClass: the class of the program's window, which a second start wakes.
    explicit Win32Os(std::wstring_view mainWindowClass = {}, NotifyIconCall notifyIcon = ::Shell_NotifyIconW)
        : mainWindowClass_(mainWindowClass), notifyIcon_(notifyIcon) {}

    bool AnotherInstanceRunning() override;
    std::wstring CommandLine() override;
    std::wstring ExecutablePath() override;
    bool WakeRunningInstance() override;
    void ReportOnTerminal(std::wstring_view line) override;

    // The shutdown privilege, then ExitWindowsEx, on the calling thread.
    SessionEndResult EndSession(SessionEndRequest request) override;
    std::optional<SessionEndResult> StartSessionEnd(SessionEndRequest request) override;
    void AskSessionEndOutlook(SessionEndRequest request) override;
    std::optional<Obstacles> AskWhatStandsInTheWay(SessionEndRequest request) override;

    // The profile functions; they keep an existing or new file ANSI.
    std::wstring ReadSetting(std::wstring_view file, std::wstring_view section, std::wstring_view key,
                             std::wstring_view defaultValue, std::size_t maxLength) override;
    WriteResult WriteSetting(std::wstring_view file, std::wstring_view section, std::wstring_view key,
                             std::wstring_view value) override;
    // Always beside the executable on Windows.
    std::wstring SettingsDirectory(std::wstring_view executableDirectory) override {
        return std::wstring(executableDirectory);
    }

    bool ShowTrayIcon(WindowHandle window, std::wstring_view tip) override;
    bool RemoveTrayIcon(WindowHandle window) override;
    // The shell still knows the icon.
    bool TrayIconPresent(WindowHandle window) override;
    // The icon's balloon; without an icon to carry it, the window itself comes back.
    bool SetTrayIconTip(WindowHandle window, std::wstring_view tip) override;
    WriteResult SetAutostart(bool enabled) override;
    bool Notify(WindowHandle window, const Notification& notification) override;
    void WithdrawNotification(WindowHandle window) override;

    bool KeepOnTop(WindowHandle window) override;
    bool BringToFront(WindowHandle window) override;
    bool RectOnAnyMonitor(const ScreenRect& rect) override;
    ScreenRect NearestMonitorWorkArea(const ScreenRect& rect) override;
    bool OpenWebAddress(std::wstring_view address) override;

    LocalTimeOfDay LocalTime() override;
    std::uint64_t MonotonicMilliseconds() override;
    std::int64_t WallClockMilliseconds() override;

private:
    std::wstring mainWindowClass_;
    NotifyIconCall notifyIcon_;
    UniqueHandle singleInstanceMutex_;  // held for the life of the process
};

}  // namespace brellix::platform::win32
