// The operating-system seam: one member per thing the program asks of the system, in the
// program's own terms. How each is done (the privilege and the Windows call, logind's table, the
// shell's icon, the profile functions) is the backend's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// How the system expects to answer a request, as far as it can tell before the time comes.
enum class SessionEndOutlook { Allowed, NeedsPassword, NotAllowed };

struct WriteResult {
    bool written = false;
    std::wstring reason;  // when not written: the system's own words
};

// A message to the user outside the window: a desktop notification, or the tray icon's balloon.
struct Notification {
    std::wstring title;
    std::wstring body;          // plain text, shown as text however the system draws it
    bool offersDisarm = false;  // an action that disarms (label 取消), where the system takes actions
    int snoozeMinutes = 0;      // with offersDisarm: an action that snoozes this long (推迟 N 分钟); 0: none
};

// What would stand in the way of a request, as far as the system tells: programs that block it
// ("Firefox：正在播放视频") and other users whose sessions it would end ("bob（seat0）").
struct Obstacles {
    std::vector<std::wstring> blockers;
    std::vector<std::wstring> otherUsers;
    bool Empty() const { return blockers.empty() && otherUsers.empty(); }
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
    // Asks the instance that holds the single-instance name to show its window; false when it
    // could not be reached (it has no window: it performs an action named on its command line).
    virtual bool WakeRunningInstance() = 0;
    // One line for a user who started the program from a terminal (where the platform has one).
    virtual void ReportOnTerminal(std::wstring_view line) = 0;

    // --- Ending the session ---
    // Asks the system to end the session now, and waits for its answer.
    virtual SessionEndResult EndSession(SessionEndRequest request) = 0;
    // Asks without waiting: the answer is returned when the system gave it at once, else it comes
    // later as the window's OnSessionEndAnswered.
    virtual std::optional<SessionEndResult> StartSessionEnd(SessionEndRequest request) = 0;
    // Asks, without waiting, whether such a request would be refused; where the system can tell,
    // the answer comes as the window's OnSessionEndOutlook.
    virtual void AskSessionEndOutlook(SessionEndRequest request) = 0;
    // What stands in the way of the request: at once where the system answers at once, else
    // nothing now and the answer later as the window's OnObstaclesKnown (none where it cannot tell).
    virtual std::optional<Obstacles> AskWhatStandsInTheWay(SessionEndRequest request) = 0;

    // --- The settings file ---
    // The value of the key (at most maxLength characters), or defaultValue when the file,
    // section or key is missing or cannot be read.
    virtual std::wstring ReadSetting(std::wstring_view file, std::wstring_view section, std::wstring_view key,
                                     std::wstring_view defaultValue, std::size_t maxLength) = 0;
    // When not written, the file keeps what it held.
    virtual WriteResult WriteSetting(std::wstring_view file, std::wstring_view section, std::wstring_view key,
                                     std::wstring_view value) = 0;
    // The directory for the settings file, given the running executable's directory: that very
    // directory where the platform keeps settings beside the program.
    virtual std::wstring SettingsDirectory(std::wstring_view executableDirectory) = 0;

    // --- The tray icon: the window's one icon in the notification area ---
    // False when there is no tray to take it, or it is there already.
    virtual bool ShowTrayIcon(WindowHandle window, std::wstring_view tip) = 0;
    virtual bool RemoveTrayIcon(WindowHandle window) = 0;
    // True while a tray shows the icon (false once the tray went away).
    virtual bool TrayIconPresent(WindowHandle window) = 0;
    // The text shown when the pointer rests on the icon.
    virtual bool SetTrayIconTip(WindowHandle window, std::wstring_view tip) = 0;

    // --- Starting at login ---
    // Adds (or refreshes, for an executable that moved) or removes the entry that starts the
    // program hidden at the user's login.
    virtual WriteResult SetAutostart(bool enabled) = 0;

    // --- Telling the user ---
    // Shows the notification in place of the program's earlier one; what the user does with it
    // comes as the window's OnNotificationAnswered. False when nothing can show it, as far as is
    // known at once (what is learnt later comes as NotificationAnswer::NotShown).
    virtual bool Notify(WindowHandle window, const Notification& notification) = 0;
    // Takes the program's notification back, if one is shown.
    virtual void WithdrawNotification(WindowHandle window) = 0;

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
