#include "platform/qt/logind_exit.h"
#include "platform/qt/obstacles.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace brellix::platform::qt {
namespace {

// Answers like logind would, records every call; methods named in `refuse` answer with an error.
// Deferred, it answers only when the test lets the queued answers go, one at a time, as a bus
// would through the event loop.
class FakeSessionEndCalls : public SessionEndCalls {
public:
    std::vector<std::string> calls;
    std::set<std::string> refuse;
    std::string canHalt = "yes";
    std::string canPowerOff = "yes";
    std::string canReboot = "yes";
    bool sessionManagerPresent = false;
    bool deferred = false;

    void PowerOff(Answered a) override { Answer("PowerOff(false)", "PowerOff", {}, std::move(a)); }
    void Reboot(Answered a) override { Answer("Reboot(false)", "Reboot", {}, std::move(a)); }
    void Halt(Answered a) override { Answer("Halt(false)", "Halt", {}, std::move(a)); }
    void CanPowerOff(Answered a) override { Answer("CanPowerOff()", "CanPowerOff", canPowerOff, std::move(a)); }
    void CanReboot(Answered a) override { Answer("CanReboot()", "CanReboot", canReboot, std::move(a)); }
    void CanHalt(Answered a) override { Answer("CanHalt()", "CanHalt", canHalt, std::move(a)); }
    void GetSessionByPID(std::uint32_t pid, Answered a) override {
        Answer("GetSessionByPID(" + std::to_string(pid) + ")", "GetSessionByPID", "/org/freedesktop/login1/session/c1",
               std::move(a));
    }
    void TerminateSession(const std::string& path, Answered a) override {
        Answer("Terminate(" + path + ")", "Terminate", {}, std::move(a));
    }
    void LogOutThroughSessionManager(Answered a) override {
        if (!sessionManagerPresent) {
            calls.push_back("SessionManager: none");
            return Deliver(BusAnswer::Error("no session manager on the session bus"), std::move(a));
        }
        Answer("SessionManager.Logout", "SessionManager", {}, std::move(a));
    }

    // Lets the answers go; returns how many calls had to wait for their answer.
    int AnswerAll() {
        int waited = 0;
        while (!queue_.empty()) {
            auto [answer, answered] = std::move(queue_.front());
            queue_.erase(queue_.begin());
            ++waited;
            answered(answer);
        }
        return waited;
    }

private:
    void Answer(std::string call, const std::string& method, std::string value, Answered answered) {
        calls.push_back(std::move(call));
        if (refuse.count(method)) {
            return Deliver(BusAnswer::Error("org.freedesktop.login1.BlockedByInhibitorLock: Operation inhibited\nby \"x\""),
                           std::move(answered));
        }
        Deliver(BusAnswer::Value(std::move(value)), std::move(answered));
    }
    void Deliver(BusAnswer answer, Answered answered) {
        if (deferred) queue_.emplace_back(std::move(answer), std::move(answered));
        else answered(answer);
    }
    std::vector<std::pair<BusAnswer, Answered>> queue_;
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

        // The same calls when each answer comes later: the next call waits for it, and the
        // result comes only with the last answer.
        FakeSessionEndCalls later;
        later.deferred = true;
        later.canHalt = c.canHalt;
        later.sessionManagerPresent = c.sessionManager;
        std::optional<SessionEndResult> result;
        EndSessionThroughLogind(c.request, later, 4242, diagnostics, [&](const SessionEndResult& r) { result = r; });
        EXPECT_EQ(later.calls.size(), 1u) << "one call at a time";
        EXPECT_FALSE(result) << "no result before logind answered";
        EXPECT_EQ(later.AnswerAll(), static_cast<int>(c.calls.size()));
        EXPECT_EQ(later.calls, c.calls);
        ASSERT_TRUE(result);
        EXPECT_TRUE(result->accepted);
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
        EXPECT_EQ(result.reason, L"另一个程序阻止了此操作（Operation inhibited by \"x\"）。");
        EXPECT_EQ(diagnostics.str(), "brellix: " + c.refused + " refused: " + reason + "\n");
    }
}

