#include "platform/qt/qt_forms.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <algorithm>

#include "platform/form_geometry.h"
#include "platform/qt/display_reach.h"
#include "platform/qt/picker_accessibility.h"
#include "platform/qt/x11_window_state.h"

namespace brellix::platform::qt {

namespace {

constexpr int kLayoutDpi = 96;

QString QtText(std::wstring_view text) { return QString::fromStdWString(std::wstring(text)); }

// The design's faces are Windows fonts: Chinese comes from an installed CJK family instead.
void SubstituteWindowsFonts() {
    const QStringList cjk = {"WenQuanYi Micro Hei", "Noto Sans CJK SC", "Noto Sans SC", "Source Han Sans SC",
                             "AR PL UMing CN", "DejaVu Sans"};
    for (const char* face : {"宋体", "SimSun", "Tahoma"}) QFont::insertSubstitutions(QString::fromUtf8(face), cjk);
}

// Sized in pixels at 96 DPI, as the layout is; Qt scales both alike.
QFont FontOf(const FontSpec& spec) {
    QFont font(QtText(spec.face));
    font.setPixelSize(FontPixelHeight(spec.points, kLayoutDpi));
    return font;
}

QColor ColorOf(std::uint32_t bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

// A label that reports a click, as the window's labels do.
class ClickLabel : public QLabel {
public:
    using QLabel::QLabel;
    std::function<void()> onClick;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        QLabel::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && onClick) onClick();
    }
};

// "选项(&O):" read by a screen reader as "选项".
QString AccessibleNameOf(QString caption) {
    caption.remove(QRegularExpression("\\(&.\\)")).remove('&').remove(':');
    return caption.trimmed();
}

Qt::WindowState QtStateOf(WindowState state) {
    switch (state) {
        case WindowState::Minimized: return Qt::WindowMinimized;
        case WindowState::Maximized: return Qt::WindowMaximized;
        case WindowState::Normal: break;
    }
    return Qt::WindowNoState;
}

bool TakesFocus(ControlType type) {
    return type == ControlType::CommandButton || type == ControlType::CheckListBox ||
           type == ControlType::DropDownList;
}

}  // namespace

void FormWindow::closeEvent(QCloseEvent* event) {
    // The runtime decides; the toolkit never closes the window by itself.
    event->ignore();
    if (onCloseRequested) onCloseRequested();
}

void FormWindow::reject() {
    if (onCancelKey) onCancelKey();
}

QtForms::QtForms(int& argc, char** argv) : argc_(argc), argv_(argv) {}

QtForms::~QtForms() {
    // Widgets and the tray go before the application object.
    sessionEnd_.reset();
    tray_.reset();
    trayMenu_.reset();
    popup_.reset();
    window_.reset();
}

// The application object made without a display ends the process with an abort.
std::optional<std::wstring> QtForms::WhyNoWindowCanShow() const {
    if (QCoreApplication::instance() || DisplayPlatform()) return std::nullopt;
    return QString::fromStdString(NoDisplayReason()).toStdWString();
}

void QtForms::EnsureApplication() {
    if (QCoreApplication::instance()) return;
    // The display that answers, X11 first: keeping on top and placing the window need it, so
    // XWayland is preferred where both exist.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        if (const auto platform = DisplayPlatform()) qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(*platform));
    }
    application_ = std::make_unique<QApplication>(argc_, argv_);
    QApplication::setApplicationName("Brellix");
    QApplication::setDesktopFileName("brellix");
    // The tray keeps the program alive with its window hidden.
    QApplication::setQuitOnLastWindowClosed(false);
}

// Qt keeps accessibility factories for the whole process: installed once, before the first window.
void QtForms::InstallAccessibleFactories() {
    static const bool installed = [] {
        QAccessible::installFactory(CheckListAccessible);
        QAccessible::installFactory(PickerAccessibleFor);
        return true;
    }();
    (void)installed;
}

void QtForms::Load(const FormSpec& spec, FormEvents& events) {
    EnsureApplication();
    SubstituteWindowsFonts();
    InstallAccessibleFactories();
    events_ = &events;
    icon_ = QIcon(":/brellix/brellix.ico");
    CreateWindow(spec);
    CreateMenus();
    SetTabOrderAndBuddies();
    tray_ = std::make_unique<TrayIcon>(
        icon_, trayMenu_.get(), [this](TrayEvent event) { RaiseTrayEvent(event); },
        [this] { if (loaded_) events_->OnTrayCameBack(); });
    sessionEnd_ = std::make_unique<SessionEndWatch>([this] { EndSession(); }, [this] { QuitMessageLoop(); });
    QObject::connect(sessionEnd_.get(), &SessionEndWatch::Resumed, sessionEnd_.get(), [this] {
        if (loaded_) events_->OnSystemResumed();
    });
    if (applicationReady_) applicationReady_();
    loaded_ = true;
    events.OnLoad();
}

