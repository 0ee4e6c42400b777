// The program's one desktop notification: org.freedesktop.Notifications on the session bus, each
// new one in place of the one before. Every call goes without waiting; the server's capabilities
// are asked at the first notification, never at start-up.
#pragma once

#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "platform/forms.h"
#include "platform/os.h"

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
    // answered: the user clicked the notification or chose an action; noServer: no server took
    // it, so it must be shown another way.
    DesktopNotifier(std::function<void(NotificationAnswer)> answered,
                    std::function<void(const Notification&)> noServer);

    void Notify(const Notification& notification);
    void Withdraw();
    // At exit: the notification not yet sent goes out now, waiting a moment for the server.
    void Flush();

private Q_SLOTS:
    // The server's signals (QtDBus connects them by slot name); the message tells who sent them.
    void ActionInvoked(uint id, const QString& key, const QDBusMessage& message);
    void NotificationClosed(uint id, uint reason, const QDBusMessage& message);

private:
    void Next();
    void AskCapabilities();
    void Send(const Notification& notification);
    QDBusMessage NotifyCall(const Notification& notification) const;
    void Close(uint id);
    void Listen();

    std::function<void(NotificationAnswer)> answered_;
    std::function<void(const Notification&)> noServer_;
    std::optional<QStringList> capabilities_;  // known once a server answered
    std::optional<Notification> waiting_;      // the newest, until the calls before it answered
    bool withdrawWaiting_ = false;
    bool busy_ = false;  // a call whose answer the next one needs (the capabilities, the new id)
    bool listening_ = false;
    uint shownId_ = 0;
    QString server_;  // the unique bus name of the server that showed it
};

}  // namespace brellix::platform::qt
