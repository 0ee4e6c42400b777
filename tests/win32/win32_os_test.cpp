#include "platform/win32/win32_os.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/shutdown_privilege.h"
#include "resource_census.h"
#include "win32_test_support.h"

namespace brellix::platform::win32 {
namespace {

// The system is asked for exactly what the request names: every action and force mode.
TEST(Win32Os, EachRequestAsksForItsExitWindowsFlags) {
    const struct {
        PowerAction action;
        UINT flags;
    } actions[] = {{PowerAction::Shutdown, EWX_SHUTDOWN},
                   {PowerAction::PowerOff, EWX_POWEROFF},
                   {PowerAction::Reboot, EWX_REBOOT},
                   {PowerAction::LogOff, EWX_LOGOFF}};
    const struct {
        ForceMode force;
        UINT flags;
    } forces[] = {{ForceMode::None, 0}, {ForceMode::Force, EWX_FORCE}, {ForceMode::ForceIfHung, EWX_FORCEIFHUNG}};
    for (const auto& a : actions) {
        for (const auto& f : forces) {
            EXPECT_EQ(ExitWindowsFlags({a.action, f.force}), a.flags | f.flags) << a.flags << " " << f.flags;
        }
    }
}

// --- The token calls, scripted: what each answers, and what the sequence then makes of it ---

struct Script {
    bool lookupSucceeds = true;
    bool openTokenSucceeds = true;
    bool adjustSucceeds = true;
    DWORD lastError = ERROR_SUCCESS;  // what the system says after the last call
};
struct Seen {
    bool adjusted = false;
    HANDLE adjustedToken = nullptr;
    LUID luid{};
    DWORD attributes = 0;
    int tokensOpen = 0;
};
Script script;
Seen seen;
const HANDLE kToken = reinterpret_cast<HANDLE>(0x100);

HANDLE WINAPI FakeGetCurrentProcess() { return ::GetCurrentProcess(); }

BOOL WINAPI FakeLookupPrivilegeValue(LPCWSTR system, LPCWSTR name, PLUID luid) {
    if (!script.lookupSucceeds || system != nullptr || std::wstring(name) != SE_SHUTDOWN_NAME) return FALSE;
    *luid = LUID{19, 0};
    return TRUE;
}

BOOL WINAPI FakeOpenProcessToken(HANDLE process, DWORD access, PHANDLE token) {
    if (!script.openTokenSucceeds || process != ::GetCurrentProcess() || !(access & TOKEN_ADJUST_PRIVILEGES)) {
        return FALSE;
    }
    *token = kToken;
    ++seen.tokensOpen;
    return TRUE;
}

BOOL WINAPI FakeAdjustTokenPrivileges(HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES state, DWORD, PTOKEN_PRIVILEGES,
                                      PDWORD) {
    seen.adjusted = !disableAll && state->PrivilegeCount == 1;
    seen.adjustedToken = token;
    seen.luid = state->Privileges[0].Luid;
    seen.attributes = state->Privileges[0].Attributes;
    return script.adjustSucceeds && token == kToken;
}

DWORD WINAPI FakeGetLastError() { return script.lastError; }

BOOL WINAPI FakeCloseHandle(HANDLE handle) {
    if (handle == kToken) --seen.tokensOpen;
    return TRUE;
}

constexpr TokenCalls kScripted{FakeGetCurrentProcess, FakeOpenProcessToken, FakeLookupPrivilegeValue,
                               FakeAdjustTokenPrivileges, FakeGetLastError, FakeCloseHandle};

TEST(ShutdownPrivilege, EnablesItInTheOpenedTokenAndReportsEveryFailure) {
    struct Case {
        const char* name;
        Script script;
        DWORD expected;
        bool adjusted;
    };
    const Case cases[] = {
        {"granted", {}, ERROR_SUCCESS, true},
        {"granted, a stale error left over", {.lastError = ERROR_FILE_NOT_FOUND}, ERROR_SUCCESS, true},
        {"the token lacks it", {.lastError = ERROR_NOT_ALL_ASSIGNED}, ERROR_NOT_ALL_ASSIGNED, true},
        {"no token: nothing adjusted", {.openTokenSucceeds = false, .lastError = ERROR_ACCESS_DENIED},
         ERROR_ACCESS_DENIED, false},
        {"no such privilege: nothing adjusted", {.lookupSucceeds = false, .lastError = ERROR_NO_SUCH_PRIVILEGE},
         ERROR_NO_SUCH_PRIVILEGE, false},
        {"adjusting refused", {.adjustSucceeds = false, .lastError = ERROR_INVALID_HANDLE}, ERROR_INVALID_HANDLE,
         true},
    };
    for (const Case& c : cases) {
        script = c.script;
        seen = {};
        EXPECT_EQ(EnableShutdownPrivilege(kScripted), c.expected) << c.name;
        EXPECT_EQ(seen.adjusted, c.adjusted) << c.name;
        if (c.adjusted) {
            EXPECT_EQ(seen.adjustedToken, kToken) << c.name;
            EXPECT_EQ(seen.luid.LowPart, 19u) << c.name;
            EXPECT_EQ(seen.attributes, static_cast<DWORD>(SE_PRIVILEGE_ENABLED)) << c.name;
        }
        EXPECT_EQ(seen.tokensOpen, 0) << c.name << ": every token opened is closed";
    }
    script = {};
}

bool ShutdownPrivilegeEnabled() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    LUID luid{};
    ::LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &luid);
    PRIVILEGE_SET set{1, PRIVILEGE_SET_ALL_NECESSARY, {{luid, 0}}};
    BOOL enabled = FALSE;
    ::PrivilegeCheck(token, &set, &enabled);
    ::CloseHandle(token);
    return enabled != FALSE;
}

