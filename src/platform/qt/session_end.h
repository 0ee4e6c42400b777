// The end of the session reaching the program, whichever way it comes: X11 session management,
// logind's PrepareForShutdown (held back by a delay inhibitor until the settings are stored), or
// SIGTERM, SIGHUP and SIGINT, or the session manager's order to quit. None of them is ever delayed beyond storing the settings.
#pragma once

#include <QDBusPendingCallWatcher>
#include <QDBusUnixFileDescriptor>
#include <QEvent>
#include <QObject>
#include <QSessionManager>
#include <QSocketNotifier>
#include <functional>
#include <memory>

#include "platform/qt/qt_os.h"

namespace brellix::platform::qt {

class SessionEndWatch : public QObject {
    Q_OBJECT

public:
    // endSession: store what must survive; quit: leave the message loop with exit code 0.
    SessionEndWatch(std::function<void()> endSession, std::function<void()> quit);
    ~SessionEndWatch() override;

    bool HoldsInhibitor() const { return inhibitor_.isValid(); }

protected:
    // The session manager's "die" reaches the program as the application's Quit event, which Qt
    // answers by closing every window; a window that hides on close would keep the session waiting.
    bool eventFilter(QObject* watched, QEvent* event) override;

private Q_SLOTS:
    // A D-Bus signal's receiver: QtDBus connects signals by slot name only.
    void PrepareForShutdown(bool starting);

private:
    void WatchSignals();
    void WatchLogind();
    void TakeInhibitor();
    void OnSignalPipe();

    std::function<void()> endSession_;
    std::function<void()> quit_;
    UniqueFd signalRead_;
    UniqueFd signalWrite_;
    std::unique_ptr<QSocketNotifier> signalNotifier_;
    QDBusUnixFileDescriptor inhibitor_;
    std::unique_ptr<QDBusPendingCallWatcher> inhibitorAsked_;  // while logind has not answered
    bool shuttingDown_ = false;
};

}  // namespace brellix::platform::qt
