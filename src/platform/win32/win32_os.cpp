#include "platform/win32/win32_os.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <string>

#include "platform/win32/shutdown_privilege.h"

namespace brellix::platform::win32 {

namespace {

std::wstring Terminated(std::wstring_view text) { return std::wstring(text); }

HWND AsWindow(WindowHandle window) { return static_cast<HWND>(window); }

RECT AsRect(const ScreenRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

}  // namespace

bool Win32Os::AnotherInstanceRunning() {
    HANDLE mutex = ::CreateMutexW(nullptr, FALSE, kSingleInstanceMutexName);
    const bool exists = ::GetLastError() == ERROR_ALREADY_EXISTS;
    if (mutex) singleInstanceMutex_.reset(mutex);
    return exists;
}

// The program's one initialisation of the common controls, before any window exists.
void Win32Os::InitCommonControls() {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&init);
}

std::wstring Win32Os::GetCommandLineW() { return ::GetCommandLineW(); }

std::wstring Win32Os::GetModuleFileNameW() {
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

bool Win32Os::GetVersionExA(OsVersionInfo& info) {
    static_assert(sizeof(OSVERSIONINFOA) == sizeof(OsVersionInfo));
    OSVERSIONINFOA native{};
    native.dwOSVersionInfoSize = info.dwOSVersionInfoSize;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const BOOL ok = ::GetVersionExA(&native);
#pragma GCC diagnostic pop
    if (!ok) return false;
    info.dwMajorVersion = native.dwMajorVersion;
    info.dwMinorVersion = native.dwMinorVersion;
    info.dwBuildNumber = native.dwBuildNumber;
    info.dwPlatformId = native.dwPlatformId;
    std::copy(std::begin(native.szCSDVersion), std::end(native.szCSDVersion), info.szCSDVersion);
    return true;
}

void Win32Os::EnableShutdownPrivilege() { win32::EnableShutdownPrivilege(); }

bool Win32Os::ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) {
    return ::ExitWindowsEx(flags, reserved) != FALSE;
}

std::uint32_t Win32Os::GetPrivateProfileStringW(std::wstring_view section, std::wstring_view key,
                                                std::wstring_view defaultValue, wchar_t* buffer, std::uint32_t size,
                                                std::wstring_view file) {
    return ::GetPrivateProfileStringW(Terminated(section).c_str(), Terminated(key).c_str(),
                                      Terminated(defaultValue).c_str(), buffer, size, Terminated(file).c_str());
}

bool Win32Os::WritePrivateProfileStringW(std::wstring_view section, std::wstring_view key, std::wstring_view value,
                                         std::wstring_view file) {
    return ::WritePrivateProfileStringW(Terminated(section).c_str(), Terminated(key).c_str(),
                                        Terminated(value).c_str(), Terminated(file).c_str()) != FALSE;
}

bool Win32Os::Shell_NotifyIconW(std::uint32_t message, const NotifyIconData& data) {
    NOTIFYICONDATAW native{};
    native.cbSize = sizeof native;
    native.hWnd = AsWindow(data.hWnd);
    native.uID = data.uID;
    native.uFlags = data.uFlags;
    native.uCallbackMessage = data.uCallbackMessage;
    native.hIcon = static_cast<HICON>(data.hIcon);
    const std::size_t tipLength = std::min<std::size_t>(data.szTip.size(), std::size(native.szTip) - 1);
    std::copy_n(data.szTip.data(), tipLength, native.szTip);
    native.szTip[tipLength] = L'\0';
    return ::Shell_NotifyIconW(message, &native) != FALSE;
}

bool Win32Os::SetWindowPosTopmost(WindowHandle window) {
    return ::SetWindowPos(AsWindow(window), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE) != FALSE;
}

bool Win32Os::SetForegroundWindow(WindowHandle window) { return ::SetForegroundWindow(AsWindow(window)) != FALSE; }

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

LocalTimeOfDay Win32Os::GetLocalTime() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return LocalTimeOfDay{now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

std::uint64_t Win32Os::GetTickCount64() { return ::GetTickCount64(); }

std::int64_t Win32Os::GetSystemTimeMilliseconds() {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    const std::uint64_t hundredNs = (std::uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime;
    constexpr std::uint64_t kUnixEpochIn100ns = 116444736000000000ULL;
    return static_cast<std::int64_t>((hundredNs - kUnixEpochIn100ns) / 10000);
}

}  // namespace brellix::platform::win32