void QtForms::CreateWindow(const FormSpec& spec) {
    window_ = std::make_unique<FormWindow>();
    window_->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                            Qt::WindowCloseButtonHint);
    window_->setWindowTitle(QtText(spec.caption));
    window_->setWindowIcon(icon_);
    window_->setFont(FontOf(spec.font));
    const FormGeometry geometry = LayoutForm(spec, kLayoutDpi);
    window_->setFixedSize(geometry.clientWidth, geometry.clientHeight);
    window_->onCloseRequested = [this] { CloseRequested(CloseReason::CloseBox); };
    window_->onCancelKey = [this] {
        for (const int id : order_) {
            const Control& control = controls_.at(id);
            if (control.spec.isCancel && control.widget && control.widget->isEnabled()) {
                static_cast<QPushButton*>(control.widget)->click();
                return;
            }
        }
    };
    controls_.clear();
    order_.clear();
    for (const ControlSpec& controlSpec : spec.controls) {
        Control& control = controls_[controlSpec.id];
        control.spec = controlSpec;
        control.enabled = controlSpec.enabled;
        order_.push_back(controlSpec.id);
        CreateControl(control, spec);
        if (const ControlPlacement* place = geometry.Find(controlSpec.id); place && control.widget) {
            control.widget->setGeometry(place->rect.left, place->rect.top, place->rect.Width(), place->rect.Height());
            if (controlSpec.autoSize) control.widget->adjustSize();
        }
    }
    // The first control made lies on top, as in the window's design: the force-mode list covers the label
    // that sits under it.
    for (auto it = order_.rbegin(); it != order_.rend(); ++it) {
        if (QWidget* widget = controls_.at(*it).widget) widget->raise();
    }
}

void QtForms::CreateControl(Control& control, const FormSpec& form) {
    const ControlSpec& spec = control.spec;
    const int id = spec.id;
    QWidget* widget = nullptr;
    switch (spec.type) {
        case ControlType::Timer: {
            control.timer = std::make_unique<QTimer>();
            control.timer->setInterval(spec.interval);
            QObject::connect(control.timer.get(), &QTimer::timeout, [this, id] {
                if (loaded_) events_->OnTimer(id);
            });
            if (spec.enabled) control.timer->start();
            return;
        }
        case ControlType::CommandButton: {
            auto* button = new QPushButton(QtText(spec.caption), window_.get());
            button->setAutoDefault(true);
            button->setDefault(spec.isDefault);
            QObject::connect(button, &QPushButton::clicked, [this, id] { RaiseClick(id); });
            widget = button;
            break;
        }
        case ControlType::CheckListBox: {
            const int rowHeight = CheckListRowHeight(spec.font.value_or(form.font).points, kLayoutDpi);
            auto* list = new CheckList(rowHeight, window_.get());
            ConnectCheckList(id, list);
            widget = list;
            break;
        }
        case ControlType::DropDownList: {
            auto* combo = new QComboBox(window_.get());
            combo->setEditable(false);
            // activated: a user's choice, also of the item already chosen; never a change from code.
            QObject::connect(combo, &QComboBox::activated, [this, id](int) { RaiseClick(id); });
            widget = combo;
            break;
        }
        case ControlType::Label: {
            auto* label = new ClickLabel(QtText(spec.caption), window_.get());
            label->setTextFormat(Qt::PlainText);
            label->onClick = [this, id] { RaiseClick(id); };
            if (spec.textColor) {
                QPalette palette = label->palette();
                palette.setColor(QPalette::WindowText, ColorOf(*spec.textColor));
                label->setPalette(palette);
            }
            if (!spec.toolTip.empty()) label->setToolTip(QtText(spec.toolTip));
            widget = label;
            break;
        }
        case ControlType::Menu:
        case ControlType::MenuItem:
        case ControlType::MenuSeparator:
            return;  // made by CreateMenus
    }
    widget->setObjectName(QtText(spec.name));
    if (spec.font) widget->setFont(FontOf(*spec.font));
    widget->setEnabled(spec.enabled);
    widget->setVisible(spec.visible);
    control.widget = widget;
}

void QtForms::ConnectCheckList(int id, CheckList* list) {
    list->onUserToggled = [this, id, list](int item) {
        list->SetCurrent(item);
        RaiseItemCheck(id, item);
        RaiseClick(id);
    };
    list->onUserClickedRow = [this, id, list](int item) {
        list->SetCurrent(item);
        RaiseClick(id);
    };
    list->onSpace = [this, id](int item) { RaiseItemCheck(id, item); };
    list->onArrowMoved = [this, id](int) { RaiseClick(id); };
}

