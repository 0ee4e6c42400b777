// The session-ending calls over QtDBus: logind on the system bus, the desktop's session manager
// on the session bus.
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <functional>

#include "platform/qt/logind_exit.h"

namespace brellix::platform::qt {

inline constexpr char kLogindService[] = "org.freedesktop.login1";
inline constexpr char kLogindPath[] = "/org/freedesktop/login1";
inline constexpr char kLogindManager[] = "org.freedesktop.login1.Manager";

// A method call of logind's Manager object.
QDBusMessage LogindManagerCall(const char* method);

// The first value of a reply (strings and object paths as text), or its error.
BusAnswer AnswerOf(const QDBusMessage& reply);

class DbusSessionEndCalls : public SessionEndCalls {
public:
    // Waiting: each call blocks until its answer (a process with no event loop, the command
    // line). Otherwise answers come through the event loop of the calling thread; calls still
    // unanswered when this object goes are forgotten.
    enum class Waiting { Block, Later };
    explicit DbusSessionEndCalls(Waiting waiting = Waiting::Block) : waiting_(waiting) {}

    void PowerOff(Answered answered) override;
    void Reboot(Answered answered) override;
    void Halt(Answered answered) override;
    void CanPowerOff(Answered answered) override;
    void CanReboot(Answered answered) override;
    void CanHalt(Answered answered) override;
    void GetSessionByPID(std::uint32_t pid, Answered answered) override;
    void TerminateSession(const std::string& sessionPath, Answered answered) override;
    void LogOutThroughSessionManager(Answered answered) override;

private:
    void Send(const QDBusConnection& bus, const QDBusMessage& message, std::function<void(const QDBusMessage&)> replied);
    void Call(const QDBusConnection& bus, const QDBusMessage& message, Answered answered);
    // Manager.<method>(false): the power calls all take only "interactive".
    void NonInteractive(const char* method, Answered answered);
    void Query(const char* method, Answered answered);

    Waiting waiting_;
    QObject pending_;  // parent of the watchers of unanswered calls
};

}  // namespace brellix::platform::qt
