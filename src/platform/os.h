// The operating-system seam: one member per thing the program asks of the system, in the
// program's own terms. How each is done (the privilege and the Windows call, logind's table, the
// shell's icon, the profile functions) is the backend's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace brellix::platform {

// An opaque window of the forms runtime; portable code never looks inside it.
using WindowHandle = void*;

enum class PowerAction { Shutdown, PowerOff, Reboot, LogOff };

// How applications that are still running are closed.
enum class ForceMode {
    None,         // asked, and may refuse
    Force,        // closed without being asked
    ForceIfHung,  // asked; those that do not answer are closed
};

struct SessionEndRequest {
    PowerAction action = PowerAction::LogOff;
    ForceMode force = ForceMode::None;
    friend bool operator==(const SessionEndRequest&, const SessionEndRequest&) = default;
};

struct SessionEndResult {
    bool accepted = false;
    std::wstring reason;  // when refused: the system's own words, as it gave them
};

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

class Os {
public:
    virtual ~Os() = default;

    // --- Start-up ---
    // Claims the program's single-instance name for this session; true when another running
    // instance holds it already.
    virtual bool AnotherInstanceRunning() = 0;
    // The whole command line, the program's own name first, as one text in the Windows manner.
    virtual std::wstring CommandLine() = 0;
    // The full path of the running executable.
    virtual std::wstring ExecutablePath() = 0;

    // --- Ending the session ---
    // Asks the system to end the session now, on the calling thread.
    virtual SessionEndResult EndSession(SessionEndRequest request) = 0;

    // --- The settings file ---
    // The value of the key (at most maxLength characters), or defaultValue when the file,
    // section or key is missing or cannot be read.
    virtual std::wstring ReadSetting(std::wstring_view file, std::wstring_view section, std::wstring_view key,
                                     std::wstring_view defaultValue, std::size_t maxLength) = 0;
    // False when the file could not be written; it then keeps what it held.
    virtual bool WriteSetting(std::wstring_view file, std::wstring_view section, std::wstring_view key,
                              std::wstring_view value) = 0;
    // The directory for the settings file, given the running executable's directory: that very
    // directory where the platform keeps settings beside the program.
    virtual std::wstring SettingsDirectory(std::wstring_view executableDirectory) = 0;

    // --- The tray icon: the window's one icon in the notification area ---
    // False when there is no tray to take it, or it is there already.
    virtual bool ShowTrayIcon(WindowHandle window, std::wstring_view tip) = 0;
    virtual bool RemoveTrayIcon(WindowHandle window) = 0;

    // --- Window placement ---
    virtual bool KeepOnTop(WindowHandle window) = 0;
    virtual bool BringToFront(WindowHandle window) = 0;
    // True when the rectangle (screen pixels) touches any monitor.
    virtual bool RectOnAnyMonitor(const ScreenRect& rect) = 0;
    // The work area of the monitor nearest to the rectangle.
    virtual ScreenRect NearestMonitorWorkArea(const ScreenRect& rect) = 0;
    // Opens the address in the user's browser, shown normally.
    virtual bool OpenWebAddress(std::wstring_view address) = 0;

    // --- The clock ---
    virtual LocalTimeOfDay LocalTime() = 0;
    // Milliseconds since an arbitrary start; never goes back, does not count suspend reliably.
    virtual std::uint64_t MonotonicMilliseconds() = 0;
    // Wall clock in milliseconds since 1970-01-01 UTC; moves when the user sets the clock.
    virtual std::int64_t WallClockMilliseconds() = 0;
};

}  // namespace brellix::platform