void QtForms::CreateMenus() {
    popup_ = std::make_unique<QMenu>();
    trayMenu_ = std::make_unique<QMenu>();
    // A D-Bus tray asks for the menu's states as it opens it: the program sets them then.
    QObject::connect(trayMenu_.get(), &QMenu::aboutToShow, [this] {
        for (const int id : order_) {
            if (controls_.at(id).spec.type == ControlType::Menu) return RaiseClick(id);
        }
    });
    for (const int id : order_) {
        Control& control = controls_.at(id);
        if (control.spec.type == ControlType::MenuSeparator) {
            popup_->addSeparator();
            trayMenu_->addSeparator();
        } else if (control.spec.type == ControlType::MenuItem) {
            control.action = new QAction(QtText(control.spec.caption), popup_.get());
            control.action->setEnabled(control.enabled);
            QObject::connect(control.action, &QAction::triggered, [this, id] { RaiseClick(id); });
            popup_->addAction(control.action);
            trayMenu_->addAction(control.action);
        }
    }
}

// Tab order by tabIndex; a label's access key goes to the control after it in that order.
void QtForms::SetTabOrderAndBuddies() {
    std::vector<const Control*> ordered;
    for (const auto& [id, control] : controls_) {
        if (control.widget && control.spec.tabIndex >= 0) ordered.push_back(&control);
    }
    std::sort(ordered.begin(), ordered.end(),
              [](const Control* a, const Control* b) { return a->spec.tabIndex < b->spec.tabIndex; });
    QWidget* previous = nullptr;
    for (std::size_t i = 0; i < ordered.size(); ++i) {
        const Control* control = ordered[i];
        if (TakesFocus(control->spec.type)) {
            if (previous) QWidget::setTabOrder(previous, control->widget);
            // The window opens with the focus on the first control in tab order, as on Windows
            // (a dialog would otherwise give it to its default button).
            if (!previous) control->widget->setFocus();
            previous = control->widget;
            continue;
        }
        control->widget->setFocusPolicy(Qt::NoFocus);
        auto* label = static_cast<QLabel*>(control->widget);
        for (std::size_t j = i + 1; j < ordered.size(); ++j) {
            if (!TakesFocus(ordered[j]->spec.type)) continue;
            label->setTextFormat(Qt::AutoText);
            label->setBuddy(ordered[j]->widget);
            ordered[j]->widget->setAccessibleName(AccessibleNameOf(label->text()));
            break;
        }
    }
}

void QtForms::RaiseClick(int id) {
    if (loaded_) events_->OnClick(id);
}

void QtForms::RaiseItemCheck(int id, int item) {
    if (loaded_) events_->OnItemCheck(id, item);
}

void QtForms::CloseRequested(CloseReason reason) {
    if (!loaded_) return;
    if (events_->OnCloseRequested(reason)) return;
    events_->OnUnload();
    loaded_ = false;
    window_->hide();
    for (auto& [id, control] : controls_) {
        if (control.timer) control.timer->stop();
    }
    QuitMessageLoop();
}

// Only a running loop is told to end: Qt remembers an exit asked for before the loop started and
// would end every later loop (a popup menu's among them) at once.
void QtForms::QuitMessageLoop() {
    if (inMessageLoop_) QCoreApplication::exit(0);
}

void QtForms::EndSession() {
    if (loaded_) events_->OnEndSession();
}

void QtForms::Unload() { CloseRequested(CloseReason::Program); }

void QtForms::RaiseTrayEvent(TrayEvent event) {
    if (!loaded_) return;
    if (event == TrayEvent::Activated) events_->OnTrayActivated();
    if (event == TrayEvent::MenuRequested) events_->OnTrayMenuRequested();
}

int QtForms::RunMessageLoop() {
    if (!loaded_) return 0;
    inMessageLoop_ = true;
    const int exitCode = QCoreApplication::exec();
    inMessageLoop_ = false;
    return exitCode;
}

void QtForms::DoEvents() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

std::wstring QtForms::Caption() const { return window_ ? window_->windowTitle().toStdWString() : std::wstring(); }

void QtForms::SetCaption(std::wstring_view caption) {
    if (window_) window_->setWindowTitle(QtText(caption));
}

bool QtForms::Visible() const { return window_ && window_->isVisible(); }

// A hidden window keeps the state it will show in; showing it applies that state, so a window
// minimised, hidden and set back to normal comes back normal whatever the window manager did,
// and on top when it asks to be.
void QtForms::Show() {
    if (!loaded_ || Visible()) return;
    window_->setWindowState(QtStateOf(hiddenState_));
    window_->show();
    if (window_->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) AskToStayOnTop(*window_);
    window_->raise();
    window_->activateWindow();
}

void QtForms::Hide() {
    if (!Visible()) return;
    hiddenState_ = GetWindowState();
    minimizePending_ = false;
    window_->hide();
}

