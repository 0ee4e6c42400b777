// Enabling the shutdown privilege in the process token before ExitWindowsEx, kept here so that
// nothing above the backend sees a token.
#pragma once

#include <windows.h>

namespace brellix::platform::win32 {

// The system calls the sequence makes; tests hand in their own to script the answers.
struct TokenCalls {
    HANDLE(WINAPI* getCurrentProcess)() = ::GetCurrentProcess;
    BOOL(WINAPI* openProcessToken)(HANDLE, DWORD, PHANDLE) = ::OpenProcessToken;
    BOOL(WINAPI* lookupPrivilegeValue)(LPCWSTR, LPCWSTR, PLUID) = ::LookupPrivilegeValueW;
    BOOL(WINAPI* adjustTokenPrivileges)(HANDLE, BOOL, PTOKEN_PRIVILEGES, DWORD, PTOKEN_PRIVILEGES, PDWORD) =
        ::AdjustTokenPrivileges;
    DWORD(WINAPI* getLastError)() = ::GetLastError;
    BOOL(WINAPI* closeHandle)(HANDLE) = ::CloseHandle;
};

// Looks the privilege up on this computer, enables it in the process token and closes the token.
// Returns ERROR_SUCCESS, or the system's error: the token or the privilege could not be had, or the
// token lacks the privilege (ERROR_NOT_ALL_ASSIGNED).
DWORD EnableShutdownPrivilege(const TokenCalls& calls = {});

}  // namespace brellix::platform::win32
