#include "platform/win32/win32_forms.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <climits>
#include <cwctype>
#include <utility>
#include <vector>

#include "platform/form_geometry.h"
#include "platform/win32/button.h"
#include "platform/win32/check_list.h"
#include "platform/win32/dpi.h"
#include "platform/win32/label.h"
#include "platform/win32/menu.h"
#include "platform/win32/picker.h"

namespace brellix::platform::win32 {

namespace {

// A form without visual styles has no theme: its check boxes are drawn the classic way.
UniqueTheme OpenButtonTheme(HWND window) {
    const HTHEME theme = ::OpenThemeData(window, L"Button");
    return theme ? UniqueTheme(theme) : UniqueTheme();
}

// Tab order first; what takes no part in it after, in the order of the description.
int TabRank(const ControlSpec& control) { return control.tabIndex < 0 ? INT_MAX : control.tabIndex; }

// The caption's access key, upper case ("退出(&E)" -> 'E'); 0 when it has none.
wchar_t AccessKeyOf(std::wstring_view caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != L'&') continue;
        if (caption[i + 1] != L'&') return static_cast<wchar_t>(std::towupper(caption[i + 1]));
        ++i;  // "&&" is a plain ampersand
    }
    return 0;
}

bool TakesFocus(ControlType type) {
    return type == ControlType::CommandButton || type == ControlType::CheckListBox || type == ControlType::DropDownList;
}

}  // namespace

Win32Forms::Win32Forms(HINSTANCE instance) : instance_(instance) {}

Win32Forms::~Win32Forms() {
    // Destroyed without events: the program has gone already.
    events_ = nullptr;
    loaded_ = false;
    window_.reset();
    WithdrawQuit();
}

// ---------------------------------------------------------------------------------------------
// Building the window

void Win32Forms::Load(const FormSpec& spec, FormEvents& events) {
    if (Window()) return;
    WithdrawQuit();  // the end of an earlier window of this form must not end the new one's loop

    // The classes of the controls this window uses; asking again is harmless.
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&classes);
    spec_ = spec;
    events_ = &events;
    controls_.clear();
    defaultButton_ = cancelButton_ = 0;
    for (const ControlSpec& control : spec_.controls) {
        Control state;
        state.spec = control;
        state.caption = control.caption;
        state.timerEnabled = control.type == ControlType::Timer && control.enabled;
        if (control.isDefault) defaultButton_ = control.id;
        if (control.isCancel) cancelButton_ = control.id;
        controls_.emplace(control.id, std::move(state));
    }
    RegisterWindowClass();
    taskbarCreatedMessage_ = ::RegisterWindowMessageW(L"TaskbarCreated");
    wakeMessage_ = ::RegisterWindowMessageW(kWakeMessageName);
    const std::wstring windowClass(spec_.windowClass);
    ::CreateWindowExW(kFormExStyle, windowClass.c_str(), spec_.caption.c_str(), kFormStyle, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance_, this);
    if (!Window()) return;
    dpi_ = DpiForWindow(Window());
    const FormGeometry geometry = LayoutForm(spec_, dpi_);
    CreateMenus();
    CreateControls(geometry);
    CreateToolTips();
    buttonTheme_ = OpenButtonTheme(Window());
    LoadIcons();
    Layout(geometry);
    KeepDialogScalingOff(Window());
    // The dialog manager's default button, which Enter clicks wherever the focus is not on a button.
    if (defaultButton_) ::SendMessageW(Window(), DM_SETDEFID, static_cast<WPARAM>(defaultButton_), 0);
    loaded_ = true;
    hiddenState_ = WindowState::Normal;
    for (auto& [id, control] : controls_) StartOrStopTimer(control);
    // The window is hidden while it loads: lists filled now need not redraw after every item.
    SetListsRedraw(false);
    events.OnLoad();
    SetListsRedraw(true);
}

void Win32Forms::SetListsRedraw(bool redraw) {
    for (auto& [id, control] : controls_) {
        const ControlType type = control.spec.type;
        const bool isList = type == ControlType::DropDownList || type == ControlType::CheckListBox;
        // Turning redrawing on may also set a window's visible style: a hidden list stays as it is.
        if (!control.window || !isList || !control.spec.visible) continue;
        ::SendMessageW(control.window, WM_SETREDRAW, redraw ? TRUE : FALSE, 0);
        if (redraw) ::InvalidateRect(control.window, nullptr, TRUE);
    }
}

