#include "platform/qt/qt_os.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <QDesktopServices>
#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QString>
#include <QUrl>
#include <QWidget>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>

#include "platform/profile_file.h"
#include "platform/qt/dbus_session_calls.h"
#include "platform/qt/desktop_notifier.h"
#include "platform/qt/linux_paths.h"
#include "platform/qt/obstacles.h"
#include "platform/qt/qt_forms.h"
#include "platform/qt/wake_channel.h"

namespace brellix::platform::qt {

namespace {

std::optional<std::string> Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

std::wstring Wide(const std::string& utf8) { return QString::fromUtf8(utf8).toStdWString(); }
std::string Utf8(std::wstring_view wide) {
    return QString::fromStdWString(std::wstring(wide)).toUtf8().toStdString();
}

QWidget* AsWidget(WindowHandle window) { return static_cast<QWidget*>(window); }

QRect AsQRect(const ScreenRect& r) { return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1)); }

ScreenRect AsScreenRect(const QRect& r) { return ScreenRect{r.left(), r.top(), r.right() + 1, r.bottom() + 1}; }

timespec Now(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return now;
}

std::string HostName() {
    char name[256] = {};
    return ::gethostname(name, sizeof name - 1) == 0 ? name : "";
}

// A directory of this user's that no other user may write in; `make`: made private when missing
// (parents included) or when open to others.
bool PrivateDirectory(const std::string& path, bool make) {
    if (path.empty() || path.front() != '/') return false;
    if (make) {
        std::error_code error;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
        ::mkdir(path.c_str(), 0700);
    }
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) || status.st_uid != ::getuid()) return false;
    const mode_t othersMayWrite = S_IWGRP | S_IWOTH;
    if (!make) return (status.st_mode & othersMayWrite) == 0;
    return (status.st_mode & 077) == 0 || ::chmod(path.c_str(), 0700) == 0;
}

}  // namespace

void FdCloser::operator()(int fd) const { ::close(fd); }

QtOs::QtOs(std::vector<std::string> arguments, QtForms& forms) : arguments_(std::move(arguments)), forms_(forms) {
    // The instance that holds the lock hears second starts once it has an event loop.
    forms_.SetOnApplicationReady([this] {
        if (!instanceLock_) return;
        wakeListener_ = std::make_unique<WakeListener>(WakeSocketPath(lockPath_), [this] { forms_.RaiseWakeRequested(); });
    });
}

// What the notifier still has to send or take back at exit (the settings could not be stored, a
// warning to withdraw) goes out before the end.
QtOs::~QtOs() {
    if (notifier_) notifier_->Flush();
}

// The runtime directory when it is the user's own and nobody else may write in it; otherwise the
// user's own cache directory, made private. The machine's name sets the second apart, which a
// home shared between machines may hold.
std::vector<std::string> QtOs::LockPathsToTry() const {
    std::vector<std::string> paths;
    const auto sessionId = Environment("XDG_SESSION_ID");
    if (const auto runtime = Environment("XDG_RUNTIME_DIR"); runtime && PrivateDirectory(*runtime, false)) {
        paths.push_back(InstanceLockPath(*runtime, sessionId));
    }
    const std::string own = PrivateLockDirectory(Environment("XDG_CACHE_HOME"), Environment("HOME"));
    if (PrivateDirectory(own, true)) paths.push_back(InstanceLockPath(own, sessionId, HostName()));
    return paths;
}

