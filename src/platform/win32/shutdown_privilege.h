// Enabling "SeShutdownPrivilege": the exact sequence of token calls the system expects before
// ExitWindowsEx, kept here so that nothing above the backend sees a token.
#pragma once

#include <windows.h>

#include <string>

namespace brellix::platform::win32 {

inline constexpr char kShutdownPrivilegeName[] = "SeShutdownPrivilege";

// The system calls the sequence makes; tests hand in their own to watch the arguments.
struct TokenCalls {
    HANDLE(WINAPI* getCurrentProcess)() = ::GetCurrentProcess;
    BOOL(WINAPI* openProcessToken)(HANDLE, DWORD, PHANDLE) = ::OpenProcessToken;
    BOOL(WINAPI* getComputerName)(LPSTR, LPDWORD) = ::GetComputerNameA;
    BOOL(WINAPI* lookupPrivilegeValue)(LPCSTR, LPCSTR, PLUID) = ::LookupPrivilegeValueA;
    BOOL(WINAPI* adjustTokenPrivileges)(HANDLE, BOOL, PTOKEN_PRIVILEGES, DWORD, PTOKEN_PRIVILEGES, PDWORD) =
        ::AdjustTokenPrivileges;
    BOOL(WINAPI* closeHandle)(HANDLE) = ::CloseHandle;
};

// The computer name, cut at its first NUL; empty when the query is refused.
std::string GetLocalComputerName(const TokenCalls& calls = {});

// Opens the process token for adjusting and querying, looks the privilege up on this computer,
// enables it and closes the token on every path. Nothing is reported.
void EnableShutdownPrivilege(const TokenCalls& calls = {});

}  // namespace brellix::platform::win32
