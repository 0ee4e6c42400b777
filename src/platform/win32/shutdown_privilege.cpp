#include "platform/win32/shutdown_privilege.h"

#include "platform/unique_resource.h"

namespace brellix::platform::win32 {

namespace {

struct TokenCloser {
    const TokenCalls* calls = nullptr;
    void operator()(HANDLE token) const noexcept { calls->closeHandle(token); }
};
using UniqueToken = unique_resource<HANDLE, TokenCloser>;

}  // namespace

DWORD EnableShutdownPrivilege(const TokenCalls& calls) {
    LUID luid{};
    if (!calls.lookupPrivilegeValue(nullptr, SE_SHUTDOWN_NAME, &luid)) return calls.getLastError();
    HANDLE rawToken = nullptr;
    if (!calls.openProcessToken(calls.getCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &rawToken)) {
        return calls.getLastError();
    }
    const UniqueToken token(rawToken, TokenCloser{&calls});
    TOKEN_PRIVILEGES enabled{1, {{luid, SE_PRIVILEGE_ENABLED}}};
    if (!calls.adjustTokenPrivileges(token.get(), FALSE, &enabled, 0, nullptr, nullptr)) return calls.getLastError();
    // The call succeeds for a token without the privilege too; only the last error tells.
    const DWORD error = calls.getLastError();
    return error == ERROR_NOT_ALL_ASSIGNED ? error : ERROR_SUCCESS;
}

}  // namespace brellix::platform::win32
