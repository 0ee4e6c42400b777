// The check-box lists on the form: their input turned into the program's events, their rows
// measured and drawn. The list's own calls are in check_list.*.
#include <algorithm>

#include "platform/form_geometry.h"
#include "platform/win32/check_list.h"
#include "platform/win32/check_list_accessible.h"
#include "platform/win32/win32_forms.h"

namespace brellix::platform::win32 {

LRESULT CALLBACK Win32Forms::CheckListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                           DWORD_PTR self) {
    LRESULT object = 0;
    if (message == WM_GETOBJECT && check_list_accessible::AnswerGetObject(list, wParam, lParam, object)) return object;
    if (message == WM_NCDESTROY) {
        check_list_accessible::Disconnect(list);
        ::RemoveWindowSubclass(list, CheckListProc, id);
    }
    if (!check_list::IsInputMessage(message, wParam)) return ::DefSubclassProc(list, message, wParam, lParam);
    reinterpret_cast<Win32Forms*>(self)->OnCheckListInput(static_cast<int>(id), list, message, wParam, lParam);
    return 0;
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

}  // namespace brellix::platform::win32
