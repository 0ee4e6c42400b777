#include "platform/win32/win32_forms.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>

#include "platform/form_geometry.h"
#include "platform/win32/check_list.h"
#include "platform/win32/check_list_accessible.h"
#include "platform/win32/dpi.h"
#include "platform/win32/item_text.h"

namespace brellix::platform::win32 {

namespace {

// The list that drops down from a picker shows this many rows before it scrolls.
constexpr int kPickerVisibleRows = 8;

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// --- Drop-down list combo boxes ---

int ComboCount(HWND combo) { return static_cast<int>(::SendMessageW(combo, CB_GETCOUNT, 0, 0)); }

// CB_GETCURSEL: CB_ERR (-1) when nothing is chosen.
int ComboCurrent(HWND combo) { return static_cast<int>(::SendMessageW(combo, CB_GETCURSEL, 0, 0)); }

// CB_SETCURSEL never notifies the parent; -1 clears the choice.
void SetComboCurrent(HWND combo, int item) { ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(item), 0); }

std::wstring ComboText(HWND combo, int item) { return ItemText(combo, CB_GETLBTEXTLEN, CB_GETLBTEXT, item); }

// A child window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND child) {
    RECT rect{};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Moves a child window unless it is there already: even a move to the same place costs a round of
// messages through the window manager.
void PlaceChild(HWND child, const RECT& rect) {
    const RECT now = RectInParent(child);
    if (::EqualRect(&now, &rect)) return;
    ::SetWindowPos(child, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

// A form without visual styles has no theme: its check boxes are drawn the classic way.
UniqueTheme OpenButtonTheme(HWND window) {
    const HTHEME theme = ::OpenThemeData(window, L"Button");
    return theme ? UniqueTheme(theme) : UniqueTheme();
}

// Tab order first; what takes no part in it after, in the order of the description.
int TabRank(const ControlSpec& control) { return control.tabIndex < 0 ? INT_MAX : control.tabIndex; }

}  // namespace

Win32Forms::Win32Forms(HINSTANCE instance) : instance_(instance) {}

Win32Forms::~Win32Forms() {
    // Destroyed without events: the program has gone already.
    events_ = nullptr;
    loaded_ = false;
    window_.reset();
}

// ---------------------------------------------------------------------------------------------
// Building the window

void Win32Forms::Load(const FormSpec& spec, FormEvents& events) {
    if (Window()) return;
    const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
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
    loaded_ = true;
    hiddenState_ = WindowState::Normal;
    for (auto& [id, control] : controls_) StartOrStopTimer(control);
    // The window is hidden while it loads: lists filled now need not redraw after every item.
    SetListsRedraw(false);
    events.Form_Load();
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
            ::AppendMenuW(parent->menu.get(), MF_SEPARATOR, static_cast<UINT_PTR>(item.id), nullptr);
        } else {
            ::AppendMenuW(parent->menu.get(), MF_STRING | (item.enabled ? MF_ENABLED : MF_GRAYED),
                          static_cast<UINT_PTR>(item.id), item.caption.c_str());
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
        const wchar_t* windowClass = L"STATIC";
        // Clipped against the siblings above them, so that a label's window region is what
        // decides how much of it a control it overlaps lets through.
        DWORD style = WS_CHILD | WS_CLIPSIBLINGS, exStyle = 0;
        switch (spec->type) {
            case ControlType::CommandButton:
                windowClass = WC_BUTTONW;
                style |= WS_TABSTOP | (spec->isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
                break;
            case ControlType::Label:
                // SS_NOTIFY: labels report clicks, and the tooltip sees the pointer over them.
                windowClass = WC_STATICW;
                style |= SS_NOTIFY | (spec->autoSize ? SS_LEFTNOWORDWRAP : SS_LEFT);
                break;
            case ControlType::DropDownList:
                windowClass = WC_COMBOBOXW;
                style |= WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
                break;
            case ControlType::CheckListBox:
                windowClass = WC_LISTBOXW;
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
        if (control.spec.toolTip.empty() || !control.window) continue;
        if (!toolTip_) {
            toolTip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Window(),
                                         nullptr, instance_, nullptr);
            if (!toolTip_) return;
        }
        std::wstring text(control.spec.toolTip);
        TOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;  // understood by every version of the common controls
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = Window();
        tool.uId = reinterpret_cast<UINT_PTR>(control.window);
        tool.lpszText = text.data();
        ::SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

const FontSpec& Win32Forms::FontSpecOf(const Control& control) const {
    return control.spec.font ? *control.spec.font : spec_.font;
}

HFONT Win32Forms::FontFor(const FontSpec& spec) {
    for (const Font& font : fonts_) {
        if (font.spec.face == spec.face && font.spec.points == spec.points && font.spec.charset == spec.charset) {
            return static_cast<HFONT>(font.handle.get());
        }
    }
    const std::wstring face(spec.face);
    const HFONT handle = ::CreateFontW(-FontPixelHeight(spec.points, dpi_), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                       static_cast<DWORD>(spec.charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                       DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str());
    if (!handle) return nullptr;
    fonts_.push_back(Font{spec, UniqueGdiObject(handle)});
    return handle;
}

void Win32Forms::ApplyFonts() {
    // The old fonts stay alive until every control has let go of them.
    std::vector<Font> previous = std::exchange(fonts_, {});
    for (auto& [id, control] : controls_) {
        if (control.window) {
            ::SendMessageW(control.window, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(FontSpecOf(control))), TRUE);
        }
    }
}

void Win32Forms::LoadIcons() {
    if (!spec_.iconResourceId) return;
    const auto resource = MAKEINTRESOURCEW(spec_.iconResourceId);
    const auto load = [&](int widthMetric, int heightMetric) {
        const auto icon = static_cast<HICON>(::LoadImageW(instance_, resource, IMAGE_ICON,
                                                          SystemMetricForDpi(widthMetric, dpi_),
                                                          SystemMetricForDpi(heightMetric, dpi_), LR_DEFAULTCOLOR));
        if (icon) icons_.emplace_back(icon);
        return icon;
    };
    const HICON small = load(SM_CXSMICON, SM_CYSMICON);
    const HICON big = load(SM_CXICON, SM_CYICON);
    if (small) {
        smallIcon_ = small;
        ::SendMessageW(Window(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    }
    if (big) ::SendMessageW(Window(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
}

void Win32Forms::Layout(const FormGeometry& geometry) {
    for (const ControlPlacement& placement : geometry.controls) {
        Control* control = Find(placement.id);
        if (!control || !control->window) continue;
        const PixelRect& r = placement.rect;
        switch (control->spec.type) {
            case ControlType::DropDownList:
                PlaceComboBox(control->window, r);
                continue;
            case ControlType::Label:
                PlaceLabel(*control, RECT{r.left, r.top, r.right, r.bottom});
                continue;
            case ControlType::CheckListBox:
                check_list::SetRowHeight(control->window, placement.rowHeight);
                break;
            default:
                break;
        }
        PlaceChild(control->window, RECT{r.left, r.top, r.right, r.bottom});
    }
    ClipLabelsUnderControls();
    SizeToClient(geometry.clientWidth, geometry.clientHeight);
}

// A closed drop-down list is as tall as its selection field makes it: set the field so that the
// box is as tall as designed, whatever the font and the frame add. Each change of the field resizes
// the box, so pickers alike in font and height start from the field the previous one ended with.
void Win32Forms::PlaceComboBox(HWND combo, const PixelRect& rect) {
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(combo, WM_GETFONT, 0, 0));
    const bool alike = pickerField_.font == font && pickerField_.dpi == dpi_ && pickerField_.boxHeight == rect.Height();
    if (alike) ::SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), pickerField_.field);
    ::SendMessageW(combo, CB_SETMINVISIBLE, kPickerVisibleRows, 0);
    const auto rowHeight = static_cast<int>(::SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0));
    ::SetWindowPos(combo, nullptr, rect.left, rect.top, rect.Width(),
                   rect.Height() + kPickerVisibleRows * rowHeight + 2, SWP_NOZORDER | SWP_NOACTIVATE);
    // Corrected from what was set, not from what the box reports back: some versions report the
    // field two pixels taller than they were told.
    auto field = alike ? pickerField_.field
                       : static_cast<int>(::SendMessageW(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    for (int attempt = 0; attempt < 3; ++attempt) {
        RECT now{};
        ::GetWindowRect(combo, &now);
        const int missing = rect.Height() - static_cast<int>(now.bottom - now.top);
        if (missing == 0 || field + missing < 1) break;
        field += missing;
        ::SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
    }
    pickerField_ = PickerField{font, dpi_, rect.Height(), field};
}

void Win32Forms::PlaceLabel(Control& label, const RECT& design) {
    RECT rect = design;
    if (label.spec.autoSize) {
        // An auto-sized label is as large as its caption in its font, from the designed corner.
        const HDC dc = ::GetDC(label.window);
        const auto font = reinterpret_cast<HGDIOBJ>(::SendMessageW(label.window, WM_GETFONT, 0, 0));
        const HGDIOBJ old = font ? ::SelectObject(dc, font) : nullptr;
        const std::wstring text = WindowText(label.window);
        RECT extent{};
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &extent, DT_CALCRECT | DT_SINGLELINE);
        if (old) ::SelectObject(dc, old);
        ::ReleaseDC(label.window, dc);
        rect.right = rect.left + extent.right;
        rect.bottom = rect.top + extent.bottom;
    }
    PlaceChild(label.window, rect);
}

void Win32Forms::ClipLabelsUnderControls() {
    // Labels belong to the form's surface: a control with a window of its own that overlaps one
    // hides that part of it, whatever their order for the keyboard.
    for (auto& [id, label] : controls_) {
        if (label.spec.type != ControlType::Label || !label.window) continue;
        const RECT own = RectInParent(label.window);
        UniqueGdiObject region(::CreateRectRgn(0, 0, own.right - own.left, own.bottom - own.top));
        bool covered = false;
        for (const auto& [otherId, other] : controls_) {
            if (other.spec.type == ControlType::Label || !other.window || !other.spec.visible) continue;
            RECT overlap{};
            const RECT rect = RectInParent(other.window);
            if (!::IntersectRect(&overlap, &own, &rect)) continue;
            ::OffsetRect(&overlap, -own.left, -own.top);
            UniqueGdiObject part(::CreateRectRgnIndirect(&overlap));
            ::CombineRgn(static_cast<HRGN>(region.get()), static_cast<HRGN>(region.get()),
                         static_cast<HRGN>(part.get()), RGN_DIFF);
            covered = true;
        }
        if (!covered) {
            ::SetWindowRgn(label.window, nullptr, TRUE);
        } else if (::SetWindowRgn(label.window, static_cast<HRGN>(region.get()), TRUE)) {
            region.release();  // the window owns it now
        }
    }
}

void Win32Forms::SizeToClient(int width, int height) {
    const HWND window = Window();
    RECT rect{0, 0, width, height};
    AdjustWindowRectForDpi(rect, kFormStyle, kFormExStyle, dpi_);
    ::SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (::IsIconic(window)) return;
    // Where the frame is not what the system predicts (a caption that wraps, another theme),
    // measure it and correct once.
    RECT client{}, outer{};
    ::GetClientRect(window, &client);
    if (client.right == width && client.bottom == height) return;
    ::GetWindowRect(window, &outer);
    ::SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left + width - client.right,
                   outer.bottom - outer.top + height - client.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---------------------------------------------------------------------------------------------
// The window procedure

LRESULT CALLBACK Win32Forms::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Win32Forms*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        self = static_cast<Win32Forms*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_.reset(window);
    }
    if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_.release();
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    return self->AtTheEdge([&] { return self->HandleMessage(window, message, wParam, lParam); });
}

LRESULT Win32Forms::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Registered and private numbers cannot be case labels.
    if (message == kTrayCallbackMessage) {
        if (loaded_) events_->OnTrayNotify(LOWORD(lParam));
        return 0;
    }
    if (message == taskbarCreatedMessage_ && taskbarCreatedMessage_ != 0) {
        if (loaded_) events_->OnTaskbarCreated();
        return 0;
    }
    switch (message) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_TIMER:
            OnTimer(wParam);
            return 0;
        case WM_CTLCOLORSTATIC:
            return OnCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
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
            if (wParam && loaded_) events_->OnEndSession();
            return 0;
        case WM_ACTIVATE:
            OnActivate(LOWORD(wParam));
            return 0;
        case WM_SETFOCUS:
            RestoreFocus();
            return 0;
        case WM_NEXTDLGCTL:
            OnNextDlgCtl(wParam, lParam);
            return 0;
        case DM_GETDEFID:
            return defaultButton_ ? MAKELRESULT(defaultButton_, DC_HASDEFID) : 0;
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
    return ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK Win32Forms::CheckListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                           DWORD_PTR self) {
    LRESULT object = 0;
    if (message == WM_GETOBJECT && check_list_accessible::AnswerGetObject(list, wParam, lParam, object)) return object;
    if (message == WM_NCDESTROY) {
        check_list_accessible::Disconnect(list);
        ::RemoveWindowSubclass(list, CheckListProc, id);
    }
    if (!check_list::IsInputMessage(message, wParam)) return ::DefSubclassProc(list, message, wParam, lParam);
    auto* forms = reinterpret_cast<Win32Forms*>(self);
    return forms->AtTheEdge([&]() -> LRESULT {
        forms->OnCheckListInput(static_cast<int>(id), list, message, wParam, lParam);
        return 0;
    });
}

void Win32Forms::RethrowPending() {
    if (pendingException_) std::rethrow_exception(std::exchange(pendingException_, nullptr));
}

void Win32Forms::Dispatch(MSG& message) {
    const HWND window = Window();
    if (window) SyncDefaultButton();
    // The dialog manager: Tab, arrows between buttons, access keys, Enter and Esc. It looks for
    // an access key from the focused control on, in tab order, so where two controls share one
    // the first of them after the focus acts.
    if (!window || !::IsDialogMessageW(window, &message)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    RethrowPending();
}

int Win32Forms::RunMessageLoop() {
    MSG message{};
    while (loaded_) {
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(message.wParam);
        if (got == -1) break;
        Dispatch(message);
    }
    return 0;
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
    if (code == BN_CLICKED && notAButton && (id == IDCANCEL || id == IDOK)) {
        ClickButton(id == IDCANCEL ? cancelButton_ : defaultButton_);
        return;
    }
    if (!control) return;
    switch (control->spec.type) {
        case ControlType::CommandButton:
            if (code == BN_CLICKED) ClickButton(control->spec.id);
            break;
        case ControlType::Label:
            if (code == STN_CLICKED) RaiseClick(control->spec.id);
            break;
        case ControlType::DropDownList:
            if (code == CBN_SELCHANGE) RaiseClick(control->spec.id);
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

LRESULT Win32Forms::OnCtlColorStatic(HDC dc, HWND controlWindow) {
    // Labels are drawn on the form's own background, in their own colour where they have one.
    const Control* control = FindByWindow(controlWindow);
    if (control && control->spec.textColor) ::SetTextColor(dc, static_cast<COLORREF>(*control->spec.textColor));
    ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
    ::SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT Win32Forms::OnMeasureItem(MEASUREITEMSTRUCT& item) {
    // Sent while the list is being created, before it has a font or a place.
    const Control* control = Find(static_cast<int>(item.CtlID));
    if (item.CtlType != ODT_LISTBOX || !control || control->spec.type != ControlType::CheckListBox) return FALSE;
    item.itemHeight = static_cast<UINT>(CheckListRowHeight(FontSpecOf(*control).points, dpi_));
    return TRUE;
}

LRESULT Win32Forms::OnDrawItem(const DRAWITEMSTRUCT& item) {
    const Control* control = FindByWindow(item.hwndItem);
    if (item.CtlType != ODT_LISTBOX || !control || control->spec.type != ControlType::CheckListBox) return FALSE;
    check_list::Draw(item, dpi_, buttonTheme_ ? buttonTheme_.get() : nullptr);
    return TRUE;
}

LRESULT Win32Forms::OnSysCommand(HWND window, WPARAM command, LPARAM lParam) {
    // The close box, the system menu and Alt+F4 all come this way; a bare WM_CLOSE comes from
    // another program.
    if ((command & 0xFFF0) != SC_CLOSE) return ::DefWindowProcW(window, WM_SYSCOMMAND, command, lParam);
    closeFromControlMenu_ = true;
    const LRESULT result = ::DefWindowProcW(window, WM_SYSCOMMAND, command, lParam);
    closeFromControlMenu_ = false;
    return result;
}

void Win32Forms::OnClose() {
    RequestUnload(closeFromControlMenu_ ? UnloadMode::FormControlMenu : UnloadMode::TaskManager);
}

void Win32Forms::OnActivate(int state) {
    if (state == WA_INACTIVE) {
        const HWND focus = ::GetFocus();
        if (focus && ::IsChild(Window(), focus)) savedFocus_ = focus;
        return;
    }
    RestoreFocus();
}

void Win32Forms::RestoreFocus() {
    const HWND window = Window();
    if (!window) return;
    HWND target = savedFocus_;
    if (!target || !::IsChild(window, target) || !::IsWindowEnabled(target) || !::IsWindowVisible(target)) {
        target = ::GetNextDlgTabItem(window, nullptr, FALSE);
    }
    if (target) ::SetFocus(target);
}

void Win32Forms::OnNextDlgCtl(WPARAM target, LPARAM isWindow) {
    // What a dialog does: the dialog manager moves focus this way for a label's access key.
    const HWND window = Window();
    const HWND next = LOWORD(isWindow) ? reinterpret_cast<HWND>(target)
                                       : ::GetNextDlgTabItem(window, ::GetFocus(), target != 0 ? TRUE : FALSE);
    if (next && ::IsChild(window, next)) ::SetFocus(next);
}

void Win32Forms::OnDpiChanged(int dpi, const RECT& suggested) {
    dpi_ = dpi;
    ApplyFonts();
    LoadIcons();
    ::SetWindowPos(Window(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    Layout(LayoutForm(spec_, dpi_));
}

LRESULT Win32Forms::OnGetDpiScaledSize(int dpi, SIZE& size) const {
    RECT rect{0, 0, TwipsToPixels(spec_.clientWidth, dpi), TwipsToPixels(spec_.clientHeight, dpi)};
    AdjustWindowRectForDpi(rect, kFormStyle, kFormExStyle, dpi);
    size = SIZE{rect.right - rect.left, rect.bottom - rect.top};
    return TRUE;
}

void Win32Forms::OnDestroy() {
    const HWND window = Window();
    for (auto& [id, control] : controls_) {
        if (control.spec.type == ControlType::Timer && window) ::KillTimer(window, static_cast<UINT_PTR>(id));
        control.window = nullptr;
    }
    toolTip_ = nullptr;
    savedFocus_ = lastFocus_ = nullptr;
    loaded_ = false;
}

void Win32Forms::OnCheckListInput(int id, HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    if ((message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) && ::GetFocus() != list) ::SetFocus(list);
    const check_list::Input input = check_list::Interpret(list, message, wParam, lParam, dpi_);
    using Kind = check_list::Input::Kind;
    switch (input.kind) {
        case Kind::ClickText:
            check_list::SetCurrent(list, input.item);
            RaiseClick(id);
            break;
        case Kind::ClickBox:
            check_list::SetChecked(list, input.item, !check_list::Checked(list, input.item));
            check_list::SetCurrent(list, input.item);
            RaiseItemCheck(id, input.item);
            RaiseClick(id);
            break;
        case Kind::ToggleCurrent: {
            const int current = check_list::Current(list);
            if (current < 0) break;
            check_list::SetChecked(list, current, !check_list::Checked(list, current));
            RaiseItemCheck(id, current);
            break;
        }
        case Kind::Move: {
            const int count = check_list::Count(list);
            if (count == 0) break;
            const int current = check_list::Current(list);
            const int target = std::clamp(current < 0 ? 0 : current + input.delta, 0, count - 1);
            if (target == current) break;
            check_list::SetCurrent(list, target);
            RaiseClick(id);
            break;
        }
        case Kind::None:
            break;
    }
}

// ---------------------------------------------------------------------------------------------
// Acting and raising events

void Win32Forms::Unload() { RequestUnload(UnloadMode::FormCode); }

void Win32Forms::RequestUnload(UnloadMode mode) {
    if (!loaded_ || unloading_) return;
    if (events_->OnQueryUnload(mode)) return;
    FinishUnload();
}

void Win32Forms::FinishUnload() {
    unloading_ = true;
    const auto destroy = [this] {
        loaded_ = false;
        window_.reset();
        unloading_ = false;
    };
    try {
        events_->OnUnload();
    } catch (...) {
        destroy();
        throw;
    }
    destroy();
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

void Win32Forms::SyncDefaultButton() {
    // As a dialog does: the button with the focus is the default one while it has it, so that
    // Enter clicks it; elsewhere the designed default button is.
    const HWND focus = ::GetFocus();
    if (focus == lastFocus_) return;
    lastFocus_ = focus;
    const Control* focused = FindByWindow(focus);
    const int wanted =
        focused && focused->spec.type == ControlType::CommandButton ? focused->spec.id : defaultButton_;
    for (const auto& [id, control] : controls_) {
        if (control.spec.type != ControlType::CommandButton || !control.window) continue;
        const bool isDefault = (::GetWindowLongW(control.window, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
        if (isDefault != (id == wanted)) {
            ::SendMessageW(control.window, BM_SETSTYLE, id == wanted ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
        }
    }
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
    // The menu closes when the user clicks elsewhere only if its owner is in the foreground.
    ::SetForegroundWindow(window);
    POINT cursor{};
    ::GetCursorPos(&cursor);
    const int chosen = static_cast<int>(::TrackPopupMenuEx(
        menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON | TPM_RETURNCMD, cursor.x, cursor.y, window, nullptr));
    // Lets the next message arrive so that a menu opened again right away shows at all.
    if (Window()) ::PostMessageW(Window(), WM_NULL, 0, 0);
    RethrowPending();
    const Control* item = Find(chosen);
    if (chosen > 0 && item && item->spec.type == ControlType::MenuItem && Enabled(chosen)) RaiseClick(chosen);
}

// ---------------------------------------------------------------------------------------------
// The form's properties

std::wstring Win32Forms::Caption() const { return Window() ? WindowText(Window()) : spec_.caption; }

void Win32Forms::SetCaption(std::wstring_view caption) {
    if (Window()) ::SetWindowTextW(Window(), std::wstring(caption).c_str());
}

bool Win32Forms::Visible() const { return Window() && ::IsWindowVisible(Window()); }

void Win32Forms::Show() {
    if (!loaded_ || Visible()) return;
    const HWND window = Window();
    int command = SW_SHOW;
    switch (hiddenState_) {
        case WindowState::Minimized: command = SW_SHOWMINIMIZED; break;
        case WindowState::Maximized: command = SW_SHOWMAXIMIZED; break;
        case WindowState::Normal: command = ::IsIconic(window) || ::IsZoomed(window) ? SW_RESTORE : SW_SHOW; break;
    }
    ::ShowWindow(window, command);
}

void Win32Forms::Hide() {
    if (!Visible()) return;
    hiddenState_ = GetWindowState();
    ::ShowWindow(Window(), SW_HIDE);
}

WindowState Win32Forms::GetWindowState() const {
    // A hidden window keeps the state it will show in, without showing to change it.
    if (!Visible()) return hiddenState_;
    if (::IsIconic(Window())) return WindowState::Minimized;
    if (::IsZoomed(Window())) return WindowState::Maximized;
    return WindowState::Normal;
}

void Win32Forms::SetWindowState(WindowState state) {
    if (!Visible()) {
        hiddenState_ = state;
        return;
    }
    if (state == GetWindowState()) return;
    ::ShowWindow(Window(), state == WindowState::Minimized   ? SW_MINIMIZE
                           : state == WindowState::Maximized ? SW_MAXIMIZE
                                                             : SW_RESTORE);
}

RECT Win32Forms::PlacedRect() const {
    // A minimised window keeps its place in the placement's normal rectangle, which counts from
    // the work area rather than the screen.
    RECT rect{};
    const HWND window = Window();
    if (!window) return rect;
    if (!::IsIconic(window)) {
        ::GetWindowRect(window, &rect);
        return rect;
    }
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    ::GetWindowPlacement(window, &placement);
    rect = placement.rcNormalPosition;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (::GetMonitorInfoW(::MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &monitor)) {
        ::OffsetRect(&rect, monitor.rcWork.left - monitor.rcMonitor.left, monitor.rcWork.top - monitor.rcMonitor.top);
    }
    return rect;
}

void Win32Forms::MoveTo(int x, int y) {
    const HWND window = Window();
    if (!window) return;
    if (!::IsIconic(window)) {
        ::SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    const RECT placed = PlacedRect();
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    ::GetWindowPlacement(window, &placement);
    ::OffsetRect(&placement.rcNormalPosition, x - placed.left, y - placed.top);
    placement.showCmd = Visible() ? SW_SHOWMINNOACTIVE : SW_HIDE;
    ::SetWindowPlacement(window, &placement);
}

float Win32Forms::TwipsPerPixel() const { return static_cast<float>(kTwipsPerInch) / static_cast<float>(dpi_); }

float Win32Forms::Left() const { return static_cast<float>(PlacedRect().left) * TwipsPerPixel(); }

float Win32Forms::Top() const { return static_cast<float>(PlacedRect().top) * TwipsPerPixel(); }

void Win32Forms::SetLeft(float twips) {
    MoveTo(static_cast<int>(std::lround(twips / TwipsPerPixel())), PlacedRect().top);
}

void Win32Forms::SetTop(float twips) {
    MoveTo(PlacedRect().left, static_cast<int>(std::lround(twips / TwipsPerPixel())));
}

ScreenRect Win32Forms::WindowRect() const {
    const RECT rect = PlacedRect();
    return ScreenRect{rect.left, rect.top, rect.right, rect.bottom};
}

// ---------------------------------------------------------------------------------------------
// Controls

Win32Forms::Control* Win32Forms::Find(int id) {
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : &it->second;
}

const Win32Forms::Control* Win32Forms::Find(int id) const {
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : &it->second;
}

Win32Forms::Control* Win32Forms::FindByWindow(HWND window) {
    if (!window) return nullptr;
    for (auto& [id, control] : controls_) {
        if (control.window == window) return &control;
    }
    return nullptr;
}

int Win32Forms::FocusedControl() const {
    const HWND focus = ::GetFocus();
    if (!focus) return 0;
    for (const auto& [id, control] : controls_) {
        if (control.window == focus) return id;
    }
    return 0;
}

void Win32Forms::SetFocus(int id) {
    const Control* control = Find(id);
    // WM_NEXTDLGCTL moves the default button along with the focus.
    if (control && control->window && window_) ::SendMessageW(Window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control->window), TRUE);
}

HWND Win32Forms::ControlWindow(int id) const {
    const Control* control = Find(id);
    return control ? control->window : nullptr;
}

HMENU Win32Forms::MenuHandle(int menuId) const {
    const Control* menu = Find(menuId);
    return menu && menu->menu ? menu->menu.get() : nullptr;
}

std::wstring Win32Forms::ControlCaption(int id) const {
    const Control* control = Find(id);
    if (!control) return {};
    switch (control->spec.type) {
        case ControlType::CommandButton:
        case ControlType::Label:
            return control->window ? WindowText(control->window) : control->caption;
        case ControlType::MenuItem: {
            const HMENU menu = MenuHandle(control->spec.parentMenu);
            wchar_t text[256] = {};
            if (menu) {
                ::GetMenuStringW(menu, static_cast<UINT>(id), text, static_cast<int>(std::size(text)), MF_BYCOMMAND);
            }
            return text;
        }
        default:
            return control->caption;
    }
}

void Win32Forms::SetControlCaption(int id, std::wstring_view caption) {
    Control* control = Find(id);
    if (!control) return;
    control->caption = caption;
    if (control->window) {
        ::SetWindowTextW(control->window, control->caption.c_str());
        if (control->spec.type == ControlType::Label && control->spec.autoSize) {
            if (const ControlPlacement* placement = LayoutForm(spec_, dpi_).Find(id)) {
                const PixelRect& r = placement->rect;
                PlaceLabel(*control, RECT{r.left, r.top, r.right, r.bottom});
                ClipLabelsUnderControls();
            }
        }
    } else if (control->spec.type == ControlType::MenuItem) {
        if (const HMENU menu = MenuHandle(control->spec.parentMenu)) {
            MENUITEMINFOW info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_STRING;
            info.dwTypeData = control->caption.data();
            ::SetMenuItemInfoW(menu, static_cast<UINT>(id), FALSE, &info);
        }
    }
}

bool Win32Forms::Enabled(int id) const {
    const Control* control = Find(id);
    if (!control) return false;
    switch (control->spec.type) {
        case ControlType::Timer:
            return control->timerEnabled;
        case ControlType::MenuItem: {
            const HMENU menu = MenuHandle(control->spec.parentMenu);
            const UINT state = menu ? ::GetMenuState(menu, static_cast<UINT>(id), MF_BYCOMMAND) : UINT(-1);
            return state != UINT(-1) && !(state & (MF_GRAYED | MF_DISABLED));
        }
        default:
            return control->window ? ::IsWindowEnabled(control->window) != FALSE : control->spec.enabled;
    }
}

void Win32Forms::SetEnabled(int id, bool enabled) {
    Control* control = Find(id);
    if (!control) return;
    switch (control->spec.type) {
        case ControlType::Timer:
            if (control->timerEnabled == enabled) return;  // a running timer keeps its rhythm
            control->timerEnabled = enabled;
            StartOrStopTimer(*control);
            return;
        case ControlType::MenuItem:
            if (const HMENU menu = MenuHandle(control->spec.parentMenu)) {
                ::EnableMenuItem(menu, static_cast<UINT>(id), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
            }
            return;
        default:
            break;
    }
    if (!control->window) return;
    // A control that loses its focus by being disabled hands it on, so the keyboard keeps working.
    const bool hadFocus = !enabled && ::GetFocus() == control->window;
    ::EnableWindow(control->window, enabled ? TRUE : FALSE);
    if (hadFocus) {
        if (const HWND next = ::GetNextDlgTabItem(Window(), control->window, FALSE)) ::SetFocus(next);
    }
}

int Win32Forms::CurrentItem(const Control& control) const {
    if (!control.window) return -1;
    if (control.spec.type == ControlType::DropDownList) return ComboCurrent(control.window);
    if (control.spec.type == ControlType::CheckListBox) return check_list::Current(control.window);
    return -1;
}

void Win32Forms::SetCurrentItem(const Control& control, int item) {
    if (control.spec.type == ControlType::DropDownList) SetComboCurrent(control.window, item);
    if (control.spec.type == ControlType::CheckListBox) check_list::SetCurrent(control.window, item);
}

void Win32Forms::AddItem(int id, std::wstring_view text) {
    const Control* control = Find(id);
    if (!control || !control->window) return;
    if (control->spec.type == ControlType::CheckListBox) {
        check_list::Add(control->window, text);
    } else if (control->spec.type == ControlType::DropDownList) {
        const std::wstring terminated(text);
        ::SendMessageW(control->window, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(terminated.c_str()));
    }
}

int Win32Forms::ListCount(int id) const {
    const Control* control = Find(id);
    if (!control || !control->window) return 0;
    if (control->spec.type == ControlType::DropDownList) return ComboCount(control->window);
    if (control->spec.type == ControlType::CheckListBox) return check_list::Count(control->window);
    return 0;
}

std::wstring Win32Forms::List(int id, int item) const {
    const Control* control = Find(id);
    if (!control || !control->window || item < 0) return {};
    if (control->spec.type == ControlType::DropDownList) return ComboText(control->window, item);
    if (control->spec.type == ControlType::CheckListBox) return check_list::Text(control->window, item);
    return {};
}

int Win32Forms::ListIndex(int id) const {
    const Control* control = Find(id);
    return control ? CurrentItem(*control) : -1;
}

void Win32Forms::SetListIndex(int id, int item) {
    const Control* control = Find(id);
    if (!control || !control->window) return;
    if ((item != -1 && (item < 0 || item >= ListCount(id))) || CurrentItem(*control) == item) return;
    SetCurrentItem(*control, item);
    RaiseClick(id);
}

bool Win32Forms::Selected(int id, int item) const {
    const Control* control = Find(id);
    if (!control || !control->window || control->spec.type != ControlType::CheckListBox) return false;
    return item >= 0 && item < ListCount(id) && check_list::Checked(control->window, item);
}

void Win32Forms::SetSelected(int id, int item, bool checked) {
    const Control* control = Find(id);
    if (!control || !control->window || control->spec.type != ControlType::CheckListBox) return;
    if (item < 0 || item >= ListCount(id)) return;
    const HWND list = control->window;
    const bool changed = check_list::Checked(list, item) != checked;
    const bool moved = checked && check_list::Current(list) != item;
    if (changed) check_list::SetChecked(list, item, checked);
    if (moved) check_list::SetCurrent(list, item);
    if (changed) RaiseItemCheck(id, item);
    if (moved) RaiseClick(id);
}

std::wstring Win32Forms::Text(int id) const { return List(id, ListIndex(id)); }

bool Win32Forms::SetText(int id, std::wstring_view text) {
    // An exact match: the control's own search ignores case.
    const int count = ListCount(id);
    for (int item = 0; item < count; ++item) {
        if (List(id, item) == text) {
            SetListIndex(id, item);
            return true;
        }
    }
    return false;
}

}  // namespace brellix::platform::win32