// A lock that cannot be made in one place is looked for in the next, so that two starts of the
// same user in the same session always meet at the same lock.
bool QtOs::AnotherInstanceRunning() {
    std::string why = "no private directory to make it in";
    for (const std::string& path : LockPathsToTry()) {
        UniqueFd lock(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
        if (lock && ::flock(lock.get(), LOCK_EX | LOCK_NB) == 0) {
            instanceLock_ = std::move(lock);
            lockPath_ = path;
            return false;
        }
        if (lock && errno == EWOULDBLOCK) {
            lockPath_ = path;
            return true;
        }
        why = std::strerror(errno);
    }
    // Better one instance too many than none at all, but never unannounced.
    ReportOnTerminal(L"no single-instance lock could be made (" + Wide(why) +
                     L"); another Brellix may run beside this one");
    return false;
}

std::wstring QtOs::CommandLine() {
    std::vector<std::wstring> argv;
    argv.reserve(arguments_.size());
    for (const std::string& argument : arguments_) argv.push_back(QString::fromLocal8Bit(argument).toStdWString());
    return JoinCommandLine(argv);
}

std::wstring QtOs::ExecutablePath() {
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::wstring() : Wide(exe.string());
}

void QtOs::ReportOnTerminal(std::wstring_view line) { std::cerr << "brellix: " << Utf8(line) << '\n'; }

bool QtOs::WakeRunningInstance() { return SendWakeRequest(WakeSocketPath(lockPath_), std::chrono::seconds(3)); }

DbusSessionEndCalls& QtOs::CallsAnsweredLater() {
    if (!callsAnsweredLater_) {
        callsAnsweredLater_ = std::make_unique<DbusSessionEndCalls>(DbusSessionEndCalls::Waiting::Later);
    }
    return *callsAnsweredLater_;
}

// The window keeps answering while logind thinks: the answer comes through the event loop.
std::optional<SessionEndResult> QtOs::StartSessionEnd(SessionEndRequest request) {
    struct Start {
        bool returned = false;
        std::optional<SessionEndResult> atOnce;
    };
    const auto start = std::make_shared<Start>();
    EndSessionThroughLogind(request, CallsAnsweredLater(), static_cast<std::uint32_t>(getpid()), std::cerr,
                            [this, start](const SessionEndResult& result) {
                                if (!start->returned) start->atOnce = result;
                                else forms_.RaiseSessionEndAnswered(result);
                            });
    start->returned = true;
    return start->atOnce;
}

void QtOs::AskSessionEndOutlook(SessionEndRequest request) {
    AskOutlookThroughLogind(request, CallsAnsweredLater(), [this, request](SessionEndOutlook outlook) {
        forms_.RaiseSessionEndOutlook(request, outlook);
    });
}

std::optional<Obstacles> QtOs::AskWhatStandsInTheWay(SessionEndRequest request) {
    QWidget* window = AsWidget(forms_.Handle());
    if (!window) return std::nullopt;
    AskObstaclesThroughLogind(request, getuid(), window, [this, request](const Obstacles& obstacles) {
        forms_.RaiseObstaclesKnown(request, obstacles);
    });
    return std::nullopt;
}

bool QtOs::TrayIconPresent(WindowHandle window) {
    return window == forms_.Handle() && forms_.Tray() && forms_.Tray()->Present();
}

// Whether a server shows it is learnt later: until then, it is on its way.
bool QtOs::Notify(WindowHandle window, const Notification& notification) {
    if (window != forms_.Handle()) return false;
    if (!notifier_) {
        notifier_ = std::make_unique<DesktopNotifier>();
        QObject::connect(notifier_.get(), &DesktopNotifier::Answered, notifier_.get(),
                         [this](NotificationAnswer answer) { forms_.RaiseNotificationAnswered(answer); });
        QObject::connect(notifier_.get(), &DesktopNotifier::NotShown, notifier_.get(),
                         [this](const Notification& unsent) { ShowWithoutNotificationServer(unsent); });
        if (forms_.Tray()) forms_.Tray()->onMessageClicked = [this] { forms_.RaiseNotificationAnswered(NotificationAnswer::Opened); };
    }
    notifier_->Notify(notification);
    return true;
}

// No notification server: the tray icon's message, else the window tells it itself.
void QtOs::ShowWithoutNotificationServer(const Notification& notification) {
    TrayIcon* tray = forms_.Tray();
    if (tray && tray->ShowMessage(QString::fromStdWString(notification.title), QString::fromStdWString(notification.body))) {
        return;
    }
    // The window is gone (the program ends): a terminal is the last place left.
    if (!forms_.IsLoaded()) return ReportOnTerminal(notification.title + L": " + notification.body);
    forms_.RaiseNotificationAnswered(NotificationAnswer::NotShown);
}

void QtOs::WithdrawNotification(WindowHandle window) {
    if (window == forms_.Handle() && notifier_) notifier_->Withdraw();
}

SessionEndResult QtOs::EndSession(SessionEndRequest request) {
    DbusSessionEndCalls calls(DbusSessionEndCalls::Waiting::Block);
    return EndSessionThroughLogind(request, calls, static_cast<std::uint32_t>(getpid()), std::cerr);
}

std::wstring QtOs::ReadSetting(std::wstring_view file, std::wstring_view section, std::wstring_view key,
                               std::wstring_view defaultValue, std::size_t maxLength) {
    return profile::ReadProfileText(section, key, defaultValue, maxLength, profile::HostPath(file));
}

// The settings directory under ~/.config may not exist yet; when it cannot be made, that is the
// reason to tell, not the missing directory the write then meets.
WriteResult QtOs::WriteSetting(std::wstring_view file, std::wstring_view section, std::wstring_view key,
                               std::wstring_view value) {
    const std::filesystem::path path = profile::HostPath(file);
    std::error_code error;
    if (!path.empty()) std::filesystem::create_directories(path.parent_path(), error);
    if (profile::WriteProfileValue(section, key, value, path)) return WriteResult{true, {}};
    return WriteResult{false, Wide(std::strerror(error ? error.value() : errno))};
}

bool QtOs::ShowTrayIcon(WindowHandle window, std::wstring_view tip) {
    if (window != forms_.Handle() || !forms_.Tray()) return false;
    return forms_.Tray()->Add(QString::fromStdWString(std::wstring(tip)));
}

bool QtOs::RemoveTrayIcon(WindowHandle window) {
    if (window != forms_.Handle() || !forms_.Tray()) return false;
    return forms_.Tray()->Remove();
}

bool QtOs::KeepOnTop(WindowHandle window) {
    QWidget* widget = AsWidget(window);
    if (!widget) return false;
    // Changing window flags re-creates the native window hidden; a shown one is shown again.
    const bool wasVisible = widget->isVisible();
    widget->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (wasVisible) widget->show();
    return true;
}

bool QtOs::BringToFront(WindowHandle window) {
    QWidget* widget = AsWidget(window);
    if (!widget) return false;
    widget->raise();
    widget->activateWindow();
    return true;
}

bool QtOs::RectOnAnyMonitor(const ScreenRect& rect) {
    const QRect wanted = AsQRect(rect);
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->geometry().intersects(wanted)) return true;
    }
    return false;
}

