// The forms runtime over Qt Widgets: one fixed-size window built from the form's description,
// raising the same events in the same order as the other backends.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QIcon>
#include <QMenu>
#include <QTimer>
#include <map>
#include <memory>
#include <vector>

#include "platform/forms.h"
#include "platform/qt/check_list.h"
#include "platform/qt/session_end.h"
#include "platform/qt/tray_icon.h"

class QAction;
class QComboBox;
class QLabel;
class QPushButton;

namespace brellix::platform::qt {

// The top-level window: a dialog, so the toolkit's dialog keys work (Enter clicks the default
// button, Esc the cancel button), with the close box and Esc routed to the runtime.
class FormWindow : public QDialog {
public:
    std::function<void()> onCloseRequested;
    std::function<void()> onCancelKey;

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
};

class QtForms : public Forms {
public:
    // The application object is made on Load (a start that only ends the session needs no
    // display), unless one exists already.
    QtForms(int& argc, char** argv);
    ~QtForms() override;

    void Load(const FormSpec& spec, FormEvents& events) override;
    void Unload() override;
    bool IsLoaded() const override { return loaded_; }
    std::optional<std::wstring> WhyNoWindowCanShow() const override;
    int RunMessageLoop() override;
    void DoEvents() override;

    std::wstring Caption() const override;
    void SetCaption(std::wstring_view caption) override;
    bool Visible() const override;
    void Show() override;
    void Hide() override;
    WindowState GetWindowState() const override;
    void SetWindowState(WindowState state) override;
    float Left() const override;
    float Top() const override;
    void SetLeft(float twips) override;
    void SetTop(float twips) override;
    ScreenRect WindowRect() const override;
    float TwipsPerPixel() const override { return kTwipsPerLogicalPixel; }
    WindowHandle Handle() const override { return window_.get(); }
    void PopupMenu(int menuId) override;

    std::wstring ControlCaption(int id) const override;
    void SetControlCaption(int id, std::wstring_view caption) override;
    bool Enabled(int id) const override;
    void SetEnabled(int id, bool enabled) override;
    bool Checked(int id) const override;
    void SetChecked(int id, bool checked) override;
    void AddItem(int id, std::wstring_view text) override;
    int ListCount(int id) const override;
    std::wstring List(int id, int item) const override;
    int ListIndex(int id) const override;
    void SetListIndex(int id, int item) override;
    bool Selected(int id, int item) const override;
    void SetSelected(int id, int item, bool checked) override;
    std::wstring Text(int id) const override;
    bool SetText(int id, std::wstring_view text) override;
    int FocusedControl() const override;
    void SetFocus(int id) override;

    // --- For the operating-system side and tests ---
    TrayIcon* Tray() const { return tray_.get(); }
    QWidget* Widget(int id) const;  // null for timers, menus and unknown ids
    QAction* MenuAction(int id) const;
    QMenu* Popup() const { return popup_.get(); }
    FormWindow* MainWidget() const { return window_.get(); }
    // Called on Load once the application object exists, before OnLoad.
    void SetOnApplicationReady(std::function<void()> ready) { applicationReady_ = std::move(ready); }
    // The system's later answers, raised on the UI thread while the window is loaded.
    void RaiseSessionEndAnswered(const SessionEndResult& result);
    void RaiseSessionEndOutlook(SessionEndRequest request, SessionEndOutlook outlook);
    void RaiseObstaclesKnown(SessionEndRequest request, const Obstacles& obstacles);
    void RaiseNotificationAnswered(NotificationAnswer answer);
    void RaiseWakeRequested();

    // Qt's logical pixels are 96-DPI pixels; the device pixel ratio scales the whole window.
    static constexpr float kTwipsPerLogicalPixel = 15.0f;

private:
    struct Control {
        ControlSpec spec;
        QWidget* widget = nullptr;      // owned by the window
        QAction* action = nullptr;      // menu items, owned by the window
        std::unique_ptr<QTimer> timer;  // timers
        bool enabled = true;
    };

    void EnsureApplication();
    static void InstallAccessibleFactories();
    void CreateWindow(const FormSpec& spec);
    void CreateControl(Control& control, const FormSpec& form);
    void CreateMenus();
    void SetTabOrderAndBuddies();
    void CloseRequested(CloseReason reason);
    void RaiseTrayEvent(TrayEvent event);
    void EndSession();
    void QuitMessageLoop();
    void RaiseClick(int id);
    void ApplyPendingMinimize();
    WindowState ToolkitState() const;
    void RaiseItemCheck(int id, int item);
    void ConnectCheckList(int id, CheckList* list);

    Control* Find(int id);
    const Control* Find(int id) const;
    CheckList* CheckListOf(int id) const;
    QComboBox* ComboOf(int id) const;

    int& argc_;
    char** argv_;
    std::unique_ptr<QApplication> application_;  // first made, last gone
    FormEvents* events_ = nullptr;
    bool loaded_ = false;
    bool inMessageLoop_ = false;
    QIcon icon_;
    std::map<int, Control> controls_;
    std::vector<int> order_;                 // ids in creation order
    std::unique_ptr<FormWindow> window_;
    std::unique_ptr<QMenu> popup_;           // shown by PopupMenu
    std::unique_ptr<QMenu> trayMenu_;        // drawn by a D-Bus tray; the same actions
    std::unique_ptr<TrayIcon> tray_;
    std::unique_ptr<SessionEndWatch> sessionEnd_;
    std::function<void()> applicationReady_;
    float left_ = 0, top_ = 0;               // twips, as last set
    WindowState hiddenState_ = WindowState::Normal;  // the state a hidden window shows in
    bool minimizePending_ = false;                    // asked for, not yet handed to the window manager
};

}  // namespace brellix::platform::qt
