// The end-to-end driver: runs in the same Wine prefix as Brellix.exe and looks at or drives its
// window from outside, as a user or the shell would. One command per run; one fact per line.
#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

// What the driver knows of Brellix from outside: its window class, its controls' ids, and the
// message under which its tray icon reports.
constexpr wchar_t kMainWindowClass[] = L"Brellix.frmMain";
constexpr UINT kTrayCallbackMessage = WM_APP + 1;
constexpr UINT kTrayIconId = 1;

struct NamedControl {
    int id;
    const wchar_t* name;
};
constexpr NamedControl kControls[] = {
    {2, L"btnExit"},      {3, L"lstExtra"},    {4, L"lstOptions"}, {5, L"cboAMPM"},  {6, L"cboSecond"},
    {7, L"cboMinute"},    {8, L"cboHour"},     {9, L"btnTurnOFF"}, {10, L"btnTurnON"}, {11, L"Label2"},
    {12, L"Label1"},      {13, L"lblExtra"},   {14, L"optOptions"}, {15, L"lblTOD"},  {16, L"Label3"},
    {17, L"lblMinute"},   {18, L"lblHour"},
};

void Out(const std::wstring& line) {
    char utf8[8192];
    const int n = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, utf8, sizeof utf8, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8, n > 0 ? n - 1 : 0, &written, nullptr);
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "\n", 1, &written, nullptr);
}

std::wstring Format(const wchar_t* format, ...) {
    wchar_t text[1024];
    va_list args;
    va_start(args, format);
    _vsnwprintf(text, std::size(text) - 1, format, args);
    va_end(args);
    text[std::size(text) - 1] = L'\0';
    return text;
}

HWND FindMainWindow() { return FindWindowW(kMainWindowClass, nullptr); }

// Polls a condition every 20 ms until it holds or the time is up.
template <class Condition>
bool WaitUntil(DWORD milliseconds, Condition condition) {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() - start >= milliseconds) return false;
        Sleep(20);
    }
}

std::wstring TextOf(HWND window) {
    wchar_t text[512] = {};
    SendMessageTimeoutW(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        2000, nullptr);
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return name;
}

// The check-box list's rows as "01" marks and its current row: an owner-drawn list box whose
// item data is the row's check.
std::wstring ListState(HWND list) {
    const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    std::wstring marks;
    for (int i = 0; i < count; ++i) marks += SendMessageW(list, LB_GETITEMDATA, i, 0) == 1 ? L'1' : L'0';
    const int current = static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
    return Format(L"checks=%ls current=%d", marks.c_str(), current);
}

std::wstring ComboState(HWND combo) {
    const int index = static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0));
    wchar_t text[64] = L"";
    if (index >= 0) SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
    return Format(L"text=%ls count=%d", text, static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0)));
}

int Dump(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    const LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
    Out(Format(L"title=%ls", TextOf(window).c_str()));
    Out(Format(L"visible=%d", IsWindowVisible(window) ? 1 : 0));
    Out(Format(L"minimized=%d", IsIconic(window) ? 1 : 0));
    Out(Format(L"topmost=%d", (exStyle & WS_EX_TOPMOST) ? 1 : 0));
    Out(Format(L"foreground=%d", GetForegroundWindow() == window ? 1 : 0));
    Out(Format(L"rect=%ld,%ld,%ld,%ld", rect.left, rect.top, rect.right, rect.bottom));
    for (const NamedControl& control : kControls) {
        HWND child = GetDlgItem(window, control.id);
        if (!child) {
            Out(Format(L"%ls missing", control.name));
            continue;
        }
        const std::wstring type = ClassOf(child);
        std::wstring state = Format(L"enabled=%d", IsWindowEnabled(child) ? 1 : 0);
        if (_wcsicmp(type.c_str(), L"ListBox") == 0) state += L" " + ListState(child);
        else if (_wcsicmp(type.c_str(), L"ComboBox") == 0) state += L" " + ComboState(child);
        else state += L" text=" + TextOf(child);
        Out(Format(L"%ls %ls", control.name, state.c_str()));
    }
    return 0;
}

// The popup menu's window once it shows, or null.
HWND WaitForPopupMenu(DWORD milliseconds) {
    HWND menu = nullptr;
    WaitUntil(milliseconds, [&] { return (menu = FindWindowW(L"#32768", nullptr)) != nullptr && IsWindowVisible(menu); });
    return menu && IsWindowVisible(menu) ? menu : nullptr;
}