void Win32Forms::RegisterWindowClass() const {
    const std::wstring name(spec_.windowClass);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (::GetClassInfoExW(instance_, name.c_str(), &existing)) return;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    // A dialog class: its window procedure passes what it does not handle to DefDlgProc, which
    // keeps the dialog's state in these bytes.
    windowClass.cbWndExtra = DLGWINDOWEXTRA;
    windowClass.hInstance = instance_;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = name.c_str();
    if (spec_.iconResourceId) {
        // Shared icons belong to the system: the class keeps them for as long as it exists.
        const auto resource = MAKEINTRESOURCEW(spec_.iconResourceId);
        windowClass.hIcon = static_cast<HICON>(
            ::LoadImageW(instance_, resource, IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
        windowClass.hIconSm = static_cast<HICON>(
            ::LoadImageW(instance_, resource, IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                         ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    }
    ::RegisterClassExW(&windowClass);
}

void Win32Forms::CreateMenus() {
    for (auto& [id, control] : controls_) {
        if (control.spec.type == ControlType::Menu) control.menu.reset(::CreatePopupMenu());
    }
    // Items in the order of the description, which is the order they are shown in.
    for (const ControlSpec& item : spec_.controls) {
        if (item.type != ControlType::MenuItem && item.type != ControlType::MenuSeparator) continue;
        const Control* parent = Find(item.parentMenu);
        if (!parent || !parent->menu) continue;
        if (item.type == ControlType::MenuSeparator) {
            menu::AppendSeparator(parent->menu.get(), item.id);
        } else {
            menu::AppendItem(parent->menu.get(), item.id, item.caption, item.enabled);
        }
    }
}

void Win32Forms::CreateControls(const FormGeometry& geometry) {
    // Created in tab order, so that the z-order is the tab order and each label stands right
    // before the control it captions: the dialog manager and screen readers both read it so.
    std::vector<const ControlSpec*> order;
    for (const ControlSpec& control : spec_.controls) {
        if (HasPlaceOnForm(control.type)) order.push_back(&control);
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const ControlSpec* a, const ControlSpec* b) { return TabRank(*a) < TabRank(*b); });

    ControlType previous = ControlType::Timer;
    for (const ControlSpec* spec : order) {
        const wchar_t* windowClass = label::kClass;
        // Clipped against the siblings above them, so that a label's window region is what
        // decides how much of it a control it overlaps lets through.
        DWORD style = WS_CHILD | WS_CLIPSIBLINGS, exStyle = 0;
        switch (spec->type) {
            case ControlType::CommandButton:
                windowClass = button::kClass;
                style |= button::Style(spec->isDefault);
                break;
            case ControlType::Label:
                windowClass = label::kClass;
                style |= label::Style(spec->autoSize);
                break;
            case ControlType::DropDownList:
                windowClass = picker::kClass;
                style |= picker::kStyle;
                break;
            case ControlType::CheckListBox:
                windowClass = check_list::kClass;
                style |= WS_TABSTOP | check_list::kStyle;
                exStyle = check_list::kExStyle;
                break;
            default:
                continue;
        }
        // Each control starts a group but for buttons stacked together: arrows move among them.
        const bool buttonAfterButton =
            spec->type == ControlType::CommandButton && previous == ControlType::CommandButton;
        if (!buttonAfterButton) style |= WS_GROUP;
        if (spec->visible) style |= WS_VISIBLE;
        if (!spec->enabled) style |= WS_DISABLED;
        previous = spec->type;

        // Born where they belong and in their font: moving and re-measuring a control afterwards
        // costs as much again as creating it.
        const ControlPlacement* placement = geometry.Find(spec->id);
        const PixelRect rect = placement ? placement->rect : PixelRect{};
        const HWND child = ::CreateWindowExW(exStyle, windowClass, spec->caption.c_str(), style, rect.left, rect.top,
                                             rect.Width(), rect.Height(), Window(),
                                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec->id)), instance_,
                                             nullptr);
        Control& control = controls_.at(spec->id);
        control.window = child;
        if (!child) continue;
        ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(FontSpecOf(control))), FALSE);
        if (spec->type == ControlType::CheckListBox) {
            ::SetWindowSubclass(child, CheckListProc, static_cast<UINT_PTR>(spec->id),
                                reinterpret_cast<DWORD_PTR>(this));
        }
    }
}

