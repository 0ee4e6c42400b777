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
        std::uint32_t flags;
        std::string canHalt;
        bool sessionManager;
        Strings calls;
    };
    const Case cases[] = {
        {"power off", 0x08, "yes", false, {"PowerOff(false)"}},
        {"power off, force", 0x0C, "yes", false, {"PowerOff(false)"}},
        {"power off, force if hung", 0x18, "yes", false, {"PowerOff(false)"}},
        {"reboot", 0x02, "yes", false, {"Reboot(false)"}},
        {"reboot, force", 0x06, "yes", false, {"Reboot(false)"}},
        {"reboot, force if hung", 0x12, "yes", false, {"Reboot(false)"}},
        {"shut down where halting is allowed", 0x01, "yes", false, {"CanHalt()", "Halt(false)"}},
        {"shut down, force", 0x05, "yes", false, {"CanHalt()", "Halt(false)"}},
        {"shut down where halting needs a password", 0x01, "challenge", false, {"CanHalt()", "PowerOff(false)"}},
        {"shut down where halting is not possible", 0x11, "na", false, {"CanHalt()", "PowerOff(false)"}},
        {"log off, force: the session ends at once", 0x04, "yes", true,
         {"GetSessionByPID(4242)", "Terminate(" + kSession + ")"}},
        {"log off: the desktop asks its applications", 0x00, "yes", true, {"SessionManager.Logout"}},
        {"log off, force if hung: the desktop too", 0x10, "yes", true, {"SessionManager.Logout"}},
        {"log off without a desktop session manager", 0x00, "yes", false,
         {"SessionManager: none", "GetSessionByPID(4242)", "Terminate(" + kSession + ")"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeSessionEndCalls calls;
        calls.canHalt = c.canHalt;
        calls.sessionManagerPresent = c.sessionManager;
        std::ostringstream diagnostics;
        EXPECT_TRUE(EndSessionThroughLogind(c.flags, calls, 4242, diagnostics));
        EXPECT_EQ(calls.calls, c.calls);
        EXPECT_EQ(diagnostics.str(), "");
    }
}

TEST(EndSessionThroughLogind, ARefusalReturnsFalseWithOneLineNamingTheMethod) {
    struct Case {
        const char* what;
        std::uint32_t flags;
        std::string refused;
        std::string canHalt;
        bool sessionManager;
    };
    const Case cases[] = {
        {"power off", 0x08, "PowerOff", "yes", false},
        {"reboot", 0x02, "Reboot", "yes", false},
        {"halt", 0x01, "Halt", "yes", false},
        {"power off instead of halt", 0x01, "PowerOff", "no", false},
        {"no session for the process", 0x04, "GetSessionByPID", "yes", false},
        {"terminate", 0x04, "Terminate", "yes", false},
        {"the desktop refused, then logind", 0x00, "Terminate", "yes", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeSessionEndCalls calls;
        calls.refuse = {c.refused};
        calls.canHalt = c.canHalt;
        calls.sessionManagerPresent = c.sessionManager;
        std::ostringstream diagnostics;
        EXPECT_FALSE(EndSessionThroughLogind(c.flags, calls, 7, diagnostics));
        EXPECT_EQ(diagnostics.str(), "brellix: " + c.refused +
                                         " refused: org.freedesktop.login1.BlockedByInhibitorLock: Operation "
                                         "inhibited by \"x\"\n");
    }
}

TEST(EndSessionThroughLogind, ARefusingDesktopFallsBackToLogindSilently) {
    FakeSessionEndCalls calls;
    calls.sessionManagerPresent = true;
    calls.refuse = {"SessionManager"};
    std::ostringstream diagnostics;
    EXPECT_TRUE(EndSessionThroughLogind(0x00, calls, 9, diagnostics));
    EXPECT_EQ(calls.calls, (Strings{"SessionManager.Logout", "GetSessionByPID(9)", "Terminate(" + kSession + ")"}));
    EXPECT_EQ(diagnostics.str(), "");
}

TEST(EndSessionThroughLogind, AFailedHaltQueryMeansPowerOff) {
    FakeSessionEndCalls calls;
    calls.refuse = {"CanHalt"};
    std::ostringstream diagnostics;
    EXPECT_TRUE(EndSessionThroughLogind(0x01, calls, 9, diagnostics));
    EXPECT_EQ(calls.calls, (Strings{"CanHalt()", "PowerOff(false)"}));
}

}  // namespace
}  // namespace brellix::platform::qt
