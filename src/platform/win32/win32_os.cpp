#include "platform/win32/win32_os.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <string>

#include "platform/win32/shutdown_privilege.h"
#include "platform/win32/win32_forms.h"

namespace brellix::platform::win32 {

namespace {

std::wstring Terminated(std::wstring_view text) { return std::wstring(text); }

HWND AsWindow(WindowHandle window) { return static_cast<HWND>(window); }

RECT AsRect(const ScreenRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

// The window's one icon: identified by the window and id 1.
NOTIFYICONDATAW TrayIconData(HWND window) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = 1;
    return data;
}

// Copies text into one of the structure's fixed fields; what does not fit ends in an ellipsis,
// never in half a surrogate pair.
template <std::size_t N>
void CopyCut(std::wstring_view text, wchar_t (&field)[N]) {
    std::size_t length = text.size();
    if (length > N - 1) {
        length = N - 2;
        if (IS_HIGH_SURROGATE(text[length - 1])) --length;
        std::copy_n(text.data(), length, field);
        field[length++] = L'\u2026';
    } else {
        std::copy_n(text.data(), length, field);
    }
    field[length] = L'\0';
}

HICON SmallIconOf(HWND window) { return reinterpret_cast<HICON>(::SendMessageW(window, WM_GETICON, ICON_SMALL, 0)); }

// The system's own words for an error, without the line break it ends them with.
std::wstring SystemMessage(DWORD error) {
    wchar_t text[512] = {};
    const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                                          0, text, static_cast<DWORD>(std::size(text)), nullptr);
    std::wstring message(text, length);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r')) message.pop_back();
    return message;
}

}  // namespace

unsigned ExitWindowsFlags(SessionEndRequest request) {
    constexpr UINT kActionFlags[] = {EWX_SHUTDOWN, EWX_POWEROFF, EWX_REBOOT, EWX_LOGOFF};
    constexpr UINT kForceFlags[] = {0, EWX_FORCE, EWX_FORCEIFHUNG};
    return kActionFlags[static_cast<int>(request.action)] | kForceFlags[static_cast<int>(request.force)];
}

bool Win32Os::AnotherInstanceRunning() {
    HANDLE mutex = ::CreateMutexW(nullptr, FALSE, kSingleInstanceMutexName);
    const bool exists = ::GetLastError() == ERROR_ALREADY_EXISTS;
    if (mutex) singleInstanceMutex_.reset(mutex);
    return exists;
}

std::wstring Win32Os::CommandLine() { return ::GetCommandLineW(); }

std::wstring Win32Os::ExecutablePath() {
    // Paths longer than MAX_PATH are cut silently by the call: grow until the whole path fits.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        if (path.size() >= 32768) return {};
        path.resize(path.size() * 2);
    }
}

// A GUI program has no terminal.
void Win32Os::ReportOnTerminal(std::wstring_view) {}

// Only a window of the program's class on this desktop can be found, and the message means
// nothing to anything else. The running instance may take the foreground from the program the user
// started this one from, which holds it now.
void Win32Os::WakeRunningInstance() {
    if (mainWindowClass_.empty()) return;
    const HWND window = ::FindWindowW(mainWindowClass_.c_str(), nullptr);
    // Not there yet: the instance is still starting and shows its window anyway.
    if (!window) return;
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    ::AllowSetForegroundWindow(owner);
    ::PostMessageW(window, ::RegisterWindowMessageW(kWakeMessageName), kWakeRequest, 0);
}

// The privilege and the call return at once: the answer is there when the call returns.
std::optional<SessionEndResult> Win32Os::StartSessionEnd(SessionEndRequest request) { return EndSession(request); }

// Windows cannot tell beforehand.
void Win32Os::AskSessionEndOutlook(SessionEndRequest) {}

// Modifying nothing succeeds exactly while the shell knows the icon.
bool Win32Os::TrayIconPresent(WindowHandle window) {
    NOTIFYICONDATAW data = TrayIconData(AsWindow(window));
    return notifyIcon_(NIM_MODIFY, &data) != FALSE;
}

