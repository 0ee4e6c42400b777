// The controls' properties, by id: each kind keeps its state where its own module of calls reads it.
#include "platform/win32/check_list.h"
#include "platform/win32/menu.h"
#include "platform/win32/picker.h"
#include "platform/win32/win32_forms.h"
#include "platform/win32/window_text.h"

namespace brellix::platform::win32 {

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

HWND Win32Forms::ControlWindow(int id) const {
    const Control* control = Find(id);
    return control ? control->window : nullptr;
}

HMENU Win32Forms::MenuHandle(int menuId) const {
    const Control* menu = Find(menuId);
    return menu && menu->menu ? menu->menu.get() : nullptr;
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
    // Through the dialog manager, which moves the default button along with the focus.
    if (!control || !control->window || !Window()) return;
    ::SendMessageW(Window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control->window), TRUE);
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
            return menu ? menu::Caption(menu, id) : std::wstring{};
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
        if (const HMENU menu = MenuHandle(control->spec.parentMenu)) menu::SetCaption(menu, id, control->caption);
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
            return menu && menu::Enabled(menu, id);
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
            if (const HMENU menu = MenuHandle(control->spec.parentMenu)) menu::SetEnabled(menu, id, enabled);
            return;
        default:
            break;
    }
    if (!control->window) return;
    // A disabled window loses the focus to nobody, and the keyboard would reach no control: the
    // dialog manager first hands it on to the next control in tab order, the default button with it.
    if (!enabled && ::GetFocus() == control->window) ::SendMessageW(Window(), WM_NEXTDLGCTL, 0, FALSE);
    ::EnableWindow(control->window, enabled ? TRUE : FALSE);
}

int Win32Forms::CurrentItem(const Control& control) const {
    if (!control.window) return -1;
    if (control.spec.type == ControlType::DropDownList) return picker::Current(control.window);
    if (control.spec.type == ControlType::CheckListBox) return check_list::Current(control.window);
    return -1;
}

void Win32Forms::SetCurrentItem(const Control& control, int item) {
    if (control.spec.type == ControlType::DropDownList) picker::SetCurrent(control.window, item);
    if (control.spec.type == ControlType::CheckListBox) check_list::SetCurrent(control.window, item);
}

void Win32Forms::AddItem(int id, std::wstring_view text) {
    const Control* control = Find(id);
    if (!control || !control->window) return;
    if (control->spec.type == ControlType::CheckListBox) {
        check_list::Add(control->window, text);
    } else if (control->spec.type == ControlType::DropDownList) {
        picker::Add(control->window, text);
    }
}

int Win32Forms::ListCount(int id) const {
    const Control* control = Find(id);
    if (!control || !control->window) return 0;
    if (control->spec.type == ControlType::DropDownList) return picker::Count(control->window);
    if (control->spec.type == ControlType::CheckListBox) return check_list::Count(control->window);
    return 0;
}

std::wstring Win32Forms::List(int id, int item) const {
    const Control* control = Find(id);
    if (!control || !control->window || item < 0) return {};
    if (control->spec.type == ControlType::DropDownList) return picker::Text(control->window, item);
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

bool Win32Forms::Checked(int id) const {
    const Control* control = Find(id);
    if (!control || control->spec.type != ControlType::MenuItem) return false;
    const HMENU menu = MenuHandle(control->spec.parentMenu);
    return menu && menu::Checked(menu, id);
}

void Win32Forms::SetChecked(int id, bool checked) {
    const Control* control = Find(id);
    if (!control || control->spec.type != ControlType::MenuItem) return;
    if (const HMENU menu = MenuHandle(control->spec.parentMenu)) menu::SetChecked(menu, id, checked);
}

}  // namespace brellix::platform::win32