ScreenRect QtOs::NearestMonitorWorkArea(const ScreenRect& rect) {
    const QPoint centre = AsQRect(rect).center();
    const QScreen* nearest = nullptr;
    long long best = -1;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QPoint d = screen->geometry().center() - centre;
        const long long distance = 1LL * d.x() * d.x() + 1LL * d.y() * d.y();
        if (screen->geometry().contains(centre)) return AsScreenRect(screen->availableGeometry());
        if (best < 0 || distance < best) {
            best = distance;
            nearest = screen;
        }
    }
    return nearest ? AsScreenRect(nearest->availableGeometry()) : ScreenRect{};
}

bool QtOs::OpenWebAddress(std::wstring_view address) {
    return QDesktopServices::openUrl(QUrl(QString::fromStdWString(std::wstring(address))));
}

LocalTimeOfDay QtOs::LocalTime() {
    const timespec now = Now(CLOCK_REALTIME);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    return LocalTimeOfDay{local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(now.tv_nsec / 1'000'000)};
}

// CLOCK_MONOTONIC stops while the machine sleeps, as the seam allows.
std::uint64_t QtOs::MonotonicMilliseconds() {
    const timespec now = Now(CLOCK_MONOTONIC);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec / 1'000'000);
}

std::int64_t QtOs::WallClockMilliseconds() {
    const timespec now = Now(CLOCK_REALTIME);
    return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
}

std::wstring QtOs::SettingsDirectory(std::wstring_view executableDirectory) {
    SettingsPlace place;
    place.executableDirectory = Utf8(executableDirectory);
    place.executableDirectoryWritable = ::access(place.executableDirectory.c_str(), W_OK) == 0;
    std::error_code error;
    place.fileBesideExecutable = std::filesystem::exists(place.executableDirectory + "/Brellix.ini", error);
    place.xdgConfigHome = Environment("XDG_CONFIG_HOME");
    place.home = Environment("HOME");
    return Wide(ChooseSettingsDirectory(place));
}

bool QtOs::SetTrayIconTip(WindowHandle window, std::wstring_view tip) {
    if (window != forms_.Handle() || !forms_.Tray()) return false;
    forms_.Tray()->SetTip(QString::fromStdWString(std::wstring(tip)));
    return true;
}

// The desktop's autostart entry, as the XDG autostart rules read it.
WriteResult QtOs::SetAutostart(bool enabled) {
    const std::filesystem::path entry = AutostartEntryPath(Environment("XDG_CONFIG_HOME"), Environment("HOME"));
    if (entry.empty()) return WriteResult{false, L"HOME is not set"};
    std::error_code error;
    if (!enabled) {
        std::filesystem::remove(entry, error);
        return error ? WriteResult{false, Wide(error.message())} : WriteResult{true, {}};
    }
    std::filesystem::create_directories(entry.parent_path(), error);
    if (error) return WriteResult{false, Wide(error.message())};
    std::ofstream file(entry, std::ios::binary | std::ios::trunc);
    file << AutostartEntryText(Utf8(ExecutablePath()));
    file.close();
    if (!file) return WriteResult{false, Wide(std::strerror(errno))};
    return WriteResult{true, {}};
}

}  // namespace brellix::platform::qt
