// The notification-area icon on a Linux desktop: a StatusNotifierItem when a watcher is on the
// session bus, else Qt's XEmbed icon. Qt decides once per process whether the D-Bus tray exists,
// so the icon is created only once a watcher is there, or after a short wait without one.
#pragma once

#include <QDBusServiceWatcher>
#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdint>
#include <functional>

namespace brellix::platform::qt {

enum class TrayEvent { None, Activated, MenuRequested };

// What an activation of the icon asks for. A D-Bus tray draws the menu itself and knows no double
// click: its activation shows the window.
TrayEvent TrayEventOf(QSystemTrayIcon::ActivationReason reason, bool statusNotifier);

class TrayIcon : public QObject {
public:
    // trayMenu: the menu a D-Bus tray shows; notify: the program's tray callback; trayAppeared:
    // a tray came up later (the program adds its icon again).
    TrayIcon(QIcon icon, QMenu* trayMenu, std::function<void(TrayEvent)> notify,
             std::function<void()> trayAppeared);
    ~TrayIcon() override;

    // True when the icon is in a tray now; false leaves the program without a way back to a
    // hidden window, so it must not hide it.
    bool Add(const QString& tip);
    bool Remove();
    // True while a tray shows the icon: the tray may have gone away since it was added.
    bool Present() const;
    // A message from an XEmbed icon (false for a D-Bus one); a click on it calls onMessageClicked.
    bool ShowMessage(const QString& title, const QString& body);
    void SetTip(const QString& tip);
    std::function<void()> onMessageClicked;

    static bool WatcherPresent();
    static bool XEmbedTrayPresent();

private:
    void Create(bool statusNotifier);
    void OnWatcherRegistered();
    void OnWaitOver();
    void PollXEmbed();

    QIcon image_;
    QMenu* trayMenu_;
    std::function<void(TrayEvent)> notify_;
    std::function<void()> trayAppeared_;
    QSystemTrayIcon* icon_ = nullptr;  // a child of this object, made once, hidden when removed
    bool statusNotifier_ = false;
    bool watcherGone_ = false;  // the D-Bus tray's watcher left the bus after the icon was made
    bool wanted_ = false;
    QString tip_;
    QDBusServiceWatcher watcher_;
    QTimer wait_;       // how long an icon waits for a D-Bus tray before taking XEmbed
    QTimer xembedPoll_;  // an XEmbed icon waiting for a tray to dock into
};

}  // namespace brellix::platform::qt
