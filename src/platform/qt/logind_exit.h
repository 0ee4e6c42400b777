// Ending the session on a Linux desktop: the program's request mapped onto logind (and, for a
// gentle log off, the desktop's session manager). The bus calls sit behind an interface, one
// member per method, so the mapping is tested against a fake. Each call hands its answer to a
// continuation, so the one mapping serves both a caller that waits (the command line) and the
// window, which must keep answering while logind thinks.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>

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

using Answered = std::function<void(const BusAnswer&)>;

// org.freedesktop.login1 on the system bus; every call is non-interactive (nobody may be there to
// answer an authentication prompt at the chosen time). Each member calls `answered` once, before
// it returns or later.
class SessionEndCalls {
public:
    virtual ~SessionEndCalls() = default;
    virtual void PowerOff(Answered answered) = 0;  // Manager.PowerOff(false)
    virtual void Reboot(Answered answered) = 0;    // Manager.Reboot(false)
    virtual void Halt(Answered answered) = 0;      // Manager.Halt(false)
    // Manager.Can<...>(): "yes", "no", "challenge", "na"
    virtual void CanPowerOff(Answered answered) = 0;
    virtual void CanReboot(Answered answered) = 0;
    virtual void CanHalt(Answered answered) = 0;
    virtual void GetSessionByPID(std::uint32_t pid, Answered answered) = 0;  // the session's object path
    virtual void TerminateSession(const std::string& sessionPath, Answered answered) = 0;  // Session.Terminate()
    // The desktop's own session manager asked to log out without a dialog, so that applications
    // can save; an error when no known session manager is on the session bus or it refused.
    virtual void LogOutThroughSessionManager(Answered answered) = 0;
};

// The text with every control character (C0, DEL, C1) made a space: safe for a terminal.
std::string PrintableLine(std::string_view text);

// A refusal's reason for the user, from logind's error ("name: message").
std::wstring RefusalReasonOf(std::string_view error);

// The request on logind; `done` gets the result once the last call answered. When refused, the
// reason is logind's error, and one line "brellix: <Method> refused: <error>" goes to diagnostics
// (which must outlive the calls).
void EndSessionThroughLogind(SessionEndRequest request, SessionEndCalls& calls, std::uint32_t pid,
                             std::ostream& diagnostics, std::function<void(const SessionEndResult&)> done);

// The same for calls that answer before they return.
SessionEndResult EndSessionThroughLogind(SessionEndRequest request, SessionEndCalls& calls, std::uint32_t pid,
                                         std::ostream& diagnostics);

// Asks logind what the request's own call would meet ("challenge": a password, "no" or "na": not
// allowed); `told` is called once when logind could tell, never for a log off or an error.
void AskOutlookThroughLogind(SessionEndRequest request, SessionEndCalls& calls,
                             std::function<void(SessionEndOutlook)> told);

}  // namespace brellix::platform::qt
