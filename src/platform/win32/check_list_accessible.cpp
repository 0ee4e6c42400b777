#include "platform/win32/check_list_accessible.h"

#include <algorithm>
#include <cwctype>
#include <new>

#include "platform/win32/check_list.h"
#include "platform/win32/handles.h"
#include "platform/win32/window_text.h"

namespace brellix::platform::win32::check_list_accessible {

namespace {

// Where the list keeps its one object (holding one reference) until the list is destroyed.
constexpr wchar_t kObjectProperty[] = L"Brellix.CheckListAccessible";

// The accessibility libraries, loaded from the system's directory when a screen reader first
// asks for a list: most runs never meet one, and loading COM at every start costs time and memory.
class OleCalls {
public:
    OleCalls()
        : oleacc_(Load(L"oleacc.dll")), oleaut32_(Load(L"oleaut32.dll")), ole32_(Load(L"ole32.dll")) {
        Bind(oleacc_, "CreateStdAccessibleObject", createStdAccessibleObject);
        Bind(oleacc_, "AccessibleObjectFromWindow", accessibleObjectFromWindow);
        Bind(oleacc_, "LresultFromObject", lresultFromObject);
        Bind(oleaut32_, "SysAllocStringLen", sysAllocStringLen);
        Bind(ole32_, "CoDisconnectObject", coDisconnectObject);
    }
    bool Ready() const {
        return createStdAccessibleObject && accessibleObjectFromWindow && lresultFromObject && sysAllocStringLen &&
               coDisconnectObject;
    }

    decltype(&::CreateStdAccessibleObject) createStdAccessibleObject = nullptr;
    decltype(&::AccessibleObjectFromWindow) accessibleObjectFromWindow = nullptr;
    decltype(&::LresultFromObject) lresultFromObject = nullptr;
    decltype(&::SysAllocStringLen) sysAllocStringLen = nullptr;
    decltype(&::CoDisconnectObject) coDisconnectObject = nullptr;

private:
    static HMODULE Load(const wchar_t* name) { return ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32); }
    template <class Function>
    static void Bind(const UniqueModule& module, const char* name, Function& function) {
        if (module) function = reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module.get(), name)));
    }

    UniqueModule oleacc_, oleaut32_, ole32_;
};

// VariantInit's whole work, without loading oleaut32 for it.
void Empty(VARIANT* out) { out->vt = VT_EMPTY; }

void SetChild(VARIANT* out, LONG child) {
    out->vt = VT_I4;
    out->lVal = child;
}

// The label that names the list: the window just before it, which is the one before it in tab
// order; a caption the list has itself would win.
std::wstring ListCaption(HWND list) {
    if (std::wstring own = WindowText(list); !own.empty()) return own;
    const HWND previous = ::GetWindow(list, GW_HWNDPREV);
    wchar_t className[16] = {};
    if (!previous || !::GetClassNameW(previous, className, static_cast<int>(std::size(className))) ||
        ::lstrcmpiW(className, L"Static") != 0) {
        return {};
    }
    return WindowText(previous);
}