WindowState QtForms::GetWindowState() const {
    if (!Visible()) return hiddenState_;
    return minimizePending_ ? WindowState::Minimized : ToolkitState();
}

// What the toolkit was last told or learnt from the window manager.
WindowState QtForms::ToolkitState() const {
    const Qt::WindowStates state = window_->windowState();
    if (state & Qt::WindowMinimized) return WindowState::Minimized;
    if (state & Qt::WindowMaximized) return WindowState::Maximized;
    return WindowState::Normal;
}

// A minimise reaches the window manager only once the event being handled is done, and not at
// all when the window is hidden meanwhile: some window managers act on it after the window has
// gone, and keep the window iconified when it is shown again.
void QtForms::SetWindowState(WindowState state) {
    if (!Visible()) {
        hiddenState_ = state;
        return;
    }
    minimizePending_ = state == WindowState::Minimized;
    if (minimizePending_) {
        QTimer::singleShot(0, window_.get(), [this] { ApplyPendingMinimize(); });
        return;
    }
    if (state != ToolkitState()) window_->setWindowState(QtStateOf(state));
}

void QtForms::ApplyPendingMinimize() {
    if (!minimizePending_ || !Visible()) return;
    minimizePending_ = false;
    window_->setWindowState(Qt::WindowMinimized);
}

namespace {

// A Wayland client is never told where its window is (Qt answers with its decorations' margins):
// there the position last set stands, so the stored one is written back as it was read.
bool PositionKnown() { return !QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

}  // namespace

// The frame's top-left corner; a window never moved since the last set keeps the exact value.
float QtForms::Left() const {
    if (!window_ || !PositionKnown()) return left_;
    const int pixels = window_->frameGeometry().left();
    return static_cast<int>(left_ / kTwipsPerLogicalPixel) == pixels ? left_ : pixels * kTwipsPerLogicalPixel;
}

float QtForms::Top() const {
    if (!window_ || !PositionKnown()) return top_;
    const int pixels = window_->frameGeometry().top();
    return static_cast<int>(top_ / kTwipsPerLogicalPixel) == pixels ? top_ : pixels * kTwipsPerLogicalPixel;
}

void QtForms::SetLeft(float twips) {
    left_ = twips;
    if (window_) window_->move(static_cast<int>(twips / kTwipsPerLogicalPixel), window_->frameGeometry().top());
}

void QtForms::SetTop(float twips) {
    top_ = twips;
    if (window_) window_->move(window_->frameGeometry().left(), static_cast<int>(twips / kTwipsPerLogicalPixel));
}

ScreenRect QtForms::WindowRect() const {
    if (!window_) return {};
    const QRect frame = window_->frameGeometry();
    return ScreenRect{frame.left(), frame.top(), frame.right() + 1, frame.bottom() + 1};
}

// Blocks until the menu has closed; a chosen item's Click has run by then.
void QtForms::PopupMenu(int menuId) {
    if (!loaded_ || !popup_) return;
    RaiseClick(menuId);
    popup_->exec(QCursor::pos());
}

void QtForms::RaiseSessionEndAnswered(const SessionEndResult& result) {
    if (loaded_) events_->OnSessionEndAnswered(result);
}

void QtForms::RaiseSessionEndOutlook(SessionEndRequest request, SessionEndOutlook outlook) {
    if (loaded_) events_->OnSessionEndOutlook(request, outlook);
}

void QtForms::RaiseObstaclesKnown(SessionEndRequest request, const Obstacles& obstacles) {
    if (loaded_) events_->OnObstaclesKnown(request, obstacles);
}

void QtForms::RaiseNotificationAnswered(NotificationAnswer answer) {
    if (loaded_) events_->OnNotificationAnswered(answer);
}

void QtForms::RaiseWakeRequested() {
    if (loaded_) events_->OnWakeRequested();
}

QtForms::Control* QtForms::Find(int id) {
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : &it->second;
}

const QtForms::Control* QtForms::Find(int id) const {
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : &it->second;
}

QWidget* QtForms::Widget(int id) const {
    const Control* control = Find(id);
    return control ? control->widget : nullptr;
}

QAction* QtForms::MenuAction(int id) const {
    const Control* control = Find(id);
    return control ? control->action : nullptr;
}

CheckList* QtForms::CheckListOf(int id) const {
    const Control* control = Find(id);
    return control && control->spec.type == ControlType::CheckListBox ? static_cast<CheckList*>(control->widget)
                                                                      : nullptr;
}

QComboBox* QtForms::ComboOf(int id) const {
    const Control* control = Find(id);
    return control && control->spec.type == ControlType::DropDownList ? static_cast<QComboBox*>(control->widget)
                                                                      : nullptr;
}
}  // namespace brellix::platform::qt
