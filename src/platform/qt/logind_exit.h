// Ending the session on a Linux desktop: the program's request mapped onto logind (and, for a
// gentle log off, the desktop's session manager). The bus calls sit behind an interface, one
// member per method, so the mapping is tested against a fake.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "platform/os.h"

namespace brellix::platform::qt {

// One method call's answer: its first value (a string or object path) or the error reply.
struct BusAnswer {
    bool ok = false;
    std::string value;
    std::string error;  // "org.freedesktop.login1.BlockedByInhibitorLock: ..."

    static BusAnswer Value(std::string v) { return BusAnswer{true, std::move(v), {}}; }
    static BusAnswer Error(std::string e) { return BusAnswer{false, {}, std::move(e)}; }
};

// org.freedesktop.login1 on the system bus; every call is non-interactive (nobody may be there to
// answer an authentication prompt at the chosen time).
class SessionEndCalls {
public:
    virtual ~SessionEndCalls() = default;
    virtual BusAnswer PowerOff() = 0;  // Manager.PowerOff(false)
    virtual BusAnswer Reboot() = 0;    // Manager.Reboot(false)
    virtual BusAnswer Halt() = 0;      // Manager.Halt(false)
    virtual BusAnswer CanHalt() = 0;   // Manager.CanHalt(): "yes", "no", "challenge", "na"
    virtual BusAnswer GetSessionByPID(std::uint32_t pid) = 0;  // the session's object path
    virtual BusAnswer TerminateSession(const std::string& sessionPath) = 0;  // Session.Terminate()
    // The desktop's own session manager asked to log out without a dialog, so that applications
    // can save; an error when no known session manager is on the session bus or it refused.
    virtual BusAnswer LogOutThroughSessionManager() = 0;
};

// The request on logind. When refused, the reason is logind's error, and one line
// "brellix: <Method> refused: <error>" goes to diagnostics.
SessionEndResult EndSessionThroughLogind(SessionEndRequest request, SessionEndCalls& calls, std::uint32_t pid,
                                         std::ostream& diagnostics);

}  // namespace brellix::platform::qt
