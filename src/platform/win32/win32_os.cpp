#include "platform/win32/win32_os.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <wtsapi32.h>

#include <algorithm>
#include <string>

#include "platform/win32/handles.h"
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

namespace {

// Switches without a default: a new action or force mode cannot compile without its flag.
UINT ActionFlag(PowerAction action) {
    switch (action) {
        case PowerAction::Shutdown: return EWX_SHUTDOWN;
        case PowerAction::PowerOff: return EWX_POWEROFF;
        case PowerAction::Reboot: return EWX_REBOOT;
        case PowerAction::LogOff: return EWX_LOGOFF;
    }
    return EWX_LOGOFF;  // not an action: the least of them
}

UINT ForceFlag(ForceMode force) {
    switch (force) {
        case ForceMode::None: return 0;
        case ForceMode::Force: return EWX_FORCE;
        case ForceMode::ForceIfHung: return EWX_FORCEIFHUNG;
    }
    return 0;
}

}  // namespace

unsigned ExitWindowsFlags(SessionEndRequest request) { return ActionFlag(request.action) | ForceFlag(request.force); }

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
bool Win32Os::WakeRunningInstance() {
    if (mainWindowClass_.empty()) return true;
    const HWND window = ::FindWindowW(mainWindowClass_.c_str(), nullptr);
    // Not there yet: the instance is still starting and shows its window anyway.
    if (!window) return true;
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    ::AllowSetForegroundWindow(owner);
    return ::PostMessageW(window, ::RegisterWindowMessageW(kWakeMessageName), kWakeRequest, 0) != 0;
}

// The privilege and the call return at once: the answer is there when the call returns.
std::optional<SessionEndResult> Win32Os::StartSessionEnd(SessionEndRequest request) { return EndSession(request); }

// Windows cannot tell beforehand.
void Win32Os::AskSessionEndOutlook(SessionEndRequest) {}

// The other users signed in on this machine, whose sessions shutting it down would end: Windows
// answers at once. Programs that would hold the end up are not known beforehand.
std::optional<Obstacles> Win32Os::AskWhatStandsInTheWay(SessionEndRequest request) {
    Obstacles obstacles;
    if (request.action == PowerAction::LogOff) return obstacles;
    DWORD own = 0;
    ::ProcessIdToSessionId(::GetCurrentProcessId(), &own);
    WTS_SESSION_INFOW* sessions = nullptr;
    DWORD count = 0;
    if (!::WTSEnumerateSessionsW(WTS_CURRENT_SERVER_HANDLE, 0, 1, &sessions, &count)) return obstacles;
    for (DWORD i = 0; i < count; ++i) {
        const WTS_SESSION_INFOW& session = sessions[i];
        if (session.SessionId == own || (session.State != WTSActive && session.State != WTSDisconnected)) continue;
        LPWSTR user = nullptr;
        DWORD bytes = 0;
        if (!::WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, session.SessionId, WTSUserName, &user, &bytes)) continue;
        if (user && *user) {
            std::wstring name = user;
            name += session.State == WTSActive ? L"（已登录）" : L"（已断开）";
            if (std::find(obstacles.otherUsers.begin(), obstacles.otherUsers.end(), name) == obstacles.otherUsers.end()) {
                obstacles.otherUsers.push_back(name);
            }
        }
        ::WTSFreeMemory(user);
    }
    ::WTSFreeMemory(sessions);
    return obstacles;
}

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
    // Logging off needs no privilege; the rest is refused without it, told with the reason it could
    // not be had rather than the call's later "privilege not held".
    const DWORD privilege = EnableShutdownPrivilege();
    if (privilege != ERROR_SUCCESS && request.action != PowerAction::LogOff) {
        return SessionEndResult{false, SystemMessage(privilege)};
    }
    // Planned: the system neither logs an unexpected shutdown nor gathers its state first.
    constexpr DWORD kReason = SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_MINOR_OTHER | SHTDN_REASON_FLAG_PLANNED;
    if (::ExitWindowsEx(ExitWindowsFlags(request), kReason)) return SessionEndResult{true, {}};
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
    if (notifyIcon_(NIM_ADD, &data)) return true;
    // The shell refuses to add an icon it still has (a tray that announced itself again without
    // losing it): that icon is this one, brought up to date.
    return notifyIcon_(NIM_MODIFY, &data) != FALSE;
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

bool Win32Os::SetTrayIconTip(WindowHandle window, std::wstring_view tip) {
    NOTIFYICONDATAW data = TrayIconData(AsWindow(window));
    data.uFlags = NIF_TIP;
    CopyCut(tip, data.szTip);
    return notifyIcon_(NIM_MODIFY, &data) != FALSE;
}

// The user's Run key starts the program at login, hidden; its value names this very exe, so that
// one that moved is found again once it starts from its new place.
WriteResult Win32Os::SetAutostart(bool enabled) {
    constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    constexpr wchar_t kValueName[] = L"Brellix";
    HKEY key = nullptr;
    LSTATUS status = ::RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) return WriteResult{false, SystemMessage(static_cast<DWORD>(status))};
    const RegistryKey run(key);
    if (enabled) {
        const std::wstring command = L"\"" + ExecutablePath() + L"\" --autostart";
        status = ::RegSetValueExW(run.get(), kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                                  static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    } else {
        status = ::RegDeleteValueW(run.get(), kValueName);
        if (status == ERROR_FILE_NOT_FOUND) status = ERROR_SUCCESS;
    }
    if (status != ERROR_SUCCESS) return WriteResult{false, SystemMessage(static_cast<DWORD>(status))};
    return WriteResult{true, {}};
}

}  // namespace brellix::platform::win32
