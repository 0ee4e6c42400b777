// The operating system of a Linux desktop behind the seam: logind over D-Bus, the portable
// profile code, the tray and window placement through the Qt window.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/os.h"
#include "platform/unique_resource.h"

namespace brellix::platform::qt {

class QtForms;
class DbusSessionEndCalls;
class DesktopNotifier;
class WakeListener;

struct FdCloser {
    static constexpr int Invalid() { return -1; }
    void operator()(int fd) const;
};
using UniqueFd = unique_resource<int, FdCloser>;

class QtOs : public Os {
public:
    // arguments: argv as the program was started, in the locale's encoding.
    QtOs(std::vector<std::string> arguments, QtForms& forms);
    ~QtOs() override;

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
    std::vector<std::string> LockPathsToTry() const;
    DbusSessionEndCalls& CallsAnsweredLater();
    void ShowWithoutNotificationServer(const Notification& notification);

    std::vector<std::string> arguments_;
    QtForms& forms_;
    UniqueFd instanceLock_;  // held, locked, for the life of the process
    std::string lockPath_;   // the lock this instance holds, or the one another instance holds
    // Made on first use, once the application object exists; gone before it.
    std::unique_ptr<DbusSessionEndCalls> callsAnsweredLater_;
    std::unique_ptr<DesktopNotifier> notifier_;
    std::unique_ptr<WakeListener> wakeListener_;
};

}  // namespace brellix::platform::qt
