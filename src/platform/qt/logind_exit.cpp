#include "platform/qt/logind_exit.h"

#include <QString>
#include <algorithm>

namespace brellix::platform::qt {

namespace {

// One line, whatever the error text holds.
SessionEndResult Accepted(const BusAnswer& answer, const char* method, std::ostream& diagnostics) {
    if (answer.ok) return SessionEndResult{true, {}};
    std::string error = answer.error;
    std::replace(error.begin(), error.end(), '\n', ' ');
    diagnostics << "brellix: " << method << " refused: " << error << '\n';
    return SessionEndResult{false, QString::fromStdString(error).toStdWString()};
}

// Halting needs more than the active session's rights under the usual polkit rules: when logind
// says it would not halt without asking, power off instead.
SessionEndResult ShutDown(SessionEndCalls& calls, std::ostream& diagnostics) {
    const BusAnswer canHalt = calls.CanHalt();
    if (canHalt.ok && canHalt.value == "yes") return Accepted(calls.Halt(), "Halt", diagnostics);
    return Accepted(calls.PowerOff(), "PowerOff", diagnostics);
}

SessionEndResult TerminateOwnSession(SessionEndCalls& calls, std::uint32_t pid, std::ostream& diagnostics) {
    const BusAnswer session = calls.GetSessionByPID(pid);
    if (!session.ok) return Accepted(session, "GetSessionByPID", diagnostics);
    return Accepted(calls.TerminateSession(session.value), "Terminate", diagnostics);
}

// Forced: logind stops the session at once. Otherwise the desktop first, so applications are
// asked; logind when no desktop session manager takes it.
SessionEndResult LogOff(SessionEndCalls& calls, bool force, std::uint32_t pid, std::ostream& diagnostics) {
    if (!force && calls.LogOutThroughSessionManager().ok) return SessionEndResult{true, {}};
    return TerminateOwnSession(calls, pid, diagnostics);
}

}  // namespace

SessionEndResult EndSessionThroughLogind(SessionEndRequest request, SessionEndCalls& calls, std::uint32_t pid,
                                         std::ostream& diagnostics) {
    // Both force modes make the same power call: logind asks no application either way, and
    // inhibitors are honoured, since ignoring them would need an administrator's password.
    switch (request.action) {
        case PowerAction::PowerOff: return Accepted(calls.PowerOff(), "PowerOff", diagnostics);
        case PowerAction::Reboot: return Accepted(calls.Reboot(), "Reboot", diagnostics);
        case PowerAction::Shutdown: return ShutDown(calls, diagnostics);
        case PowerAction::LogOff: break;
    }
    return LogOff(calls, request.force == ForceMode::Force, pid, diagnostics);
}

}  // namespace brellix::platform::qt
