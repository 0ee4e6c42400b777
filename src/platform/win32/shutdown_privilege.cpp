#include "platform/win32/shutdown_privilege.h"

#include <cstring>

#include "platform/unique_resource.h"

namespace brellix::platform::win32 {

namespace {

struct TokenCloser {
    const TokenCalls* calls = nullptr;
    void operator()(HANDLE token) const noexcept { calls->closeHandle(token); }
};
using UniqueToken = unique_resource<HANDLE, TokenCloser>;

constexpr DWORD kComputerNameChars = 15;

// TOKEN_PRIVILEGES with room for a second entry that stays empty: the layout the previous state
// is read back into.
struct TwoPrivileges {
    DWORD PrivilegeCount;
    LUID_AND_ATTRIBUTES Privileges[2];
};

}  // namespace

std::string GetLocalComputerName(const TokenCalls& calls) {
    char buffer[kComputerNameChars + 1] = {};  // the name's 15 characters and its NUL
    DWORD size = kComputerNameChars + 1;
    calls.getComputerName(buffer, &size);
    return std::string(buffer, strnlen(buffer, kComputerNameChars));
}

void EnableShutdownPrivilege(const TokenCalls& calls) {
    HANDLE rawToken = nullptr;
    const BOOL opened = calls.openProcessToken(calls.getCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &rawToken);
    // Closed on every path; the token is of no use after the adjustment.
    UniqueToken token;
    if (opened) token = UniqueToken(rawToken, TokenCloser{&calls});
    const HANDLE adjusted = opened ? rawToken : nullptr;

    const std::string computerName = GetLocalComputerName(calls);
    LUID luid{};
    calls.lookupPrivilegeValue(computerName.c_str(), kShutdownPrivilegeName, &luid);

    TwoPrivileges newState{};
    newState.PrivilegeCount = 1;
    newState.Privileges[0].Luid = luid;
    newState.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    TwoPrivileges previousState{};
    DWORD returnLength = 0;
    const DWORD bufferLength = sizeof(DWORD) + sizeof(LUID_AND_ATTRIBUTES) * newState.PrivilegeCount;
    calls.adjustTokenPrivileges(adjusted, FALSE, reinterpret_cast<PTOKEN_PRIVILEGES>(&newState), bufferLength,
                                reinterpret_cast<PTOKEN_PRIVILEGES>(&previousState), &returnLength);
}

}  // namespace brellix::platform::win32