// Chooses a popup menu item by its access key, once the menu window exists.
int ChooseMenuItem(wchar_t accessKey) {
    const HWND menu = WaitForPopupMenu(5000);
    if (!menu) {
        Out(L"error: no popup menu");
        return 1;
    }
    PostMessageW(menu, WM_KEYDOWN, accessKey, 0);
    PostMessageW(menu, WM_CHAR, accessKey, 0);
    PostMessageW(menu, WM_KEYUP, accessKey, 0);
    return WaitUntil(5000, [&] { return !IsWindowVisible(menu); }) ? 0 : 1;
}

bool IconPresent(HWND window) {
    // Modifying nothing succeeds exactly when the shell knows the icon.
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = kTrayIconId;
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

// --- The shell's balloon, as the shell draws it: a balloon tooltip of the shell's process ---

struct Balloon {
    HWND window = nullptr;
    std::wstring title, text;
};

HWND FindBalloonWindow() {
    HWND found = nullptr;
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            if (_wcsicmp(ClassOf(window).c_str(), TOOLTIPS_CLASSW) != 0) return TRUE;
            if (!(GetWindowLongW(window, GWL_STYLE) & TTS_BALLOON) || !IsWindowVisible(window)) return TRUE;
            *reinterpret_cast<HWND*>(param) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// The title lives in the shell's process: asked for through a buffer there.
std::wstring BalloonTitle(HWND balloon) {
    DWORD pid = 0;
    GetWindowThreadProcessId(balloon, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return L"<no access>";
    constexpr DWORD kChars = 128;
    auto* remote = static_cast<BYTE*>(
        VirtualAllocEx(process, nullptr, sizeof(TTGETTITLE) + kChars * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
    std::wstring title = L"<no title>";
    if (remote) {
        TTGETTITLE request{sizeof request, 0, kChars, reinterpret_cast<WCHAR*>(remote + sizeof(TTGETTITLE))};
        wchar_t text[kChars] = {};
        if (WriteProcessMemory(process, remote, &request, sizeof request, nullptr) &&
            WriteProcessMemory(process, request.pszTitle, text, sizeof text, nullptr)) {
            SendMessageTimeoutW(balloon, TTM_GETTITLE, 0, reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, 2000,
                                nullptr);
            if (ReadProcessMemory(process, request.pszTitle, text, sizeof text - sizeof(wchar_t), nullptr)) title = text;
        }
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return title;
}

Balloon ShownBalloon() {
    Balloon balloon;
    balloon.window = FindBalloonWindow();
    if (!balloon.window) return balloon;
    balloon.title = BalloonTitle(balloon.window);
    balloon.text = TextOf(balloon.window);
    return balloon;
}

// A shell that takes no icons: a window of the tray's class, first in z-order, that answers every
// icon request with "no", as a crashed shell would (there, no window answers at all). It lives
// until the time is up or until asked to close.
constexpr wchar_t kRefusingTrayTitle[] = L"Brellix test: a tray that takes no icons";

int RefuseIcons(DWORD milliseconds) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (message == WM_COPYDATA) return FALSE;
        if (message == WM_CLOSE) PostQuitMessage(0);
        return DefWindowProcW(window, message, wParam, lParam);
    };
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"Shell_TrayWnd";
    RegisterClassW(&windowClass);
    HWND tray = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, windowClass.lpszClassName, kRefusingTrayTitle,
                                WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!tray) return 1;
    SetWindowPos(tray, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetTimer(tray, 1, milliseconds, nullptr);
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER) break;
        DispatchMessageW(&message);
    }
    DestroyWindow(tray);
    return 0;
}

// --- What a screen reader finds, through oleacc from this process ---

// A reference to a COM interface, released once.
template <class T>
class ComRef {
public:
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() {
        if (p_) p_->Release();
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    void** out() { return reinterpret_cast<void**>(&p_); }

private:
    T* p_ = nullptr;
};

VARIANT Child(LONG id) {
    VARIANT child;
    VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = id;
    return child;
}

std::wstring Taken(BSTR text) {
    std::wstring taken = text ? std::wstring(text, SysStringLen(text)) : L"";
    SysFreeString(text);
    return taken;
}

LONG NumberOf(HRESULT result, const VARIANT& value) {
    return SUCCEEDED(result) && value.vt == VT_I4 ? value.lVal : -1;
}

std::wstring Describe(IAccessible& object, LONG child) {
    BSTR name = nullptr, action = nullptr;
    VARIANT role, state;
    VariantInit(&role);
    VariantInit(&state);
    const HRESULT named = object.get_accName(Child(child), &name);
    const LONG roleId = NumberOf(object.get_accRole(Child(child), &role), role);
    const LONG stateBits = NumberOf(object.get_accState(Child(child), &state), state);
    object.get_accDefaultAction(Child(child), &action);
    return Format(L"name=%ls role=%ld state=0x%lx action=%ls", SUCCEEDED(named) ? Taken(name).c_str() : L"<error>",
                  roleId, stateBits, Taken(action).c_str());
}

// The list's object as AccessibleObjectFromWindow hands it to another process.
HRESULT ListObject(HWND window, int id, ComRef<IAccessible>& object) {
    const HWND list = GetDlgItem(window, id);
    if (!list) return E_INVALIDARG;
    // __uuidof: MinGW's liboleacc.a defines IID_IAccessible as an import thunk, not as data.
    return AccessibleObjectFromWindow(list, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible), object.out());
}

int ReadList(HWND window, int id) {
    ComRef<IAccessible> object;
    if (const HRESULT found = ListObject(window, id, object); FAILED(found)) {
        Out(Format(L"error=0x%08lx", static_cast<unsigned long>(found)));
        return 1;
    }
    LONG count = 0;
    object->get_accChildCount(&count);
    Out(L"list " + Describe(*object.get(), CHILDID_SELF) + Format(L" rows=%ld", count));
    for (LONG child = 1; child <= count; ++child) Out(Format(L"row%ld ", child) + Describe(*object.get(), child));
    return 0;
}

int DoDefaultAction(HWND window, int id, LONG child) {
    ComRef<IAccessible> object;
    HRESULT result = ListObject(window, id, object);
    if (SUCCEEDED(result)) result = object->accDoDefaultAction(Child(child));
    Out(Format(L"result=0x%08lx", static_cast<unsigned long>(result)));
    return SUCCEEDED(result) ? 0 : 1;
}

// The control of the window's thread that has the keyboard focus, by name; another process can only
// ask the window's thread for it.
std::wstring FocusedControlName(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) || !info.hwndFocus) return L"none";
    const int id = GetDlgCtrlID(info.hwndFocus);
    for (const NamedControl& control : kControls) {
        if (control.id == id && GetParent(info.hwndFocus) == window) return control.name;
    }
    return info.hwndFocus == window ? L"window" : L"other";
}