void Win32Forms::CreateToolTips() {
    for (auto& [id, control] : controls_) {
        if (!control.spec.toolTip.empty() && control.window) {
            label::AddToolTip(toolTip_, Window(), control.window, control.spec.toolTip, instance_);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// The window procedure and the message loop

LRESULT CALLBACK Win32Forms::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Win32Forms*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        self = static_cast<Win32Forms*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_.reset(window);
    }
    if (!self) return ::DefDlgProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_.release();
        return ::DefDlgProcW(window, message, wParam, lParam);  // frees the dialog's state
    }
    return self->HandleMessage(window, message, wParam, lParam);
}

LRESULT Win32Forms::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Registered and private numbers cannot be case labels.
    if (message == kTrayCallbackMessage) {
        OnTrayCallback(LOWORD(lParam));
        return 0;
    }
    if (message == taskbarCreatedMessage_ && taskbarCreatedMessage_ != 0) {
        if (loaded_) events_->OnTrayCameBack();
        return 0;
    }
    if (message == wakeMessage_ && wakeMessage_ != 0) {
        if (loaded_ && wParam == kWakeRequest && lParam == 0) events_->OnWakeRequested();
        return 0;
    }
    switch (message) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_TIMER:
            OnTimer(wParam);
            return 0;
        case WM_CTLCOLORSTATIC: {
            const Control* control = FindByWindow(reinterpret_cast<HWND>(lParam));
            return label::Colours(reinterpret_cast<HDC>(wParam), control ? control->spec.textColor : std::nullopt);
        }
        case WM_CTLCOLORDLG:
            return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));  // the class's background
        case WM_MEASUREITEM:
            return OnMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        case WM_DRAWITEM:
            return OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        case WM_SYSCOMMAND:
            return OnSysCommand(window, wParam, lParam);
        case WM_CLOSE:
            OnClose();
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;  // the session may end; the program is told when it does
        case WM_ENDSESSION:
            if (wParam && loaded_) OnEndSession(lParam);
            return 0;
        case WM_POWERBROADCAST:
            if (wParam == PBT_APMRESUMEAUTOMATIC && loaded_) events_->OnSystemResumed();
            return TRUE;
        case WM_DPICHANGED:
            OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_GETDPISCALEDSIZE:
            return OnGetDpiScaledSize(static_cast<int>(wParam), *reinterpret_cast<SIZE*>(lParam));
        case WM_THEMECHANGED:
            buttonTheme_ = OpenButtonTheme(window);
            break;
        case WM_DESTROY:
            OnDestroy();
            return 0;
    }
    // The dialog manager: the focus kept across deactivation and hiding, WM_NEXTDLGCTL, the
    // default button (DM_SETDEFID, DM_GETDEFID).
    return ::DefDlgProcW(window, message, wParam, lParam);
}

