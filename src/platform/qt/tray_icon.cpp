#include "platform/qt/tray_icon.h"

#include <xcb/xcb.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QGuiApplication>
#include <cstdlib>
#include <cstring>
#include <string>

namespace brellix::platform::qt {

namespace {

constexpr char kWatcherService[] = "org.kde.StatusNotifierWatcher";
constexpr int kWaitForWatcherMs = 1500;
constexpr int kXEmbedPollMs = 1000;

// The X screen the program runs on, from DISPLAY (":0.1" is screen 1).
int ScreenNumber() {
    const char* display = std::getenv("DISPLAY");
    const char* dot = display ? std::strrchr(display, '.') : nullptr;
    const char* colon = display ? std::strrchr(display, ':') : nullptr;
    return dot && colon && dot > colon ? std::atoi(dot + 1) : 0;
}

}  // namespace

TrayEvent TrayEventOf(QSystemTrayIcon::ActivationReason reason, bool statusNotifier) {
    switch (reason) {
        case QSystemTrayIcon::Context: return statusNotifier ? TrayEvent::None : TrayEvent::MenuRequested;
        case QSystemTrayIcon::DoubleClick: return TrayEvent::Activated;
        case QSystemTrayIcon::Trigger: return statusNotifier ? TrayEvent::Activated : TrayEvent::None;
        default: return TrayEvent::None;
    }
}

TrayIcon::TrayIcon(QIcon icon, QMenu* trayMenu, std::function<void(TrayEvent)> notify,
                   std::function<void()> trayAppeared)
    : image_(std::move(icon)),
      trayMenu_(trayMenu),
      notify_(std::move(notify)),
      trayAppeared_(std::move(trayAppeared)),
      watcher_(kWatcherService, QDBusConnection::sessionBus(),
               QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration) {
    connect(&watcher_, &QDBusServiceWatcher::serviceRegistered, this, [this] { OnWatcherRegistered(); });
    connect(&watcher_, &QDBusServiceWatcher::serviceUnregistered, this, [this] { watcherGone_ = true; });
    wait_.setSingleShot(true);
    wait_.setInterval(kWaitForWatcherMs);
    connect(&wait_, &QTimer::timeout, this, [this] { OnWaitOver(); });
    xembedPoll_.setInterval(kXEmbedPollMs);
    connect(&xembedPoll_, &QTimer::timeout, this, [this] { PollXEmbed(); });
}

TrayIcon::~TrayIcon() = default;

// A watcher with a host behind it: Qt makes the same test when it chooses the D-Bus tray.
bool TrayIcon::WatcherPresent() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface() || !bus.interface()->isServiceRegistered(kWatcherService).value()) {
        return false;
    }
    QDBusMessage get = QDBusMessage::createMethodCall(kWatcherService, "/StatusNotifierWatcher",
                                                      "org.freedesktop.DBus.Properties", "Get");
    get << QString("org.kde.StatusNotifierWatcher") << QString("IsStatusNotifierHostRegistered");
    const QDBusMessage reply = bus.call(get, QDBus::Block, 2000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return false;
    return reply.arguments().constFirst().value<QDBusVariant>().variant().toBool();
}

// Asked of the X server directly: Qt's own test would settle its one-time choice against D-Bus.
bool TrayIcon::XEmbedTrayPresent() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection()) return false;
    xcb_connection_t* connection = x11->connection();
    const std::string name = "_NET_SYSTEM_TRAY_S" + std::to_string(ScreenNumber());
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, static_cast<uint16_t>(name.size()), name.c_str()), nullptr);
    if (!atom) return false;
    const xcb_atom_t selection = atom->atom;
    std::free(atom);
    if (selection == XCB_ATOM_NONE) return false;
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr);
    if (!owner) return false;
    const bool present = owner->owner != XCB_WINDOW_NONE;
    std::free(owner);
    return present;
}

void TrayIcon::Create(bool statusNotifier) {
    icon_ = new QSystemTrayIcon(image_, this);
    statusNotifier_ = statusNotifier;
    // A D-Bus tray draws the menu; with XEmbed the program opens its own popup on a right click.
    if (statusNotifier) icon_->setContextMenu(trayMenu_);
    icon_->setToolTip(tip_);
    // Queued: the program's answer (a popup menu, even the exit) runs after the icon's own mouse
    // handling has returned, since hiding the icon deletes the widget that handles it.
    connect(
        icon_, &QSystemTrayIcon::activated, this,
        [this](QSystemTrayIcon::ActivationReason reason) {
            const TrayEvent event = TrayEventOf(reason, statusNotifier_);
            if (event != TrayEvent::None) notify_(event);
        },
        Qt::QueuedConnection);
    connect(icon_, &QSystemTrayIcon::messageClicked, this, [this] {
        if (onMessageClicked) onMessageClicked();
    });
    icon_->show();
}

bool TrayIcon::Add(const QString& tip) {
    wanted_ = true;
    tip_ = tip;
    if (icon_) {
        icon_->setToolTip(tip);
        // Shown anew, a D-Bus icon registers again with a watcher that came back.
        icon_->hide();
        icon_->show();
        // A D-Bus icon is shown by a watcher that came back (OnWatcherRegistered tells when).
        if (statusNotifier_) return !watcherGone_;
        if (XEmbedTrayPresent()) return true;
        xembedPoll_.start();  // Qt docks the icon once a tray appears
        return false;
    }
    if (WatcherPresent()) {
        Create(true);
        return true;
    }
    if (XEmbedTrayPresent()) {
        Create(false);
        return true;
    }
    // No tray yet: a D-Bus tray may still come up at the start of a session.
    if (!wait_.isActive()) wait_.start();
    return false;
}

bool TrayIcon::Remove() {
    wanted_ = false;
    wait_.stop();
    xembedPoll_.stop();
    if (!icon_ || !icon_->isVisible()) return false;
    icon_->hide();
    return true;
}

// Qt keeps an icon "visible" after its tray died: the tray itself is asked.
bool TrayIcon::Present() const {
    if (!icon_ || !icon_->isVisible() || !QSystemTrayIcon::isSystemTrayAvailable()) return false;
    return statusNotifier_ ? !watcherGone_ : XEmbedTrayPresent();
}

// A D-Bus icon's message goes to the notification server, which is what was missing.
bool TrayIcon::ShowMessage(const QString& title, const QString& body) {
    if (statusNotifier_ || !Present()) return false;
    icon_->showMessage(title, body, image_);
    return true;
}

void TrayIcon::OnWatcherRegistered() {
    watcherGone_ = false;
    if (!wanted_ || (icon_ && !statusNotifier_)) return;  // an XEmbed icon cannot move to D-Bus
    wait_.stop();
    trayAppeared_();
}

// Still no D-Bus tray: take XEmbed, which docks by itself once a tray appears.
void TrayIcon::OnWaitOver() {
    if (!wanted_ || icon_) return;
    Create(false);
    xembedPoll_.start();
}

void TrayIcon::PollXEmbed() {
    if (!wanted_ || !icon_ || !XEmbedTrayPresent()) return;
    xembedPoll_.stop();
    trayAppeared_();
}

void TrayIcon::SetTip(const QString& tip) {
    tip_ = tip;
    if (icon_) icon_->setToolTip(tip_);
}

}  // namespace brellix::platform::qt