int Usage() {
    Out(L"usage: driver wait-window MS | wait-gone MS | wait-title TEXT MS | wait-visible 0|1 MS | title | dump |"
        L" click ID | rect ID | focus | choose ID INDEX | tray CODE | menu KEY | close | minimize | icon | drop-icon |"
        L" taskbar-created | end-session | read-list ID | default-action ID CHILD | balloon MS | balloon-gone MS |"
        L" refuse-icons MS | end-refusing | system-message CODE | wait-menu MS | system-menu |"
        L" end-session-close-app");
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return Usage();
    const std::wstring command = argv[1];
    const auto number = [&](int index, DWORD fallback) {
        return argc > index ? static_cast<DWORD>(wcstoul(argv[index], nullptr, 0)) : fallback;
    };
    if (command == L"wait-window") return WaitUntil(number(2, 10000), [] { return FindMainWindow() != nullptr; }) ? 0 : 1;
    if (command == L"wait-gone") return WaitUntil(number(2, 10000), [] { return FindMainWindow() == nullptr; }) ? 0 : 1;

    // The shell's side: no window of the program needed.
    if (command == L"balloon") {
        // Waits for a balloon with text; prints what it says.
        Balloon balloon;
        WaitUntil(number(2, 10000), [&] { return !(balloon = ShownBalloon()).text.empty(); });
        if (balloon.text.empty()) {
            Out(L"balloon=none");
            return 1;
        }
        Out(L"title=" + balloon.title);
        Out(L"text=" + balloon.text);
        return 0;
    }
    if (command == L"balloon-gone") return WaitUntil(number(2, 10000), [] { return !FindBalloonWindow(); }) ? 0 : 1;
    if (command == L"refuse-icons") return RefuseIcons(number(2, 30000));
    if (command == L"end-refusing") {
        HWND tray = FindWindowW(L"Shell_TrayWnd", kRefusingTrayTitle);
        if (tray) PostMessageW(tray, WM_CLOSE, 0, 0);
        return WaitUntil(5000, [] { return !FindWindowW(L"Shell_TrayWnd", kRefusingTrayTitle); }) ? 0 : 1;
    }
    if (command == L"system-message") {
        wchar_t text[512] = {};
        DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                      number(2, 0), 0, text, static_cast<DWORD>(std::size(text)), nullptr);
        while (length > 0 && (text[length - 1] == L'\n' || text[length - 1] == L'\r')) text[--length] = L'\0';
        Out(text);
        return 0;
    }

    HWND window = nullptr;
    if (!WaitUntil(10000, [&] { return (window = FindMainWindow()) != nullptr; })) {
        Out(L"error: no window");
        return 1;
    }
    if (command == L"title") {
        Out(TextOf(window));
        return 0;
    }
    if (command == L"wait-title" && argc > 2) {
        const std::wstring expected = argv[2];
        return WaitUntil(number(3, 10000), [&] { return TextOf(window) == expected; }) ? 0 : 1;
    }
    if (command == L"wait-visible" && argc > 2) {
        const bool expected = number(2, 1) != 0;
        return WaitUntil(number(3, 10000), [&] { return (IsWindowVisible(window) != FALSE) == expected; }) ? 0 : 1;
    }
    if (command == L"dump") return Dump(window);
    if (command == L"click" && argc > 2) {
        HWND button = GetDlgItem(window, static_cast<int>(number(2, 0)));
        if (!button) return 1;
        SendMessageW(button, BM_CLICK, 0, 0);
        return 0;
    }
    if (command == L"rect" && argc > 2) {
        // A control's rectangle on the screen: "left top right bottom", for clicks from outside.
        HWND control = GetDlgItem(window, static_cast<int>(number(2, 0)));
        RECT rect{};
        if (!control || !GetWindowRect(control, &rect)) return 1;
        Out(Format(L"%ld %ld %ld %ld", rect.left, rect.top, rect.right, rect.bottom));
        return 0;
    }
    if (command == L"focus") {
        Out(L"focus=" + FocusedControlName(window));
        return 0;
    }
    if (command == L"choose" && argc > 3) {
        // As a user's pick in the drop-down list: the selection, then the notification it sends.
        const int id = static_cast<int>(number(2, 0));
        HWND combo = GetDlgItem(window, id);
        if (!combo) return 1;
        SendMessageW(combo, CB_SETCURSEL, number(3, 0), 0);
        SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
        return 0;
    }
    if (command == L"tray" && argc > 2) {
        PostMessageW(window, kTrayCallbackMessage, kTrayIconId, static_cast<LPARAM>(number(2, 0)));
        return 0;
    }
    if (command == L"menu" && argc > 2) return ChooseMenuItem(static_cast<wchar_t>(towupper(argv[2][0])));
    if (command == L"close") {
        PostMessageW(window, WM_CLOSE, 0, 0);
        return 0;
    }
    if (command == L"minimize") {
        PostMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        return WaitUntil(5000, [&] { return IsIconic(window) != FALSE; }) ? 0 : 1;
    }
    if (command == L"icon") {
        Out(IconPresent(window) ? L"icon=1" : L"icon=0");
        return 0;
    }
    if (command == L"drop-icon") {
        // What a crashing shell does to every icon.
        NOTIFYICONDATAW data{};
        data.cbSize = sizeof data;
        data.hWnd = window;
        data.uID = kTrayIconId;
        return Shell_NotifyIconW(NIM_DELETE, &data) ? 0 : 1;
    }
    if (command == L"taskbar-created") {
        SendMessageW(window, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
        return 0;
    }
    if (command == L"read-list" && argc > 2) {
        CoInitialize(nullptr);
        const int status = ReadList(window, static_cast<int>(number(2, 0)));
        CoUninitialize();
        return status;
    }
    if (command == L"default-action" && argc > 3) {
        CoInitialize(nullptr);
        const int status = DoDefaultAction(window, static_cast<int>(number(2, 0)), static_cast<LONG>(number(3, 0)));
        CoUninitialize();
        return status;
    }
    if (command == L"end-session" || command == L"end-session-close-app") {
        // The second is what an installer's restart manager sends: the session goes on, the program is
        // asked to close.
        const LPARAM reason = command == L"end-session" ? ENDSESSION_LOGOFF : ENDSESSION_CLOSEAPP;
        DWORD_PTR agreed = 0;
        SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, reason, SMTO_ABORTIFHUNG, 5000, &agreed);
        Out(Format(L"agreed=%d", agreed ? 1 : 0));
        if (agreed) SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, reason, SMTO_ABORTIFHUNG, 5000, nullptr);
        return 0;
    }
    if (command == L"wait-menu") return WaitForPopupMenu(number(2, 5000)) ? 0 : 1;
    if (command == L"system-menu") {
        // As Alt+Space opens it.
        PostMessageW(window, WM_SYSCOMMAND, SC_KEYMENU, L' ');
        return WaitForPopupMenu(5000) ? 0 : 1;
    }
    return Usage();
}
