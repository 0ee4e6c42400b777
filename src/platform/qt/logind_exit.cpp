#include "platform/qt/logind_exit.h"

#include <algorithm>

#include "platform/os.h"

namespace brellix::platform::qt {

namespace {

// One line, whatever the error text holds.
bool Accepted(const BusAnswer& answer, const char* method, std::ostream& diagnostics) {
    if (answer.ok) return true;
    std::string error = answer.error;
    std::replace(error.begin(), error.end(), '\n', ' ');
    diagnostics << "brellix: " << method << " refused: " << error << '\n';
    return false;
}

// Halting needs more than the active session's rights under the usual polkit rules: when logind
// says it would not halt without asking, power off instead.
bool ShutDown(SessionEndCalls& calls, std::ostream& diagnostics) {
    const BusAnswer canHalt = calls.CanHalt();
    if (canHalt.ok && canHalt.value == "yes") return Accepted(calls.Halt(), "Halt", diagnostics);
    return Accepted(calls.PowerOff(), "PowerOff", diagnostics);
}

bool TerminateOwnSession(SessionEndCalls& calls, std::uint32_t pid, std::ostream& diagnostics) {
    const BusAnswer session = calls.GetSessionByPID(pid);
    if (!Accepted(session, "GetSessionByPID", diagnostics)) return false;
    return Accepted(calls.TerminateSession(session.value), "Terminate", diagnostics);
}

// Forced: logind stops the session at once. Otherwise the desktop first, so applications are
// asked; logind when no desktop session manager takes it.
bool LogOff(SessionEndCalls& calls, bool force, std::uint32_t pid, std::ostream& diagnostics) {
    if (!force && calls.LogOutThroughSessionManager().ok) return true;
    return TerminateOwnSession(calls, pid, diagnostics);
}

}  // namespace

bool EndSessionThroughLogind(std::uint32_t flags, SessionEndCalls& calls, std::uint32_t pid,
                             std::ostream& diagnostics) {
    // Both force modes make the same power call: logind asks no application either way, and
    // inhibitors are honoured, since ignoring them would need an administrator's password.
    if (flags & kExitPowerOff) return Accepted(calls.PowerOff(), "PowerOff", diagnostics);
    if (flags & kExitReboot) return Accepted(calls.Reboot(), "Reboot", diagnostics);
    if (flags & kExitShutdown) return ShutDown(calls, diagnostics);
    return LogOff(calls, (flags & kExitForce) != 0, pid, diagnostics);
}

}  // namespace brellix::platform::qt
