#include "platform/qt/logind_exit.h"

#include <QString>
#include <algorithm>
#include <memory>
#include <optional>

namespace brellix::platform::qt {

namespace {

using Done = std::function<void(const SessionEndResult&)>;

// The error's name, before the first ": ".
std::string_view ErrorName(std::string_view error) { return error.substr(0, error.find(": ")); }

std::string_view ErrorMessage(std::string_view error) {
    const std::size_t colon = error.find(": ");
    return colon == std::string_view::npos ? std::string_view() : error.substr(colon + 2);
}

std::wstring Wide(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())).toStdWString();
}

// One line for the terminal, whatever the error text holds.
SessionEndResult Accepted(const BusAnswer& answer, const char* method, std::ostream& diagnostics) {
    if (answer.ok) return SessionEndResult{true, {}};
    diagnostics << "brellix: " << method << " refused: " << PrintableLine(answer.error) << '\n';
    return SessionEndResult{false, RefusalReasonOf(answer.error)};
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

std::string PrintableLine(std::string_view text) {
    std::string line;
    line.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        line += byte < 0x20 || byte == 0x7f ? ' ' : c;
    }
    // C1 controls (U+0080..U+009F: CSI among them) are two bytes in UTF-8: C2 80..C2 9F.
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
        if (line[i] == '\xc2' && static_cast<unsigned char>(line[i + 1]) >= 0x80 &&
            static_cast<unsigned char>(line[i + 1]) <= 0x9f) {
            line.replace(i, 2, " ");
        }
    }
    return line;
}

// What logind's error means, in the window's language; its own details (who inhibits, and why)
// are kept where they say more than the name.
std::wstring RefusalReasonOf(std::string_view error) {
    const std::string_view name = ErrorName(error);
    const std::wstring details = Wide(PrintableLine(ErrorMessage(error)));
    if (name == "org.freedesktop.login1.BlockedByInhibitorLock") {
        return L"另一个程序阻止了此操作" + (details.empty() ? std::wstring() : L"（" + details + L"）") + L"。";
    }
    if (name == "org.freedesktop.DBus.Error.InteractiveAuthorizationRequired") return L"系统要求输入密码才允许此操作。";
    if (name == "org.freedesktop.DBus.Error.AccessDenied") return L"系统不允许此操作。";
    if (name == "org.freedesktop.DBus.Error.NoReply" || name == "org.freedesktop.DBus.Error.Timeout" ||
        name == "org.freedesktop.DBus.Error.ServiceUnknown" || name == "org.freedesktop.DBus.Error.Disconnected") {
        return L"系统的登录管理器（logind）没有答复。";
    }
    return L"系统拒绝了请求：" + Wide(PrintableLine(error));
}

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
    return result.value_or(SessionEndResult{false, RefusalReasonOf("org.freedesktop.DBus.Error.NoReply")});
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
