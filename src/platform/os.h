// The operating-system seam: one member per call the program makes, arguments as the call takes
// them, so that tests can check exactly what the program asked of the system.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brellix::platform {

// Opaque operating-system handles; portable code never looks inside them.
using WindowHandle = void*;
using IconHandle = void*;

// The flags of ExitWindowsEx, in which the seam asks for the end of the session on every platform
// (named so that they never meet the <windows.h> macros).
inline constexpr std::uint32_t kExitLogoff = 0x00;
inline constexpr std::uint32_t kExitShutdown = 0x01;
inline constexpr std::uint32_t kExitReboot = 0x02;
inline constexpr std::uint32_t kExitForce = 0x04;
inline constexpr std::uint32_t kExitPowerOff = 0x08;
inline constexpr std::uint32_t kExitForceIfHung = 0x10;

// The ANSI OSVERSIONINFO: five 32-bit fields and a 128-character service-pack text (148 bytes).
struct OsVersionInfo {
    std::uint32_t dwOSVersionInfoSize = 0;
    std::uint32_t dwMajorVersion = 0;
    std::uint32_t dwMinorVersion = 0;
    std::uint32_t dwBuildNumber = 0;
    std::uint32_t dwPlatformId = 0;
    char szCSDVersion[128] = {};
};
static_assert(sizeof(OsVersionInfo) == 148);

struct LocalTimeOfDay {
    int hour = 0;  // 0..23
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The notification-area icon record; the backend converts it to the platform's layout.
struct NotifyIconData {
    WindowHandle hWnd = nullptr;
    std::uint32_t uID = 0;
    std::uint32_t uFlags = 0;
    std::uint32_t uCallbackMessage = 0;
    IconHandle hIcon = nullptr;
    std::wstring szTip;  // the Win32 backend passes the first 127 characters to the shell
};

class Os {
public:
    virtual ~Os() = default;

    // --- Start-up ---
    // Claims the program's single-instance name for this session; true when another running
    // instance holds it already.
    virtual bool AnotherInstanceRunning() = 0;
    virtual void InitCommonControls() = 0;
    // The whole command line as Windows hands it over, the program's own name included.
    virtual std::wstring GetCommandLineW() = 0;
    // The full path of the running executable.
    virtual std::wstring GetModuleFileNameW() = 0;

    // --- Ending the session ---
    virtual bool GetVersionExA(OsVersionInfo& info) = 0;
    // Grants the process what the system asks of a program that ends the session (Windows:
    // "SeShutdownPrivilege" enabled in the process token, the token closed again). Not reported.
    virtual void EnableShutdownPrivilege() = 0;
    // Ends the session with the flags of Windows' ExitWindowsEx; false when the system refuses.
    virtual bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) = 0;

    // --- The settings file ---
    // Copies the value (or the default) into buffer, cut to size - 1 characters, NUL-terminated;
    // returns the number of characters copied.
    virtual std::uint32_t GetPrivateProfileStringW(std::wstring_view section, std::wstring_view key,
                                                   std::wstring_view defaultValue, wchar_t* buffer,
                                                   std::uint32_t size, std::wstring_view file) = 0;
    virtual bool WritePrivateProfileStringW(std::wstring_view section, std::wstring_view key,
                                            std::wstring_view value, std::wstring_view file) = 0;

    // --- The shell and window placement ---
    // message: 0 add, 1 modify, 2 delete.
    virtual bool Shell_NotifyIconW(std::uint32_t message, const NotifyIconData& data) = 0;
    virtual bool SetWindowPosTopmost(WindowHandle window) = 0;
    virtual bool SetForegroundWindow(WindowHandle window) = 0;
    // True when the rectangle (screen pixels) touches any monitor.
    virtual bool RectOnAnyMonitor(const ScreenRect& rect) = 0;
    // The work area of the monitor nearest to the rectangle.
    virtual ScreenRect NearestMonitorWorkArea(const ScreenRect& rect) = 0;
    virtual bool OpenWebAddress(std::wstring_view address) = 0;

    // --- The clock ---
    virtual LocalTimeOfDay GetLocalTime() = 0;
    // Milliseconds since an arbitrary start; never goes back, does not count suspend reliably.
    virtual std::uint64_t GetTickCount64() = 0;
    // Wall clock in milliseconds since 1970-01-01 UTC; moves when the user sets the clock.
    virtual std::int64_t GetSystemTimeMilliseconds() = 0;

    // --- Where the settings live ---
    // The directory for the settings file, given the running executable's directory: that very
    // directory where the platform keeps settings beside the program.
    virtual std::wstring SettingsDirectory(std::wstring_view executableDirectory) = 0;
};

}  // namespace brellix::platform