RECT ScreenRect(HWND window, RECT rect) {
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

class CheckListAccessible final : public IAccessible {
public:
    explicit CheckListAccessible(HWND list) : list_(list) {
        IAccessible* proxy = nullptr;
        if (ole_.Ready() && SUCCEEDED(ole_.createStdAccessibleObject(list, OBJID_CLIENT, AccessibleIid(),
                                                  reinterpret_cast<void**>(&proxy)))) {
            proxy_.reset(proxy);
        }
    }
    CheckListAccessible(const CheckListAccessible&) = delete;
    CheckListAccessible& operator=(const CheckListAccessible&) = delete;

    void Disconnect() {
        list_ = nullptr;
        proxy_.reset();
        // Remote clients' stubs let go of their references; their next call fails.
        if (ole_.Ready()) ole_.coDisconnectObject(static_cast<IAccessible*>(this), 0);
    }

    // --- IUnknown ---
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == AccessibleIid()) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const auto left = ::InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // --- IDispatch: clients use the vtable; no type information is offered ---
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    // --- IAccessible ---
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        if (!parent) return E_POINTER;
        *parent = nullptr;
        if (!list_) return CO_E_OBJNOTCONNECTED;
        return ole_.accessibleObjectFromWindow(list_, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                            reinterpret_cast<void**>(parent));
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        if (!list_) return CO_E_OBJNOTCONNECTED;
        *count = std::max(0, check_list::Count(list_));
        return S_OK;
    }
    // Rows are simple elements: the list answers for them by child id.
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        LONG row = 0;
        if (const HRESULT valid = Row(child, row); FAILED(valid)) return valid;
        return row < 0 ? E_INVALIDARG : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        return Answer(child, name, [&](LONG row) {
            return ReturnString(row < 0 ? NameFromCaption(ListCaption(list_)) : check_list::Text(list_, row), name);
        });
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override { return NoString(child, value); }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override { return NoString(child, text); }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* text) override { return NoString(child, text); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
        if (topic) *topic = 0;
        return NoString(child, file);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!role) return E_POINTER;
        Empty(role);
        LONG row = 0;
        if (const HRESULT valid = Row(child, row); FAILED(valid)) return valid;
        SetChild(role, row < 0 ? ROLE_SYSTEM_LIST : ROLE_SYSTEM_CHECKBUTTON);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        if (!state) return E_POINTER;
        Empty(state);
        LONG row = 0;
        if (const HRESULT valid = Row(child, row); FAILED(valid)) return valid;
        SetChild(state, static_cast<LONG>(row < 0 ? ListState() : RowState(row)));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return Answer(child, shortcut, [&](LONG row) {
            return row < 0 ? ReturnString(ShortcutFromCaption(ListCaption(list_)), shortcut) : S_FALSE;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        if (!focus) return E_POINTER;
        Empty(focus);
        if (!list_) return CO_E_OBJNOTCONNECTED;
        if (::GetFocus() != list_) return S_FALSE;
        SetChild(focus, check_list::Current(list_) + 1);  // no current row: the list itself
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        if (!selection) return E_POINTER;
        Empty(selection);
        if (!list_) return CO_E_OBJNOTCONNECTED;
        const int current = check_list::Current(list_);
        if (current < 0) return S_FALSE;
        SetChild(selection, current + 1);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return Answer(child, action, [&](LONG row) -> HRESULT {
            if (row < 0) return DISP_E_MEMBERNOTFOUND;
            return ReturnString(check_list::Checked(list_, row) ? L"Uncheck" : L"Check", action);
        });
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
        LONG row = 0;
        if (const HRESULT valid = Row(child, row); FAILED(valid)) return valid;
        // Moving the current row is the user's choice, with its events: only the focus is offered.
        if (flags != SELFLAG_TAKEFOCUS) return DISP_E_MEMBERNOTFOUND;
        if (!::IsWindowEnabled(list_)) return E_FAIL;
        ::SetFocus(list_);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override {
        if (!left || !top || !width || !height) return E_POINTER;
        *left = *top = *width = *height = 0;
        LONG row = 0;
        if (const HRESULT valid = Row(child, row); FAILED(valid)) return valid;
        RECT rect{};
        if (row < 0) {
            ::GetClientRect(list_, &rect);
        } else if (::SendMessageW(list_, LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect)) ==
                   LB_ERR) {
            return E_FAIL;
        }
        rect = ScreenRect(list_, rect);
        *left = rect.left;
        *top = rect.top;
        *width = rect.right - rect.left;
        *height = rect.bottom - rect.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
        if (!end) return E_POINTER;
        Empty(end);
        LONG row = 0;
        if (const HRESULT valid = Row(start, row); FAILED(valid)) return valid;
        const LONG count = std::max(0, check_list::Count(list_));
        LONG target = -1;
        if (row < 0) {
            if (direction == NAVDIR_FIRSTCHILD) target = 0;
            else if (direction == NAVDIR_LASTCHILD) target = count - 1;
            // Among the list's siblings the system's own object knows the way.
            else return proxy_ ? proxy_.get()->accNavigate(direction, start, end) : S_FALSE;
        } else if (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN) {
            target = row + 1;
        } else if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP) {
            target = row - 1;
        } else if (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD) {
            return E_INVALIDARG;  // a row has no children
        }
        if (target < 0 || target >= count) return S_FALSE;
        SetChild(end, target + 1);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* hit) override {
        if (!hit) return E_POINTER;
        Empty(hit);
        if (!list_) return CO_E_OBJNOTCONNECTED;
        POINT point{x, y};
        ::ScreenToClient(list_, &point);
        RECT client{};
        ::GetClientRect(list_, &client);
        if (!::PtInRect(&client, point)) return S_FALSE;
        // LB_ITEMFROMPOINT: the nearest row in the low word, 1 in the high word when outside every row.
        const auto found = ::SendMessageW(list_, LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y));
        SetChild(hit, HIWORD(found) != 0 ? CHILDID_SELF : static_cast<LONG>(LOWORD(found)) + 1);
        return S_OK;
    }
    // A click on the row's box, posted: the reader's call returns before the program's handlers run.
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        LONG row = 0;
        if (const HRESULT valid = Row(child, row); FAILED(valid)) return valid;
        if (row < 0) return DISP_E_MEMBERNOTFOUND;
        if (!::IsWindowEnabled(list_)) return E_FAIL;
        return ::PostMessageW(list_, check_list::kClickBoxMessage, static_cast<WPARAM>(row), 0) ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    ~CheckListAccessible() = default;

    // The row a child id names (-1: the list itself); fails for a lost list or a row it lacks.
    HRESULT Row(const VARIANT& child, LONG& row) const {
        if (!list_) return CO_E_OBJNOTCONNECTED;
        if (child.vt != VT_I4) return E_INVALIDARG;
        if (child.lVal == CHILDID_SELF) {
            row = -1;
            return S_OK;
        }
        if (child.lVal < 1 || child.lVal > check_list::Count(list_)) return E_INVALIDARG;
        row = child.lVal - 1;
        return S_OK;
    }

    // A string property of a valid child. The backend is built without exceptions: a failed
    // allocation ends the program here as anywhere else.
    template <class Producer>
    HRESULT Answer(const VARIANT& child, BSTR* out, Producer&& produce) const {
        if (!out) return E_POINTER;
        *out = nullptr;
        LONG row = 0;
        if (const HRESULT valid = Row(child, row); FAILED(valid)) return valid;
        return produce(row);
    }
    HRESULT NoString(const VARIANT& child, BSTR* out) const {
        return Answer(child, out, [](LONG) { return DISP_E_MEMBERNOTFOUND; });
    }

    DWORD ListState() const {
        DWORD state = STATE_SYSTEM_FOCUSABLE;
        if (::GetFocus() == list_) state |= STATE_SYSTEM_FOCUSED;
        if (!::IsWindowEnabled(list_)) state = STATE_SYSTEM_UNAVAILABLE;
        if (!::IsWindowVisible(list_)) state |= STATE_SYSTEM_INVISIBLE;
        return state;
    }

    DWORD RowState(LONG row) const {
        if (!::IsWindowEnabled(list_)) {
            return STATE_SYSTEM_UNAVAILABLE | (check_list::Checked(list_, row) ? STATE_SYSTEM_CHECKED : 0);
        }
        DWORD state = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE;
        if (check_list::Checked(list_, row)) state |= STATE_SYSTEM_CHECKED;
        if (check_list::Current(list_) == row) {
            state |= STATE_SYSTEM_SELECTED;
            if (::GetFocus() == list_) state |= STATE_SYSTEM_FOCUSED;
        }
        RECT rect{}, client{}, shown{};
        ::SendMessageW(list_, LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect));
        ::GetClientRect(list_, &client);
        if (!::IsWindowVisible(list_)) state |= STATE_SYSTEM_INVISIBLE;
        else if (!::IntersectRect(&shown, &rect, &client)) state |= STATE_SYSTEM_OFFSCREEN;
        return state;
    }