void Win32Forms::Dispatch(MSG& message) {
    const HWND window = Window();
    if (window) FollowFocus();
    // The dialog manager: Tab, arrows between buttons, access keys, Enter and Esc. It looks for
    // an access key from the focused control on, in tab order, so where two controls share one
    // the first of them after the focus acts.
    if (window && message.message == WM_SYSCHAR && MoveFocusForSharedAccessKey(static_cast<wchar_t>(message.wParam))) {
        return;
    }
    if (!window || !::IsDialogMessageW(window, &message)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

// The dialog manager clicks a button its access key reaches, even where another control has the
// same key (执行(E) and 退出(E)): a repeated Alt+E would end the program. A shared key only moves
// the focus, to the next of its controls after the focus in tab order, as it does for lists.
bool Win32Forms::MoveFocusForSharedAccessKey(wchar_t typed) {
    const wchar_t key = static_cast<wchar_t>(std::towupper(typed));
    // What a control with the key leads to: itself, or for a label the next control in tab order
    // that takes the focus; nothing when that one cannot take it now.
    const auto target = [this](const Control& control) -> const Control* {
        const Control* found = &control;
        if (control.spec.type == ControlType::Label) {
            found = nullptr;
            for (const auto& [id, other] : controls_) {
                if (TakesFocus(other.spec.type) && other.spec.tabIndex > control.spec.tabIndex &&
                    (!found || other.spec.tabIndex < found->spec.tabIndex)) {
                    found = &other;
                }
            }
        }
        const bool reachable = found && TakesFocus(found->spec.type) && found->window &&
                               ::IsWindowEnabled(found->window) && ::IsWindowVisible(found->window);
        return reachable ? found : nullptr;
    };
    const Control* focused = Find(FocusedControl());
    const int focusedRank = focused ? focused->spec.tabIndex : -1;
    const Control* first = nullptr;  // the first of them in tab order
    const Control* next = nullptr;   // the first after the focus
    int count = 0;
    for (const auto& [id, control] : controls_) {
        if (control.spec.tabIndex < 0 || AccessKeyOf(ControlCaption(id)) != key) continue;
        const Control* reached = target(control);
        if (!reached) continue;
        ++count;
        const int rank = reached->spec.tabIndex;
        if (!first || rank < first->spec.tabIndex) first = reached;
        if (rank > focusedRank && (!next || rank < next->spec.tabIndex)) next = reached;
    }
    if (count < 2) return false;
    SetFocus((next ? next : first)->spec.id);
    return true;
}

// The dialog manager moves the default button with the focus only where it moves the focus itself
// (Tab, access keys, WM_NEXTDLGCTL); Enter clicks a focused button only if it is the default one.
// Focus that arrived another way (a mouse click on a button or a list, SetFocus from code, the
// dialog's own restore onto a control disabled while the window was hidden) is handed to it here,
// before the next key reaches it.
void Win32Forms::FollowFocus() {
    const HWND focus = ::GetFocus();
    if (focus == seenFocus_) return;
    seenFocus_ = focus;
    if (!focus || !::IsChild(Window(), focus)) return;
    if (::IsWindowEnabled(focus)) {
        ::SendMessageW(Window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focus), TRUE);
    } else {
        ::SendMessageW(Window(), WM_NEXTDLGCTL, 0, FALSE);  // on to the next control in tab order
    }
    seenFocus_ = ::GetFocus();
}

int Win32Forms::RunMessageLoop() {
    // The window's end posts the quit message, however it was destroyed: a click, a key, or a
    // message sent from another process. A menu's own loop running at that moment may take the
    // quit message for itself, so the window's end is also checked after every message.
    MSG message{};
    while (Window()) {
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got == -1) break;
        if (got == 0) {
            quitPosted_ = false;
            return static_cast<int>(message.wParam);
        }
        Dispatch(message);
    }
    WithdrawQuit();
    return 0;
}

void Win32Forms::WithdrawQuit() {
    if (!std::exchange(quitPosted_, false)) return;
    MSG quit{};
    ::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

void Win32Forms::DoEvents() {
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(message.wParam));  // for the loop that owns it
            break;
        }
        Dispatch(message);
    }
}

// ---------------------------------------------------------------------------------------------
// Messages

void Win32Forms::OnCommand(int id, int code, HWND controlWindow) {
    const Control* control = FindByWindow(controlWindow);
    // The dialog manager sends Esc as IDCANCEL and Enter as IDOK, naming the control that holds
    // that id: when it is not a button, the key is all there is.
    const bool notAButton = !control || control->spec.type != ControlType::CommandButton;
    if (button::IsClick(code) && notAButton && (id == IDCANCEL || id == IDOK)) {
        ClickButton(id == IDCANCEL ? cancelButton_ : defaultButton_);
        return;
    }
    if (!control) return;
    switch (control->spec.type) {
        case ControlType::CommandButton:
            if (button::IsClick(code)) ClickButton(control->spec.id);
            break;
        case ControlType::Label:
            if (label::IsClick(code)) RaiseClick(control->spec.id);
            break;
        case ControlType::DropDownList:
            if (picker::IsChoice(code)) RaiseClick(control->spec.id);
            break;
        case ControlType::CheckListBox:
            // Moves the window makes itself never notify; this is a move by another way in (typing
            // the start of a row's text, an accessibility tool).
            if (code == LBN_SELCHANGE) RaiseClick(control->spec.id);
            break;
        default:
            break;
    }
}

void Win32Forms::OnTimer(UINT_PTR id) {
    const Control* timer = Find(static_cast<int>(id));
    if (loaded_ && timer && timer->spec.type == ControlType::Timer && timer->timerEnabled) {
        events_->OnTimer(timer->spec.id);
    }
}

