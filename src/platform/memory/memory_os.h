// The in-memory operating system: records every request with its arguments, in order, and answers
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
    std::wstring executablePath = L"C:\\Program Files\\Brellix\\Brellix.exe";
    SessionEndResult sessionEndAnswer{true, {}};
    // StartSessionEnd answers at once with sessionEndAnswer; false: later, when a test raises the
    // window's OnSessionEndAnswered.
    bool sessionEndAnsweredAtOnce = true;
    bool trayAvailable = true;
    bool notificationsShowable = true;  // Notify's answer: false where nothing could show one
    WriteResult autostartAnswer{true, {}};
    std::optional<Obstacles> obstaclesAtOnce;  // else a test raises OnObstaclesKnown later
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
    std::vector<SessionEndRequest> sessionEnds;  // every end of the session asked for
    struct TrayIcon {
        WindowHandle window;
        std::wstring tip;
    };
    std::vector<TrayIcon> trayIcons;  // icons present now; a tip set later changes the icon's
    bool autostart = false;           // the login entry exists
    std::vector<Notification> notifications;  // every notification shown, in order
    bool notificationShown = false;           // the last one is still there
    std::vector<std::wstring> terminalLines;
    int wakes = 0;

    // Only the calls whose line starts with one of the given names.
    std::vector<std::string> CallsNamed(std::initializer_list<std::string_view> names) const;

    bool AnotherInstanceRunning() override;
    std::wstring CommandLine() override;
    std::wstring ExecutablePath() override;
    bool WakeRunningInstance() override;
    void ReportOnTerminal(std::wstring_view line) override;

    SessionEndResult EndSession(SessionEndRequest request) override;
    std::optional<SessionEndResult> StartSessionEnd(SessionEndRequest request) override;
    void AskSessionEndOutlook(SessionEndRequest request) override;
    std::optional<Obstacles> AskWhatStandsInTheWay(SessionEndRequest request) override;

    std::wstring ReadSetting(std::wstring_view file, std::wstring_view section, std::wstring_view key,
                             std::wstring_view defaultValue, std::size_t maxLength) override;
    WriteResult WriteSetting(std::wstring_view file, std::wstring_view section, std::wstring_view key,
                             std::wstring_view value) override;
    std::wstring SettingsDirectory(std::wstring_view executableDirectory) override;

    bool ShowTrayIcon(WindowHandle window, std::wstring_view tip) override;
    bool RemoveTrayIcon(WindowHandle window) override;
    bool TrayIconPresent(WindowHandle window) override;
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
    void Record(std::string line);
};

// Narrow text for call lines: ASCII as is, anything else as \uXXXX.
std::string ToCallText(std::wstring_view text);

// "PowerOff", "Force"...: how call lines and test names show a request.
std::string ToCallText(SessionEndRequest request);

}  // namespace brellix::platform
