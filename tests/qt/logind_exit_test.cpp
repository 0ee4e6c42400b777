#include "platform/qt/logind_exit.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace brellix::platform::qt {
namespace {

// Answers like logind would, records every call; methods named in `refuse` answer with an error.
class FakeSessionEndCalls : public SessionEndCalls {
public:
    std::vector<std::string> calls;
    std::set<std::string> refuse;
    std::string canHalt = "yes";
    bool sessionManagerPresent = false;

    BusAnswer PowerOff() override { return Answer("PowerOff(false)", "PowerOff"); }
    BusAnswer Reboot() override { return Answer("Reboot(false)", "Reboot"); }
    BusAnswer Halt() override { return Answer("Halt(false)", "Halt"); }
    BusAnswer CanHalt() override { return Answer("CanHalt()", "CanHalt", canHalt); }
    BusAnswer GetSessionByPID(std::uint32_t pid) override {
        return Answer("GetSessionByPID(" + std::to_string(pid) + ")", "GetSessionByPID",
                      "/org/freedesktop/login1/session/c1");
    }
    BusAnswer TerminateSession(const std::string& path) override { return Answer("Terminate(" + path + ")", "Terminate"); }
    BusAnswer LogOutThroughSessionManager() override {
        if (!sessionManagerPresent) {
            calls.push_back("SessionManager: none");
            return BusAnswer::Error("no session manager on the session bus");
        }
        return Answer("SessionManager.Logout", "SessionManager");
    }

private:
    BusAnswer Answer(std::string call, const std::string& method, std::string value = {}) {
        calls.push_back(std::move(call));
        if (refuse.count(method)) return BusAnswer::Error("org.freedesktop.login1.BlockedByInhibitorLock: Operation inhibited\nby \"x\"");
        return BusAnswer::Value(std::move(value));
    }
};

using Strings = std::vector<std::string>;
const std::string kSession = "/org/freedesktop/login1/session/c1";

TEST(EndSessionThroughLogind, EachActionAndForceModeMakesItsCalls) {
    struct Case {
        const char* what;
        SessionEndRequest request;
        std::string canHalt;
        bool sessionManager;
        Strings calls;
    };
    const Case cases[] = {
        {"power off", {PowerAction::PowerOff}, "yes", false, {"PowerOff(false)"}},
        {"power off, force", {PowerAction::PowerOff, ForceMode::Force}, "yes", false, {"PowerOff(false)"}},
        {"power off, force if hung", {PowerAction::PowerOff, ForceMode::ForceIfHung}, "yes", false, {"PowerOff(false)"}},
        {"reboot", {PowerAction::Reboot}, "yes", false, {"Reboot(false)"}},
        {"reboot, force", {PowerAction::Reboot, ForceMode::Force}, "yes", false, {"Reboot(false)"}},
        {"reboot, force if hung", {PowerAction::Reboot, ForceMode::ForceIfHung}, "yes", false, {"Reboot(false)"}},
        {"shut down where halting is allowed", {PowerAction::Shutdown}, "yes", false, {"CanHalt()", "Halt(false)"}},
        {"shut down, force", {PowerAction::Shutdown, ForceMode::Force}, "yes", false, {"CanHalt()", "Halt(false)"}},
        {"shut down where halting needs a password", {PowerAction::Shutdown}, "challenge", false, {"CanHalt()", "PowerOff(false)"}},
        {"shut down where halting is not possible", {PowerAction::Shutdown, ForceMode::ForceIfHung}, "na", false, {"CanHalt()", "PowerOff(false)"}},
        {"log off, force: the session ends at once", {PowerAction::LogOff, ForceMode::Force}, "yes", true,
         {"GetSessionByPID(4242)", "Terminate(" + kSession + ")"}},
        {"log off: the desktop asks its applications", {PowerAction::LogOff}, "yes", true, {"SessionManager.Logout"}},
        {"log off, force if hung: the desktop too", {PowerAction::LogOff, ForceMode::ForceIfHung}, "yes", true, {"SessionManager.Logout"}},
        {"log off without a desktop session manager", {PowerAction::LogOff}, "yes", false,
         {"SessionManager: none", "GetSessionByPID(4242)", "Terminate(" + kSession + ")"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeSessionEndCalls calls;
        calls.canHalt = c.canHalt;
        calls.sessionManagerPresent = c.sessionManager;
        std::ostringstream diagnostics;
        EXPECT_TRUE(EndSessionThroughLogind(c.request, calls, 4242, diagnostics).accepted);
        EXPECT_EQ(calls.calls, c.calls);
        EXPECT_EQ(diagnostics.str(), "");
    }
}

TEST(EndSessionThroughLogind, ARefusalGivesLogindsReasonAndOneLineNamingTheMethod) {
    struct Case {
        const char* what;
        SessionEndRequest request;
        std::string refused;
        std::string canHalt;
        bool sessionManager;
    };
    const Case cases[] = {
        {"power off", {PowerAction::PowerOff}, "PowerOff", "yes", false},
        {"reboot", {PowerAction::Reboot}, "Reboot", "yes", false},
        {"halt", {PowerAction::Shutdown}, "Halt", "yes", false},
        {"power off instead of halt", {PowerAction::Shutdown}, "PowerOff", "no", false},
        {"no session for the process", {PowerAction::LogOff, ForceMode::Force}, "GetSessionByPID", "yes", false},
        {"terminate", {PowerAction::LogOff, ForceMode::Force}, "Terminate", "yes", false},
        {"the desktop refused, then logind", {PowerAction::LogOff}, "Terminate", "yes", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeSessionEndCalls calls;
        calls.refuse = {c.refused};
        calls.canHalt = c.canHalt;
        calls.sessionManagerPresent = c.sessionManager;
        std::ostringstream diagnostics;
        const SessionEndResult result = EndSessionThroughLogind(c.request, calls, 7, diagnostics);
        const std::string reason = "org.freedesktop.login1.BlockedByInhibitorLock: Operation inhibited by \"x\"";
        EXPECT_FALSE(result.accepted);
        EXPECT_EQ(result.reason, std::wstring(reason.begin(), reason.end())) << "the system's own words";
        EXPECT_EQ(diagnostics.str(), "brellix: " + c.refused + " refused: " + reason + "\n");
    }
}

TEST(EndSessionThroughLogind, ARefusingDesktopFallsBackToLogindSilently) {
    FakeSessionEndCalls calls;
    calls.sessionManagerPresent = true;
    calls.refuse = {"SessionManager"};
    std::ostringstream diagnostics;
    EXPECT_TRUE(EndSessionThroughLogind({PowerAction::LogOff}, calls, 9, diagnostics).accepted);
    EXPECT_EQ(calls.calls, (Strings{"SessionManager.Logout", "GetSessionByPID(9)", "Terminate(" + kSession + ")"}));
    EXPECT_EQ(diagnostics.str(), "");
}

TEST(EndSessionThroughLogind, AFailedHaltQueryMeansPowerOff) {
    FakeSessionEndCalls calls;
    calls.refuse = {"CanHalt"};
    std::ostringstream diagnostics;
    EXPECT_TRUE(EndSessionThroughLogind({PowerAction::Shutdown}, calls, 9, diagnostics).accepted);
    EXPECT_EQ(calls.calls, (Strings{"CanHalt()", "PowerOff(false)"}));
}

}  // namespace
}  // namespace brellix::platform::qt
