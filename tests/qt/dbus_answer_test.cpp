#include <gtest/gtest.h>

#include <QDBusObjectPath>
#include <cstdlib>
#include <string_view>

#include "platform/qt/dbus_session_calls.h"

namespace brellix::platform::qt {
namespace {

TEST(AnswerOf, ReadsTheFirstValueOrTheErrorOfAReply) {
    const QDBusMessage call = LogindManagerCall("GetSessionByPID");
    EXPECT_EQ(call.service(), "org.freedesktop.login1");
    EXPECT_EQ(call.path(), "/org/freedesktop/login1");
    EXPECT_EQ(call.interface(), "org.freedesktop.login1.Manager");

    const BusAnswer path = AnswerOf(call.createReply(QVariant::fromValue(QDBusObjectPath("/org/freedesktop/login1/session/c1"))));
    EXPECT_TRUE(path.ok);
    EXPECT_EQ(path.value, "/org/freedesktop/login1/session/c1");

    const BusAnswer text = AnswerOf(call.createReply(QVariant(QString("challenge"))));
    EXPECT_TRUE(text.ok);
    EXPECT_EQ(text.value, "challenge");

    const BusAnswer empty = AnswerOf(call.createReply());
    EXPECT_TRUE(empty.ok);
    EXPECT_EQ(empty.value, "");

    const BusAnswer refused = AnswerOf(call.createErrorReply("org.freedesktop.login1.BlockedByInhibitorLock", "Operation inhibited"));
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.error, "org.freedesktop.login1.BlockedByInhibitorLock: Operation inhibited");
}

TEST(DbusSessionEndCalls, WithoutASystemBusEveryCallIsRefused) {
    // The test's buses lead nowhere (see the test main): the refusal names why. Never the
    // machine's own logind: without that private address the test refuses to call at all.
    const char* system = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
    ASSERT_TRUE(system && std::string_view(system).starts_with("unix:path=/nonexistent/brellix-qt-tests-"));
    DbusSessionEndCalls calls;
    BusAnswer answer = BusAnswer::Value("unanswered");
    calls.PowerOff([&](const BusAnswer& a) { answer = a; });
    EXPECT_FALSE(answer.ok);
    EXPECT_NE(answer.error.find("no bus"), std::string::npos) << answer.error;
    BusAnswer desktop = BusAnswer::Value("unanswered");
    calls.LogOutThroughSessionManager([&](const BusAnswer& a) { desktop = a; });
    EXPECT_FALSE(desktop.ok);
}

}  // namespace
}  // namespace brellix::platform::qt