LRESULT Win32Forms::OnSysCommand(HWND window, WPARAM command, LPARAM lParam) {
    // The close box, the system menu and Alt+F4 all come this way; a bare WM_CLOSE comes from
    // another program.
    if ((command & 0xFFF0) != SC_CLOSE) return ::DefDlgProcW(window, WM_SYSCOMMAND, command, lParam);
    closeFromControlMenu_ = true;
    const LRESULT result = ::DefDlgProcW(window, WM_SYSCOMMAND, command, lParam);
    closeFromControlMenu_ = false;
    return result;
}

void Win32Forms::OnClose() {
    RequestUnload(closeFromControlMenu_ ? CloseReason::CloseBox : CloseReason::OtherProgram);
}

// An installer's restart manager asks the program to close while the session goes on: the end a
// user's Exit makes, which the program cannot turn into hiding, or it would run on unseen.
void Win32Forms::OnEndSession(LPARAM reason) {
    if (reason & ENDSESSION_CLOSEAPP) {
        FinishUnload();
    } else {
        events_->OnEndSession();
    }
}

void Win32Forms::OnDestroy() {
    const HWND window = Window();
    for (auto& [id, control] : controls_) {
        if (control.spec.type == ControlType::Timer && window) ::KillTimer(window, static_cast<UINT_PTR>(id));
        control.window = nullptr;
    }
    toolTip_ = nullptr;
    seenFocus_ = nullptr;
    loaded_ = false;
    // The form is the program's main window: its end ends the message loop. A form destroyed
    // with its owner (events_ already gone) has no loop left to end.
    if (events_) {
        ::PostQuitMessage(0);
        quitPosted_ = true;
    }
}

// ---------------------------------------------------------------------------------------------
// Acting and raising events

void Win32Forms::Unload() { RequestUnload(CloseReason::Program); }

// The icon's mouse messages, as the shell reports them without a version set: a right click asks
// for the menu, a double click shows the window, a click on the icon's balloon opens what it told.
void Win32Forms::OnTrayCallback(UINT mouseMessage) {
    if (!loaded_) return;
    if (mouseMessage == WM_RBUTTONDOWN) events_->OnTrayMenuRequested();
    if (mouseMessage == WM_LBUTTONDBLCLK) events_->OnTrayActivated();
    if (mouseMessage == NIN_BALLOONUSERCLICK) events_->OnNotificationAnswered(NotificationAnswer::Opened);
}

void Win32Forms::RequestUnload(CloseReason reason) {
    if (!loaded_ || unloading_) return;
    if (events_->OnCloseRequested(reason)) return;
    FinishUnload();
}

void Win32Forms::FinishUnload() {
    unloading_ = true;
    events_->OnUnload();
    loaded_ = false;
    window_.reset();
    unloading_ = false;
}

void Win32Forms::ClickButton(int id) {
    const Control* button = Find(id);
    if (!loaded_ || !button || !button->window || !::IsWindowEnabled(button->window)) return;
    RaiseClick(id);
}

void Win32Forms::RaiseClick(int id) {
    if (loaded_) events_->OnClick(id);
}

void Win32Forms::RaiseItemCheck(int id, int item) {
    if (loaded_) events_->OnItemCheck(id, item);
}

void Win32Forms::StartOrStopTimer(Control& timer) {
    if (timer.spec.type != ControlType::Timer || !Window()) return;
    const auto id = static_cast<UINT_PTR>(timer.spec.id);
    if (timer.timerEnabled && loaded_ && timer.spec.interval > 0) {
        ::SetTimer(Window(), id, static_cast<UINT>(timer.spec.interval), nullptr);
    } else {
        ::KillTimer(Window(), id);
    }
}

void Win32Forms::PopupMenu(int menuId) {
    if (!loaded_) return;
    RaiseClick(menuId);
    const HMENU menu = MenuHandle(menuId);
    const HWND window = Window();
    if (!menu || !window) return;
    const int chosen = menu::Track(menu, window);
    const Control* item = Find(chosen);
    if (chosen > 0 && item && item->spec.type == ControlType::MenuItem && Enabled(chosen)) RaiseClick(chosen);
}

}  // namespace brellix::platform::win32
