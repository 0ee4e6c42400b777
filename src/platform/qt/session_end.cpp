#include "platform/qt/session_end.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QGuiApplication>
#include <atomic>
#include <cerrno>

#include "platform/qt/dbus_session_calls.h"

namespace brellix::platform::qt {

namespace {

// The one place a signal handler may write to: the write end of the self-pipe.
std::atomic<int> signalPipeWrite{-1};

void OnSignal(int number) {
    const int savedErrno = errno;
    const int fd = signalPipeWrite.load();
    const char byte = static_cast<char>(number);
    // A full pipe already holds a byte that wakes the loop: a failed write loses nothing.
    if (fd >= 0) [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    errno = savedErrno;
}

constexpr int kEndSignals[] = {SIGTERM, SIGHUP, SIGINT};

void HandleWith(void (*handler)(int)) {
    for (const int number : kEndSignals) {
        struct sigaction action {};
        action.sa_handler = handler;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(number, &action, nullptr);
    }
}

}  // namespace

SessionEndWatch::SessionEndWatch(std::function<void()> endSession, std::function<void()> quit)
    : endSession_(std::move(endSession)), quit_(std::move(quit)) {
    // X11 session management: the session is about to end. saveStateRequest also comes when the
    // program merely registers with the session manager, so it is not the end.
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) { endSession_(); });
    qGuiApp->installEventFilter(this);
    WatchSignals();
    WatchLogind();
}

SessionEndWatch::~SessionEndWatch() {
    if (!signalNotifier_) return;
    HandleWith(SIG_DFL);
    signalPipeWrite.store(-1);
}

bool SessionEndWatch::eventFilter(QObject* watched, QEvent* event) {
    if (watched != qGuiApp || event->type() != QEvent::Quit) return false;
    endSession_();
    quit_();
    return true;
}

void SessionEndWatch::WatchSignals() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return;
    signalRead_.reset(fds[0]);
    signalWrite_.reset(fds[1]);
    signalPipeWrite.store(fds[1]);
    signalNotifier_ = std::make_unique<QSocketNotifier>(fds[0], QSocketNotifier::Read);
    connect(signalNotifier_.get(), &QSocketNotifier::activated, this, [this] { OnSignalPipe(); });
    HandleWith(OnSignal);
}

void SessionEndWatch::OnSignalPipe() {
    char bytes[16];
    while (::read(signalRead_.get(), bytes, sizeof bytes) > 0) {
    }
    endSession_();
    quit_();
}

void SessionEndWatch::WatchLogind() {
    QDBusConnection system = QDBusConnection::systemBus();
    if (!system.isConnected()) return;
    system.connect(kLogindService, kLogindPath, kLogindManager, "PrepareForShutdown", this,
                   SLOT(PrepareForShutdown(bool)));
    TakeInhibitor();
}

// A delay inhibitor: logind waits (a few seconds at most) for the program to store its settings.
// Asked without waiting: a slow logind must not hold up the window.
void SessionEndWatch::TakeInhibitor() {
    if (inhibitorAsked_ || inhibitor_.isValid()) return;
    QDBusMessage inhibit = LogindManagerCall("Inhibit");
    inhibit << QString("shutdown") << QString("Brellix") << QString("Store the settings") << QString("delay");
    inhibitorAsked_ = std::make_unique<QDBusPendingCallWatcher>(QDBusConnection::systemBus().asyncCall(inhibit));
    connect(inhibitorAsked_.get(), &QDBusPendingCallWatcher::finished, this, [this] {
        const QDBusMessage reply = inhibitorAsked_->reply();
        inhibitorAsked_.release()->deleteLater();
        // Taken once the shutdown had begun, it would only make logind wait for nothing.
        if (shuttingDown_ || reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return;
        inhibitor_ = reply.arguments().constFirst().value<QDBusUnixFileDescriptor>();
    });
}

void SessionEndWatch::PrepareForShutdown(bool starting) {
    shuttingDown_ = starting;
    if (!starting) {
        // The shutdown was called off: be ready for the next one.
        TakeInhibitor();
        return;
    }
    endSession_();
    inhibitor_ = QDBusUnixFileDescriptor();  // closing our copy lets the shutdown go on
}

}  // namespace brellix::platform::qt
