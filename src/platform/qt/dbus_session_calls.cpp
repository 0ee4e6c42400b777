#include "platform/qt/dbus_session_calls.h"

#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariant>

namespace brellix::platform::qt {

namespace {

// A desktop session manager's log-out call that shows no dialog.
struct SessionManagerLogout {
    const char* service;
    const char* path;
    const char* interface;
    const char* method;
    QVariantList arguments;
};

QList<SessionManagerLogout> KnownSessionManagers() {
    return {
        // Logout(mode): 1 = no confirmation dialog.
        {"org.gnome.SessionManager", "/org/gnome/SessionManager", "org.gnome.SessionManager", "Logout",
         {QVariant::fromValue(1u)}},
        {"org.kde.Shutdown", "/Shutdown", "org.kde.Shutdown", "logout", {}},
        // logout(confirm, type, mode): no confirmation, log out only, the default mode.
        {"org.kde.ksmserver", "/KSMServer", "org.kde.KSMServerInterface", "logout", {0, 0, -1}},
        // Logout(show_dialog, allow_save).
        {"org.xfce.SessionManager", "/org/xfce/SessionManager", "org.xfce.Session.Manager", "Logout",
         {false, true}},
    };
}

QDBusMessage NoBus(const QDBusConnection& bus) {
    return QDBusMessage::createError("no bus: " + bus.lastError().name(), bus.lastError().message());
}

}  // namespace

QDBusMessage LogindManagerCall(const char* method) {
    return QDBusMessage::createMethodCall(kLogindService, kLogindPath, kLogindManager, method);
}

BusAnswer AnswerOf(const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ReplyMessage) {
        return BusAnswer::Error((reply.errorName() + ": " + reply.errorMessage()).toStdString());
    }
    if (reply.arguments().isEmpty()) return BusAnswer::Value({});
    const QVariant first = reply.arguments().constFirst();
    if (first.userType() == qMetaTypeId<QDBusObjectPath>()) {
        return BusAnswer::Value(first.value<QDBusObjectPath>().path().toStdString());
    }
    return BusAnswer::Value(first.toString().toStdString());
}

void DbusSessionEndCalls::Send(const QDBusConnection& bus, const QDBusMessage& message,
                               std::function<void(const QDBusMessage&)> replied) {
    if (!bus.isConnected()) return replied(NoBus(bus));
    if (waiting_ == Waiting::Block) return replied(bus.call(message, QDBus::Block));
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(message), &pending_);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, &pending_,
                     [watcher, replied = std::move(replied)] {
                         watcher->deleteLater();
                         replied(watcher->reply());
                     });
}

void DbusSessionEndCalls::Call(const QDBusConnection& bus, const QDBusMessage& message, Answered answered) {
    Send(bus, message, [answered = std::move(answered)](const QDBusMessage& reply) { answered(AnswerOf(reply)); });
}

void DbusSessionEndCalls::NonInteractive(const char* method, Answered answered) {
    QDBusMessage message = LogindManagerCall(method);
    message << false;
    Call(QDBusConnection::systemBus(), message, std::move(answered));
}

void DbusSessionEndCalls::Query(const char* method, Answered answered) {
    Call(QDBusConnection::systemBus(), LogindManagerCall(method), std::move(answered));
}

void DbusSessionEndCalls::PowerOff(Answered answered) { NonInteractive("PowerOff", std::move(answered)); }
void DbusSessionEndCalls::Reboot(Answered answered) { NonInteractive("Reboot", std::move(answered)); }
void DbusSessionEndCalls::Halt(Answered answered) { NonInteractive("Halt", std::move(answered)); }
void DbusSessionEndCalls::CanPowerOff(Answered answered) { Query("CanPowerOff", std::move(answered)); }
void DbusSessionEndCalls::CanReboot(Answered answered) { Query("CanReboot", std::move(answered)); }
void DbusSessionEndCalls::CanHalt(Answered answered) { Query("CanHalt", std::move(answered)); }

void DbusSessionEndCalls::GetSessionByPID(std::uint32_t pid, Answered answered) {
    QDBusMessage message = LogindManagerCall("GetSessionByPID");
    message << static_cast<uint>(pid);
    Call(QDBusConnection::systemBus(), message, std::move(answered));
}

void DbusSessionEndCalls::TerminateSession(const std::string& sessionPath, Answered answered) {
    const QDBusMessage message = QDBusMessage::createMethodCall(
        kLogindService, QString::fromStdString(sessionPath), "org.freedesktop.login1.Session", "Terminate");
    Call(QDBusConnection::systemBus(), message, std::move(answered));
}

// The names on the session bus first, then the first known session manager among them.
void DbusSessionEndCalls::LogOutThroughSessionManager(Answered answered) {
    const QDBusConnection session = QDBusConnection::sessionBus();
    if (!session.isConnected()) return answered(BusAnswer::Error("no session bus"));
    const QDBusMessage listNames = QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                                  "org.freedesktop.DBus", "ListNames");
    Send(session, listNames, [this, session, answered = std::move(answered)](const QDBusMessage& reply) {
        const QStringList names =
            reply.arguments().isEmpty() ? QStringList() : reply.arguments().constFirst().toStringList();
        for (const SessionManagerLogout& manager : KnownSessionManagers()) {
            if (!names.contains(manager.service)) continue;
            QDBusMessage message =
                QDBusMessage::createMethodCall(manager.service, manager.path, manager.interface, manager.method);
            message.setArguments(manager.arguments);
            return Call(session, message, answered);
        }
        answered(BusAnswer::Error("no session manager on the session bus"));
    });
}

}  // namespace brellix::platform::qt
