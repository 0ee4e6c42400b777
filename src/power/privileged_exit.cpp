#include "power/privileged_exit.h"

#include <cstring>

#include "platform/unique_resource.h"

namespace brellix::power {

namespace {

struct TokenCloser {
    platform::Os* os = nullptr;
    void operator()(platform::NativeHandle token) const { os->CloseHandle(token); }
};
using UniqueToken = platform::unique_resource<platform::NativeHandle, TokenCloser>;

constexpr std::uint32_t kComputerNameChars = 15;

}  // namespace

bool IsWinNT(platform::Os& os, platform::OsVersionInfo& osvInfo) {
    osvInfo.dwOSVersionInfoSize = sizeof(platform::OsVersionInfo);
    os.GetVersionExA(osvInfo);
    return osvInfo.dwPlatformId == kVerPlatformWin32Nt;
}

std::string GetLocalComputerName(platform::Os& os) {
    char buffer[kComputerNameChars + 1] = {};  // the name's 15 characters and its NUL
    std::uint32_t size = kComputerNameChars + 1;
    os.GetComputerNameA(buffer, size);
    return std::string(buffer, strnlen(buffer, kComputerNameChars));
}

void EnableShutdownPrivilege(platform::Os& os) {
    const platform::NativeHandle process = os.GetCurrentProcess();
    platform::NativeHandle rawToken = nullptr;
    const bool opened = os.OpenProcessToken(process, kTokenAdjustPrivileges | kTokenQuery, rawToken);
    // Closed on every path; the token is of no use after the adjustment.
    UniqueToken token;
    if (opened) token = UniqueToken(rawToken, TokenCloser{&os});

    const std::string computerName = GetLocalComputerName(os);
    platform::Luid luid;
    os.LookupPrivilegeValueA(computerName.c_str(), kShutdownPrivilegeName, luid);

    platform::TokenPrivileges newState;
    newState.PrivilegeCount = 1;
    newState.Privileges[0].Attributes = kSePrivilegeEnabled;
    newState.Privileges[0].Luid = luid;
    platform::TokenPrivileges previousState;
    std::uint32_t returnLength = 0;
    const std::uint32_t bufferLength = 4 + 12 * newState.PrivilegeCount;
    os.AdjustTokenPrivileges(rawToken, false, newState, bufferLength, &previousState, &returnLength);
}

void PerformPowerAction(platform::Os& os, platform::OsVersionInfo& osvInfo, std::uint32_t flags) {
    if (IsWinNT(os, osvInfo)) EnableShutdownPrivilege(os);
    os.ExitWindowsEx(flags, 0);
}

}  // namespace brellix::power