TEST(ShutdownPrivilege, IsEnabledInTheProcessToken) {
    EXPECT_EQ(EnableShutdownPrivilege(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_TRUE(ShutdownPrivilegeEnabled());
}

// The real calls, but a token that is never closed: what the census must catch.
BOOL WINAPI KeepHandleOpen(HANDLE) { return TRUE; }

TEST(ShutdownPrivilege, LeavesNoHandleOpen) {
    EnableShutdownPrivilege();  // warm up whatever the system caches
    const int before = test::CountResources().handles;
    for (int i = 0; i < 20; ++i) EnableShutdownPrivilege();
    EXPECT_EQ(test::CountResources().handles, before);

    TokenCalls leaky;
    leaky.closeHandle = KeepHandleOpen;
    for (int i = 0; i < 20; ++i) EnableShutdownPrivilege(leaky);
    EXPECT_EQ(test::CountResources().handles, before + 20) << "the census sees every token left open";
}

TEST(Win32Os, ASecondProcessSeesTheSingleInstanceName) {
    EXPECT_EQ(test::RunSelf(L"--probe-single-instance"), 11) << "nobody holds the name yet";
    Win32Os os;
    EXPECT_FALSE(os.AnotherInstanceRunning());
    EXPECT_EQ(test::RunSelf(L"--probe-single-instance"), 10);
}

TEST(Win32Os, TheCommandLineIsHandedOverWhole) {
    Win32Os os;
    EXPECT_EQ(os.CommandLine(), std::wstring(::GetCommandLineW()));
}

TEST(Win32Os, TheModulePathIsTheRunningExe) {
    Win32Os os;
    EXPECT_EQ(os.ExecutablePath(), test::ThisExePath());
}

TEST(Win32Os, TheClocksAgreeWithTheSystem) {
    Win32Os os;
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    const LocalTimeOfDay seen = os.LocalTime();
    const int difference = (seen.hour * 3600 + seen.minute * 60 + seen.second) -
                           (now.wHour * 3600 + now.wMinute * 60 + now.wSecond);
    EXPECT_LE(std::abs(difference), 1);
    const std::uint64_t tick = os.MonotonicMilliseconds();
    EXPECT_GE(os.MonotonicMilliseconds(), tick);
    EXPECT_GT(os.WallClockMilliseconds(), 1'600'000'000'000LL);
}

}  // namespace
}  // namespace brellix::platform::win32
