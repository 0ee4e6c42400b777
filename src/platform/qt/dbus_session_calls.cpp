#include "platform/qt/dbus_session_calls.h"

#include <QDBusConnectionInterface>
#include <QDBusObjectPath>
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

BusAnswer DbusSessionEndCalls::Call(const QDBusConnection& bus, const QDBusMessage& message) {
    if (!bus.isConnected()) {
        return BusAnswer::Error(("no bus: " + bus.lastError().name() + ": " + bus.lastError().message()).toStdString());
    }
    return AnswerOf(bus.call(message, QDBus::Block));
}

BusAnswer DbusSessionEndCalls::NonInteractive(const char* method) {
    QDBusMessage message = LogindManagerCall(method);
    message << false;
    return Call(QDBusConnection::systemBus(), message);
}

BusAnswer DbusSessionEndCalls::PowerOff() { return NonInteractive("PowerOff"); }
BusAnswer DbusSessionEndCalls::Reboot() { return NonInteractive("Reboot"); }
BusAnswer DbusSessionEndCalls::Halt() { return NonInteractive("Halt"); }

BusAnswer DbusSessionEndCalls::CanHalt() { return Call(QDBusConnection::systemBus(), LogindManagerCall("CanHalt")); }

BusAnswer DbusSessionEndCalls::GetSessionByPID(std::uint32_t pid) {
    QDBusMessage message = LogindManagerCall("GetSessionByPID");
    message << static_cast<uint>(pid);
    return Call(QDBusConnection::systemBus(), message);
}

BusAnswer DbusSessionEndCalls::TerminateSession(const std::string& sessionPath) {
    const QDBusMessage message = QDBusMessage::createMethodCall(
        kLogindService, QString::fromStdString(sessionPath), "org.freedesktop.login1.Session", "Terminate");
    return Call(QDBusConnection::systemBus(), message);
}

BusAnswer DbusSessionEndCalls::LogOutThroughSessionManager() {
    const QDBusConnection session = QDBusConnection::sessionBus();
    if (!session.isConnected() || !session.interface()) return BusAnswer::Error("no session bus");
    for (const SessionManagerLogout& manager : KnownSessionManagers()) {
        if (!session.interface()->isServiceRegistered(manager.service).value()) continue;
        QDBusMessage message =
            QDBusMessage::createMethodCall(manager.service, manager.path, manager.interface, manager.method);
        message.setArguments(manager.arguments);
        return Call(session, message);
    }
    return BusAnswer::Error("no session manager on the session bus");
}

}  // namespace brellix::platform::qt
