#include "platform/qt/desktop_notifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace brellix::platform::qt {

namespace {

constexpr char kService[] = "org.freedesktop.Notifications";
constexpr char kPath[] = "/org/freedesktop/Notifications";
constexpr char kInterface[] = "org.freedesktop.Notifications";
constexpr int kFlushPatienceMs = 1000;

QDBusMessage NotificationsCall(const char* method) {
    return QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
}

QString Qt(const std::wstring& text) { return QString::fromStdWString(text); }

// Text from the system must read as text where the server takes markup.
QString Escaped(QString text) {
    return text.replace('&', "&amp;").replace('<', "&lt;").replace('>', "&gt;");
}

// Calls `replied` with the reply once it comes, on this thread.
void WhenAnswered(QObject* owner, const QDBusMessage& message, std::function<void(const QDBusMessage&)> replied) {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return replied(QDBusMessage::createError("org.freedesktop.DBus.Error.Disconnected", "no session bus"));
    }
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(message), owner);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, owner, [watcher, replied = std::move(replied)] {
        watcher->deleteLater();
        replied(watcher->reply());
    });
}

}  // namespace

NotifyArguments NotifyArgumentsOf(const Notification& notification, const QStringList& capabilities) {
    NotifyArguments arguments;
    arguments.summary = Qt(notification.title);
    arguments.body = capabilities.contains("body-markup") ? Escaped(Qt(notification.body)) : Qt(notification.body);
    if (capabilities.contains("actions")) {
        // "default": a click on the notification itself.
        arguments.actions = {"default", QString::fromUtf8("显示")};
        if (notification.offersDisarm) arguments.actions << "disarm" << QString::fromUtf8("取消");
    }
    // A warning that offers to disarm stays until it is answered or taken back.
    arguments.expireTimeout = notification.offersDisarm ? 0 : -1;
    return arguments;
}

DesktopNotifier::DesktopNotifier(std::function<void(NotificationAnswer)> answered,
                                 std::function<void(const Notification&)> noServer)
    : answered_(std::move(answered)), noServer_(std::move(noServer)) {}

void DesktopNotifier::Notify(const Notification& notification) {
    waiting_ = notification;
    Next();
}

void DesktopNotifier::Withdraw() {
    waiting_.reset();
    withdrawWaiting_ = true;
    Next();
}

// One call at a time where the next needs its answer: the id to replace or close, the server's
// capabilities. Only the newest notification waits; an older one never shows.
void DesktopNotifier::Next() {
    if (busy_) return;
    if (withdrawWaiting_) {
        withdrawWaiting_ = false;
        if (shownId_ != 0) Close(shownId_);
        shownId_ = 0;
    }
    if (!waiting_) return;
    if (!capabilities_) return AskCapabilities();
    const Notification notification = *waiting_;
    waiting_.reset();
    Send(notification);
}

void DesktopNotifier::AskCapabilities() {
    busy_ = true;
    Listen();
    WhenAnswered(this, NotificationsCall("GetCapabilities"), [this](const QDBusMessage& reply) {
        busy_ = false;
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
            capabilities_ = reply.arguments().constFirst().toStringList();
        } else if (waiting_) {
            // No server: asked again with the next notification, one may have started by then.
            const Notification notification = *waiting_;
            waiting_.reset();
            noServer_(notification);
        }
        Next();
    });
}

QDBusMessage DesktopNotifier::NotifyCall(const Notification& notification) const {
    const NotifyArguments arguments = NotifyArgumentsOf(notification, *capabilities_);
    QDBusMessage call = NotificationsCall("Notify");
    QVariantMap hints;
    hints.insert("desktop-entry", QString("brellix"));
    // replaces_id: the program's earlier notification, if the server still shows it.
    call << QString("Brellix") << shownId_ << QString("brellix") << arguments.summary << arguments.body
         << arguments.actions << hints << arguments.expireTimeout;
    return call;
}

void DesktopNotifier::Send(const Notification& notification) {
    busy_ = true;
    WhenAnswered(this, NotifyCall(notification), [this, notification](const QDBusMessage& reply) {
        busy_ = false;
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
            shownId_ = reply.arguments().constFirst().toUInt();
            server_ = reply.service();
        } else {
            // The server went away: ask again next time, and show this one another way.
            capabilities_.reset();
            shownId_ = 0;
            if (!waiting_) noServer_(notification);
        }
        Next();
    });
}

void DesktopNotifier::Flush() {
    if (!waiting_) return;
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    if (!capabilities_) {
        const QDBusMessage reply = bus.call(NotificationsCall("GetCapabilities"), QDBus::Block, kFlushPatienceMs);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return;
        capabilities_ = reply.arguments().constFirst().toStringList();
    }
    bus.call(NotifyCall(*waiting_), QDBus::Block, kFlushPatienceMs);
    waiting_.reset();
}

void DesktopNotifier::Close(uint id) {
    QDBusMessage call = NotificationsCall("CloseNotification");
    call << id;
    WhenAnswered(this, call, [](const QDBusMessage&) {});
}

// Any sender, checked in the slots against the server that answered Notify: naming the service
// here would make QtDBus ask the bus for its owner, and wait for that.
void DesktopNotifier::Listen() {
    if (listening_) return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    listening_ = bus.connect(QString(), kPath, kInterface, "ActionInvoked", this, SLOT(ActionInvoked(uint,QString,QDBusMessage))) &&
                 bus.connect(QString(), kPath, kInterface, "NotificationClosed", this,
                             SLOT(NotificationClosed(uint,uint,QDBusMessage)));
}

void DesktopNotifier::ActionInvoked(uint id, const QString& key, const QDBusMessage& message) {
    if (id == 0 || id != shownId_ || message.service() != server_) return;
    if (key == "disarm") answered_(NotificationAnswer::Disarm);
    else if (key == "default") answered_(NotificationAnswer::Opened);
}

void DesktopNotifier::NotificationClosed(uint id, uint, const QDBusMessage& message) {
    if (id != 0 && id == shownId_ && message.service() == server_) shownId_ = 0;
}

}  // namespace brellix::platform::qt
