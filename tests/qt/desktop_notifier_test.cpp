// What goes into Notify, by what the server says it can do.
#include "platform/qt/desktop_notifier.h"

#include <gtest/gtest.h>

namespace brellix::platform::qt {
namespace {

TEST(NotifyArgumentsOf, ActionsWhereTheServerTakesThemAndTextAsText) {
    const Notification warning{L"即将重启", L"a < b & c > d", true};
    const Notification snoozable{L"即将重启", L"a", true, 10};
    const Notification refusal{L"重启失败", L"a < b & c > d", false};
    struct Case {
        const char* what;
        Notification notification;
        QString capabilities;
        QString body;
        QStringList actions;
        int expireTimeout;
    };
    const QString click = QString::fromUtf8("显示"), disarm = QString::fromUtf8("取消");
    const Case cases[] = {
        {"warning, actions, plain body", warning, "body actions", "a < b & c > d", {"default", click, "disarm", disarm}, 0},
        {"warning with a snooze", snoozable, "actions", "a",
         {"default", click, "snooze", QString::fromUtf8("推迟 10 分钟"), "disarm", disarm}, 0},
        {"warning, markup, no actions", warning, "body body-markup", "a &lt; b &amp; c &gt; d", {}, 0},
        {"refusal: no disarm", refusal, "body body-markup actions", "a &lt; b &amp; c &gt; d", {"default", click}, -1},
        {"a server that says nothing", refusal, "", "a < b & c > d", {}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const NotifyArguments arguments = NotifyArgumentsOf(c.notification, c.capabilities.split(' ', Qt::SkipEmptyParts));
        EXPECT_EQ(arguments.summary, QString::fromStdWString(c.notification.title)) << "the summary is never markup";
        EXPECT_EQ(arguments.body, c.body);
        EXPECT_EQ(arguments.actions, c.actions);
        EXPECT_EQ(arguments.expireTimeout, c.expireTimeout) << "a warning stays until answered";
    }
}

}  // namespace
}  // namespace brellix::platform::qt
