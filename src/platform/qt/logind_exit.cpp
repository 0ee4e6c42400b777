#include "platform/qt/logind_exit.h"

#include <QString>
#include <algorithm>
#include <memory>
#include <optional>

namespace brellix::platform::qt {

namespace {

using Done = std::function<void(const SessionEndResult&)>;

// One line, whatever the error text holds.
SessionEndResult Accepted(const BusAnswer& answer, const char* method, std::ostream& diagnostics) {
    if (answer.ok) return SessionEndResult{true, {}};
    std::string error = answer.error;
    std::replace(error.begin(), error.end(), '\n', ' ');
    diagnostics << "brellix: " << method << " refused: " << error << '\n';
    return SessionEndResult{false, QString::fromStdString(error).toStdWString()};
}

// The continuation of a call whose answer ends the request.
Answered Finish(const char* method, std::ostream& diagnostics, Done done) {
    return [method, &diagnostics, done = std::move(done)](const BusAnswer& answer) {
        done(Accepted(answer, method, diagnostics));
    };
}

// Halting needs more than the active session's rights under the usual polkit rules: when logind
// says it would not halt without asking, power off instead.
bool HaltsWithout(const BusAnswer& canHalt) { return canHalt.ok && canHalt.value == "yes"; }

void ShutDown(SessionEndCalls& calls, std::ostream& diagnostics, Done done) {
    calls.CanHalt([&calls, &diagnostics, done = std::move(done)](const BusAnswer& canHalt) {
        if (HaltsWithout(canHalt)) return calls.Halt(Finish("Halt", diagnostics, done));
        calls.PowerOff(Finish("PowerOff", diagnostics, done));
    });
}

void TerminateOwnSession(SessionEndCalls& calls, std::uint32_t pid, std::ostream& diagnostics, Done done) {
    calls.GetSessionByPID(pid, [&calls, &diagnostics, done = std::move(done)](const BusAnswer& session) {
        if (!session.ok) return done(Accepted(session, "GetSessionByPID", diagnostics));
        calls.TerminateSession(session.value, Finish("Terminate", diagnostics, done));
    });
}

// Forced: logind stops the session at once. Otherwise the desktop first, so applications are
// asked; logind when no desktop session manager takes it.
void LogOff(SessionEndCalls& calls, bool force, std::uint32_t pid, std::ostream& diagnostics, Done done) {
    if (force) return TerminateOwnSession(calls, pid, diagnostics, std::move(done));
    calls.LogOutThroughSessionManager([&calls, pid, &diagnostics, done = std::move(done)](const BusAnswer& desktop) {
        if (desktop.ok) return done(SessionEndResult{true, {}});
        TerminateOwnSession(calls, pid, diagnostics, done);
    });
}

std::optional<SessionEndOutlook> OutlookOf(const BusAnswer& answer) {
    if (!answer.ok) return std::nullopt;
    if (answer.value == "yes") return SessionEndOutlook::Allowed;
    if (answer.value == "challenge") return SessionEndOutlook::NeedsPassword;
    if (answer.value == "no" || answer.value == "na") return SessionEndOutlook::NotAllowed;
    return std::nullopt;
}

Answered Tell(std::function<void(SessionEndOutlook)> told) {
    return [told = std::move(told)](const BusAnswer& answer) {
        if (const auto outlook = OutlookOf(answer)) told(*outlook);
    };
}

}  // namespace

void EndSessionThroughLogind(SessionEndRequest request, SessionEndCalls& calls, std::uint32_t pid,
                             std::ostream& diagnostics, Done done) {
    // Both force modes make the same power call: logind asks no application either way, and
    // inhibitors are honoured, since ignoring them would need an administrator's password.
    switch (request.action) {
        case PowerAction::PowerOff: return calls.PowerOff(Finish("PowerOff", diagnostics, std::move(done)));
        case PowerAction::Reboot: return calls.Reboot(Finish("Reboot", diagnostics, std::move(done)));
        case PowerAction::Shutdown: return ShutDown(calls, diagnostics, std::move(done));
        case PowerAction::LogOff: break;
    }
    LogOff(calls, request.force == ForceMode::Force, pid, diagnostics, std::move(done));
}

SessionEndResult EndSessionThroughLogind(SessionEndRequest request, SessionEndCalls& calls, std::uint32_t pid,
                                         std::ostream& diagnostics) {
    std::optional<SessionEndResult> result;
    EndSessionThroughLogind(request, calls, pid, diagnostics, [&result](const SessionEndResult& r) { result = r; });
    return result.value_or(SessionEndResult{false, L"no answer from logind"});
}

void AskOutlookThroughLogind(SessionEndRequest request, SessionEndCalls& calls,
                             std::function<void(SessionEndOutlook)> told) {
    switch (request.action) {
        case PowerAction::PowerOff: return calls.CanPowerOff(Tell(std::move(told)));
        case PowerAction::Reboot: return calls.CanReboot(Tell(std::move(told)));
        case PowerAction::Shutdown:
            // The call ShutDown would make: a halt where logind allows it, else a power off.
            return calls.CanHalt([&calls, told = std::move(told)](const BusAnswer& canHalt) {
                if (HaltsWithout(canHalt)) return told(SessionEndOutlook::Allowed);
                calls.CanPowerOff(Tell(told));
            });
        case PowerAction::LogOff: return;
    }
}

}  // namespace brellix::platform::qt
