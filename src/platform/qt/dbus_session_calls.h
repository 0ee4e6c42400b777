// The session-ending calls over QtDBus: logind on the system bus, the desktop's session manager
// on the session bus.
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>

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
    BusAnswer PowerOff() override;
    BusAnswer Reboot() override;
    BusAnswer Halt() override;
    BusAnswer CanHalt() override;
    BusAnswer GetSessionByPID(std::uint32_t pid) override;
    BusAnswer TerminateSession(const std::string& sessionPath) override;
    BusAnswer LogOutThroughSessionManager() override;

private:
    static BusAnswer Call(const QDBusConnection& bus, const QDBusMessage& message);
    // Manager.<method>(false): the power calls all take only "interactive".
    BusAnswer NonInteractive(const char* method);
};

}  // namespace brellix::platform::qt