bool Win32Os::Notify(WindowHandle window, const Notification& notification) {
    const HWND owner = AsWindow(window);
    NOTIFYICONDATAW data = TrayIconData(owner);
    data.uFlags = NIF_INFO;
    CopyCut(notification.title, data.szInfoTitle);
    // An empty text would take the balloon away instead.
    CopyCut(notification.body.empty() ? std::wstring_view(L" ") : notification.body, data.szInfo);
    data.hBalloonIcon = SmallIconOf(owner);
    data.dwInfoFlags = data.hBalloonIcon ? NIIF_USER : NIIF_INFO;
    if (notifyIcon_(NIM_MODIFY, &data)) return true;
    // The shell lost the icon (it restarted, or the program took the icon away as it ends): the icon
    // comes back to carry the balloon, which then outlives the program.
    data.uFlags |= NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayCallbackMessage;
    data.hIcon = SmallIconOf(owner);
    ::GetWindowTextW(owner, data.szTip, static_cast<int>(std::size(data.szTip)));
    return notifyIcon_(NIM_ADD, &data) != FALSE;
}

// An empty text takes the balloon away.
void Win32Os::WithdrawNotification(WindowHandle window) {
    NOTIFYICONDATAW data = TrayIconData(AsWindow(window));
    data.uFlags = NIF_INFO;
    notifyIcon_(NIM_MODIFY, &data);
}

SessionEndResult Win32Os::EndSession(SessionEndRequest request) {
    EnableShutdownPrivilege();
    if (::ExitWindowsEx(ExitWindowsFlags(request), 0)) return SessionEndResult{true, {}};
    return SessionEndResult{false, SystemMessage(::GetLastError())};
}

std::wstring Win32Os::ReadSetting(std::wstring_view file, std::wstring_view section, std::wstring_view key,
                                  std::wstring_view defaultValue, std::size_t maxLength) {
    std::wstring buffer(maxLength + 1, L'\0');
    ::GetPrivateProfileStringW(Terminated(section).c_str(), Terminated(key).c_str(), Terminated(defaultValue).c_str(),
                               buffer.data(), static_cast<DWORD>(buffer.size()), Terminated(file).c_str());
    buffer.resize(buffer.find(L'\0'));
    return buffer;
}

WriteResult Win32Os::WriteSetting(std::wstring_view file, std::wstring_view section, std::wstring_view key,
                                  std::wstring_view value) {
    if (::WritePrivateProfileStringW(Terminated(section).c_str(), Terminated(key).c_str(), Terminated(value).c_str(),
                                     Terminated(file).c_str())) {
        return WriteResult{true, {}};
    }
    return WriteResult{false, SystemMessage(::GetLastError())};
}

bool Win32Os::ShowTrayIcon(WindowHandle window, std::wstring_view tip) {
    NOTIFYICONDATAW data = TrayIconData(AsWindow(window));
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayCallbackMessage;
    data.hIcon = reinterpret_cast<HICON>(::SendMessageW(data.hWnd, WM_GETICON, ICON_SMALL, 0));
    const std::size_t tipLength = std::min<std::size_t>(tip.size(), std::size(data.szTip) - 1);
    std::copy_n(tip.data(), tipLength, data.szTip);
    data.szTip[tipLength] = L'\0';
    return notifyIcon_(NIM_ADD, &data) != FALSE;
}

bool Win32Os::RemoveTrayIcon(WindowHandle window) {
    NOTIFYICONDATAW data = TrayIconData(AsWindow(window));
    return notifyIcon_(NIM_DELETE, &data) != FALSE;
}

bool Win32Os::KeepOnTop(WindowHandle window) {
    return ::SetWindowPos(AsWindow(window), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE) != FALSE;
}

bool Win32Os::BringToFront(WindowHandle window) { return ::SetForegroundWindow(AsWindow(window)) != FALSE; }

bool Win32Os::RectOnAnyMonitor(const ScreenRect& rect) {
    const RECT native = AsRect(rect);
    return ::MonitorFromRect(&native, MONITOR_DEFAULTTONULL) != nullptr;
}

ScreenRect Win32Os::NearestMonitorWorkArea(const ScreenRect& rect) {
    const RECT native = AsRect(rect);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!::GetMonitorInfoW(::MonitorFromRect(&native, MONITOR_DEFAULTTONEAREST), &info)) return {};
    return ScreenRect{info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
}

bool Win32Os::OpenWebAddress(std::wstring_view address) {
    // A browser opened minimised would look like nothing happened: show it normally.
    const auto result = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(nullptr, L"open", Terminated(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

LocalTimeOfDay Win32Os::LocalTime() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return LocalTimeOfDay{now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

std::uint64_t Win32Os::MonotonicMilliseconds() { return ::GetTickCount64(); }

std::int64_t Win32Os::WallClockMilliseconds() {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    const std::uint64_t hundredNs = (std::uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime;
    constexpr std::uint64_t kUnixEpochIn100ns = 116444736000000000ULL;
    return static_cast<std::int64_t>((hundredNs - kUnixEpochIn100ns) / 10000);
}

}  // namespace brellix::platform::win32