public:
    const OleCalls& Ole() const { return ole_; }

private:
    // The string's copy for the client; S_FALSE for an empty one.
    HRESULT ReturnString(const std::wstring& text, BSTR* out) const {
        if (text.empty()) return S_FALSE;
        *out = ole_.sysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        return *out ? S_OK : E_OUTOFMEMORY;
    }

    HWND list_;
    OleCalls ole_;  // before the proxy, which must be released while its library is still loaded
    UniqueAccessible proxy_;
    LONG references_ = 1;
};

}  // namespace

UniqueAccessible ObjectFor(HWND list) noexcept {
    auto* object = static_cast<CheckListAccessible*>(::GetPropW(list, kObjectProperty));
    if (!object) {
        object = new (std::nothrow) CheckListAccessible(list);
        if (!object) return {};
        if (!object->Ole().Ready()) {
            object->Release();
            return {};
        }
        if (!::SetPropW(list, kObjectProperty, object)) {
            object->Release();
            return {};
        }
    }
    object->AddRef();
    return UniqueAccessible(object);
}

void Disconnect(HWND list) noexcept {
    auto* object = static_cast<CheckListAccessible*>(::RemovePropW(list, kObjectProperty));
    if (!object) return;
    object->Disconnect();
    object->Release();
}

bool AnswerGetObject(HWND list, WPARAM flags, LPARAM objectId, LRESULT& result) noexcept {
    // Compared as a DWORD: on 64-bit Windows the sign extension of lParam varies.
    if (static_cast<DWORD>(objectId) != static_cast<DWORD>(OBJID_CLIENT)) return false;
    const UniqueAccessible object = ObjectFor(list);
    if (!object) return false;
    const auto* accessible = static_cast<const CheckListAccessible*>(object.get());
    result = accessible->Ole().lresultFromObject(AccessibleIid(), flags, object.get());
    // Where it cannot be handed out, the system's own object still reads the rows' text.
    return result >= 0;
}

std::wstring NameFromCaption(std::wstring_view caption) {
    std::wstring name;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        // "(&O)": an access key written after the text, as Chinese captions do, goes as a whole.
        if (caption.substr(i, 2) == L"(&" && i + 3 < caption.size() && caption[i + 3] == L')') {
            i += 3;
            continue;
        }
        if (caption[i] == L'&') {
            if (i + 1 < caption.size() && caption[i + 1] == L'&') name += caption[++i];
            continue;
        }
        name += caption[i];
    }
    while (!name.empty() && (name.back() == L':' || name.back() == L'\uFF1A' || std::iswspace(name.back()))) {
        name.pop_back();
    }
    return name;
}

std::wstring ShortcutFromCaption(std::wstring_view caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != L'&') continue;
        if (caption[i + 1] != L'&') return L"Alt+" + std::wstring(1, static_cast<wchar_t>(std::towupper(caption[i + 1])));
        ++i;  // "&&" is a plain ampersand
    }
    return {};
}

}  // namespace brellix::platform::win32::check_list_accessible
