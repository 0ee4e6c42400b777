// The program's one desktop notification: org.freedesktop.Notifications on the session bus, each
// new one in place of the one before. Every call goes without waiting, one at a time; the server's
// capabilities are asked with each notification (a server that restarted may be another one).
#pragma once

#include <QDBusMessage>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "platform/forms.h"
#include "platform/os.h"

class QDBusPendingCallWatcher;

namespace brellix::platform::qt {

// What goes into Notify: the body as the server reads it, the actions it can show.
struct NotifyArguments {
    QString summary;
    QString body;
    QStringList actions;  // key, label, key, label...
    int expireTimeout = -1;
};
NotifyArguments NotifyArgumentsOf(const Notification& notification, const QStringList& capabilities);

class DesktopNotifier : public QObject {
    Q_OBJECT

public:
    void Notify(const Notification& notification);
    void Withdraw();
    // At exit: what is still to be sent or taken back goes out now, each call waited for.
    void Flush();

Q_SIGNALS:
    // The user clicked the notification or chose an action; or it showed without its disarm action.
    void Answered(brellix::platform::NotificationAnswer answer);
    // No server took it: it must be shown another way.
    void NotShown(const brellix::platform::Notification& notification);

private Q_SLOTS:
    // The server's signals (QtDBus connects them by slot name); the message tells who sent them.
    void ActionInvoked(uint id, const QString& key, const QDBusMessage& message);
    void NotificationClosed(uint id, uint reason, const QDBusMessage& message);

private:
    void Next();
    void AskCapabilitiesThenSend();
    void Send(const Notification& notification, const QStringList& capabilities);
    void Close(uint id);
    void Listen();
    // The one call in flight; `answered` runs with its reply, then the next call goes.
    void Call(const QDBusMessage& message, std::function<void(const QDBusMessage&)> answered);

    std::optional<Notification> waiting_;  // the newest, until the calls before it answered
    bool withdrawWaiting_ = false;
    QPointer<QDBusPendingCallWatcher> inFlight_;
    bool listening_ = false;
    uint shownId_ = 0;
    QString server_;  // the unique bus name of the server that showed it
};

}  // namespace brellix::platform::qt