// The window speaks Chinese, the terminal keeps logind's words; neither lets a control character of
// another program's text (an inhibitor's "why") through.
TEST(EndSessionThroughLogind, RefusalsAreToldInTheWindowsWordsAndWithoutControlCharacters) {
    const struct {
        std::string error;
        std::wstring reason;
    } cases[] = {
        {"org.freedesktop.DBus.Error.AccessDenied: Access denied", L"系统不允许此操作。"},
        {"org.freedesktop.DBus.Error.InteractiveAuthorizationRequired: Interactive authentication required.",
         L"系统要求输入密码才允许此操作。"},
        {"org.freedesktop.DBus.Error.NoReply: Did not receive a reply", L"系统的登录管理器（logind）没有答复。"},
        {"org.freedesktop.login1.BlockedByInhibitorLock: by \"x\" \x1b[2Jwhy\nnot\xc2\x9b",
         L"另一个程序阻止了此操作（by \"x\"  [2Jwhy not ）。"},
        {"org.example.Odd\x07: \x1b]0;t\x07", L"系统拒绝了请求：org.example.Odd :  ]0;t "},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RefusalReasonOf(c.error), c.reason) << c.error;
        EXPECT_EQ(PrintableLine(c.error).find_first_of("\x1b\x07\n"), std::string::npos) << c.error;
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

// What logind says before the time comes, asked with the call the action would make.
TEST(AskOutlookThroughLogind, AsksTheCallTheActionWouldMakeAndReadsItsAnswer) {
    struct Case {
        const char* what;
        PowerAction action;
        std::string canHalt, canPowerOff, canReboot;
        Strings calls;
        std::optional<SessionEndOutlook> outlook;
    };
    using enum SessionEndOutlook;
    const Case cases[] = {
        {"power off allowed", PowerAction::PowerOff, "no", "yes", "no", {"CanPowerOff()"}, Allowed},
        {"power off needs a password", PowerAction::PowerOff, "yes", "challenge", "yes", {"CanPowerOff()"}, NeedsPassword},
        {"power off not allowed", PowerAction::PowerOff, "yes", "no", "yes", {"CanPowerOff()"}, NotAllowed},
        {"reboot not available", PowerAction::Reboot, "yes", "yes", "na", {"CanReboot()"}, NotAllowed},
        {"shut down by halting", PowerAction::Shutdown, "yes", "no", "no", {"CanHalt()"}, Allowed},
        {"shut down by powering off", PowerAction::Shutdown, "challenge", "challenge", "yes",
         {"CanHalt()", "CanPowerOff()"}, NeedsPassword},
        {"an answer logind never gives", PowerAction::PowerOff, "yes", "maybe", "yes", {"CanPowerOff()"}, std::nullopt},
        {"log off: nothing to ask", PowerAction::LogOff, "no", "no", "no", {}, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeSessionEndCalls calls;
        calls.deferred = true;
        calls.canHalt = c.canHalt;
        calls.canPowerOff = c.canPowerOff;
        calls.canReboot = c.canReboot;
        std::vector<SessionEndOutlook> told;
        AskOutlookThroughLogind({c.action}, calls, [&](SessionEndOutlook o) { told.push_back(o); });
        EXPECT_TRUE(told.empty()) << "told only once logind answered";
        calls.AnswerAll();
        EXPECT_EQ(calls.calls, c.calls);
        EXPECT_EQ(told, c.outlook ? std::vector{*c.outlook} : std::vector<SessionEndOutlook>{});
    }
    FakeSessionEndCalls failing;
    failing.refuse = {"CanPowerOff"};
    bool toldAnything = false;
    AskOutlookThroughLogind({PowerAction::PowerOff}, failing, [&](SessionEndOutlook) { toldAnything = true; });
    EXPECT_FALSE(toldAnything) << "an error tells nothing";
}

// What stands in the way: block inhibitors of shutdown, and other users' sessions, for the power
// actions only; each named once.
TEST(ObstaclesOf, BlockInhibitorsOfShutdownAndOtherUsersForThePowerActions) {
    const QList<InhibitorRecord> inhibitors = {
        {"shutdown:sleep", "Firefox", QString::fromUtf8("正在播放视频"), "block", 1000, 42},
        {"shutdown", "Firefox", QString::fromUtf8("正在播放视频"), "block", 1000, 43},
        {"shutdown", "brellix", "Store the settings", "delay", 1000, 7},
        {"sleep", "player", "Playing", "block", 1000, 9},
        {"shutdown", "backup", "", "block", 0, 11},
    };
    const QList<SessionRecord> sessions = {
        {"c1", 1000, "user", "seat0"}, {"c2", 1001, "bob", "seat0"}, {"c3", 1001, "bob", "seat0"}, {"c4", 1002, "eve", ""},
    };
    const Obstacles poweroff = ObstaclesOf({PowerAction::PowerOff}, inhibitors, sessions, 1000);
    EXPECT_EQ(poweroff.blockers, (std::vector<std::wstring>{L"Firefox：正在播放视频", L"backup"}));
    EXPECT_EQ(poweroff.otherUsers, (std::vector<std::wstring>{L"bob（seat0）", L"eve（远程）"}));
    EXPECT_TRUE(ObstaclesOf({PowerAction::LogOff}, inhibitors, sessions, 1000).Empty()) << "a log off ends no one else";
}

}  // namespace
}  // namespace brellix::platform::qt
