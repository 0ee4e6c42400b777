// What screen readers see of a check-box list: a list named by the label before it, whose rows are
// check boxes with their check state, and whose rows' default action is a click on their box.
#pragma once

#include <windows.h>
#include <oleacc.h>

#include <string>
#include <string_view>

#include "platform/win32/handles.h"

namespace brellix::platform::win32::check_list_accessible {

// IAccessible's interface id. Not IID_IAccessible: MinGW's liboleacc.a defines that name as an
// import thunk, so it links to code bytes and every call that takes it fails with E_NOINTERFACE.
inline const IID& AccessibleIid() noexcept { return __uuidof(IAccessible); }


// WM_GETOBJECT: true with `result` set when the list answers for itself (OBJID_CLIENT); false
// when the message should go on to the list box's own handling.
bool AnswerGetObject(HWND list, WPARAM flags, LPARAM objectId, LRESULT& result) noexcept;

// The list's one object, as WM_GETOBJECT hands it out; empty when none could be made.
UniqueAccessible ObjectFor(HWND list) noexcept;

// WM_NCDESTROY: the object lets go of the list; references clients still hold answer
// CO_E_OBJNOTCONNECTED from then on.
void Disconnect(HWND list) noexcept;

// A label's caption as a name: "选项(&O):" -> "选项", "&Force:" -> "Force".
std::wstring NameFromCaption(std::wstring_view caption);
// The caption's access key as readers announce it: "选项(&O):" -> "Alt+O"; empty when it has none.
std::wstring ShortcutFromCaption(std::wstring_view caption);

}  // namespace brellix::platform::win32::check_list_accessible
