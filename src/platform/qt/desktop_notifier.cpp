#include "platform/qt/desktop_notifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>
#include <utility>

namespace brellix::platform::qt {

namespace {

constexpr char kService[] = "org.freedesktop.Notifications";
constexpr char kPath[] = "/org/freedesktop/Notifications";
constexpr char kInterface[] = "org.freedesktop.Notifications";
// A server that takes longer is as good as none: the notification is shown another way.
constexpr int kCallPatienceMs = 5000;

QDBusMessage NotificationsCall(const char* method) {
    return QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
}

QString Qt(const std::wstring& text) { return QString::fromStdWString(text); }

// Text from the system must read as text where the server takes markup.
QString Escaped(QString text) {
    return text.replace('&', "&amp;").replace('<', "&lt;").replace('>', "&gt;");
}

bool IsAnswer(const QDBusMessage& reply) {
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty();
}

}  // namespace

NotifyArguments NotifyArgumentsOf(const Notification& notification, const QStringList& capabilities) {
    NotifyArguments arguments;
    arguments.summary = Qt(notification.title);
    arguments.body = capabilities.contains("body-markup") ? Escaped(Qt(notification.body)) : Qt(notification.body);
    if (capabilities.contains("actions")) {
        // "default": a click on the notification itself.
        arguments.actions = {"default", QString::fromUtf8("显示")};
        if (notification.offersDisarm && notification.snoozeMinutes > 0) {
            arguments.actions << "snooze" << QString::fromUtf8("推迟 %1 分钟").arg(notification.snoozeMinutes);
        }
        if (notification.offersDisarm) arguments.actions << "disarm" << QString::fromUtf8("取消");
    }
    // A warning that offers to disarm stays until it is answered or taken back.
    arguments.expireTimeout = notification.offersDisarm ? 0 : -1;
    return arguments;
}

void DesktopNotifier::Notify(const Notification& notification) {
    waiting_ = notification;
    Next();
}

void DesktopNotifier::Withdraw() {
    waiting_.reset();
    withdrawWaiting_ = true;
    Next();
}

// One call at a time, since the next needs its answer: the id to replace or close, the server's
// capabilities. Only the newest notification waits; an older one never shows.
void DesktopNotifier::Next() {
    if (inFlight_) return;
    if (withdrawWaiting_) {
        withdrawWaiting_ = false;
        if (shownId_ != 0) return Close(std::exchange(shownId_, 0));
    }
    if (waiting_) AskCapabilitiesThenSend();
}

void DesktopNotifier::Call(const QDBusMessage& message, std::function<void(const QDBusMessage&)> answered) {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return answered(QDBusMessage::createError("org.freedesktop.DBus.Error.Disconnected", "no session bus"));
    }
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(message, kCallPatienceMs), this);
    inFlight_ = watcher;
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, answered = std::move(answered)] {
        watcher->deleteLater();
        if (inFlight_ == watcher) inFlight_ = nullptr;
        answered(watcher->reply());
        Next();
    });
}

void DesktopNotifier::AskCapabilitiesThenSend() {
    Listen();
    Call(NotificationsCall("GetCapabilities"), [this](const QDBusMessage& reply) {
        if (!waiting_) return;  // taken back meanwhile
        const Notification notification = *std::exchange(waiting_, std::nullopt);
        if (!IsAnswer(reply)) return Q_EMIT NotShown(notification);
        Send(notification, reply.arguments().constFirst().toStringList());
    });
}

void DesktopNotifier::Send(const Notification& notification, const QStringList& capabilities) {
    const NotifyArguments arguments = NotifyArgumentsOf(notification, capabilities);
    QDBusMessage call = NotificationsCall("Notify");
    QVariantMap hints;
    hints.insert("desktop-entry", QString("brellix"));
    // replaces_id: the program's earlier notification, if the server still shows it.
    call << QString("Brellix") << shownId_ << QString("brellix") << arguments.summary << arguments.body
         << arguments.actions << hints << arguments.expireTimeout;
    const bool disarmShown = arguments.actions.contains("disarm");
    Call(call, [this, notification, disarmShown](const QDBusMessage& reply) {
        if (!IsAnswer(reply)) {
            // The server went away: this one is shown another way, unless a newer one follows.
            shownId_ = 0;
            if (!waiting_) Q_EMIT NotShown(notification);
            return;
        }
        shownId_ = reply.arguments().constFirst().toUInt();
        server_ = reply.service();
        if (notification.offersDisarm && !disarmShown) Q_EMIT Answered(NotificationAnswer::ShownWithoutDisarm);
    });
}

// Each call's answer is handled as it comes, so the calls it leads to go out too.
void DesktopNotifier::Flush() {
    while (inFlight_) inFlight_->waitForFinished();
}

void DesktopNotifier::Close(uint id) {
    QDBusMessage call = NotificationsCall("CloseNotification");
    call << id;
    Call(call, [](const QDBusMessage&) {});
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
    if (key == "disarm") Q_EMIT Answered(NotificationAnswer::Disarm);
    else if (key == "snooze") Q_EMIT Answered(NotificationAnswer::Snooze);
    else if (key == "default") Q_EMIT Answered(NotificationAnswer::Opened);
}

void DesktopNotifier::NotificationClosed(uint id, uint, const QDBusMessage& message) {
    if (id != 0 && id == shownId_ && message.service() == server_) shownId_ = 0;
}

}  // namespace brellix::platform::qt
