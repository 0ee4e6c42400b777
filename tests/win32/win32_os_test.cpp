#include "platform/win32/win32_os.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

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

TEST(ShutdownPrivilege, TheComputerNameIsTheSystemsOwn) {
    char expected[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof expected;
    ASSERT_TRUE(::GetComputerNameA(expected, &size));
    const std::string name = GetLocalComputerName();
    EXPECT_EQ(name, expected);
    EXPECT_FALSE(name.empty());
    EXPECT_LE(name.size(), 15u);
}

// --- The token calls, watched: a script of answers and a log of what was asked ---

struct Script {
    std::string computerName = "BRELLIX-PC";
    bool computerNameSucceeds = true;
    bool openTokenSucceeds = true;
    bool lookupSucceeds = true;
};
Script script;
std::vector<std::string> calls;
const HANDLE kToken = reinterpret_cast<HANDLE>(0x100);

std::string Hex(std::uintptr_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
    return text;
}

HANDLE WINAPI FakeGetCurrentProcess() { return reinterpret_cast<HANDLE>(-1); }

BOOL WINAPI FakeOpenProcessToken(HANDLE process, DWORD access, PHANDLE token) {
    calls.push_back("OpenProcessToken(" + std::string(process == reinterpret_cast<HANDLE>(-1) ? "current process" : "?") +
                    ", access=" + Hex(access) + ")");
    if (!script.openTokenSucceeds) return FALSE;
    *token = kToken;
    return TRUE;
}

BOOL WINAPI FakeGetComputerName(LPSTR buffer, LPDWORD size) {
    calls.push_back("GetComputerNameA(size=" + std::to_string(*size) + ")");
    if (!script.computerNameSucceeds) return FALSE;
    const DWORD needed = static_cast<DWORD>(script.computerName.size()) + 1;
    if (needed > *size) {
        *size = needed;
        return FALSE;
    }
    std::memcpy(buffer, script.computerName.c_str(), needed);
    *size = needed - 1;
    return TRUE;
}

BOOL WINAPI FakeLookupPrivilegeValue(LPCSTR system, LPCSTR name, PLUID luid) {
    calls.push_back("LookupPrivilegeValueA(\"" + std::string(system) + "\", \"" + name + "\")");
    if (!script.lookupSucceeds) return FALSE;
    *luid = LUID{19, 0};
    return TRUE;
}

BOOL WINAPI FakeAdjustTokenPrivileges(HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES state, DWORD length,
                                      PTOKEN_PRIVILEGES previous, PDWORD returnLength) {
    const LUID_AND_ATTRIBUTES& first = state->Privileges[0];
    calls.push_back("AdjustTokenPrivileges(" + Hex(reinterpret_cast<std::uintptr_t>(token)) +
                    ", disableAll=" + std::to_string(disableAll) + ", count=" + std::to_string(state->PrivilegeCount) +
                    ", luid=" + std::to_string(first.Luid.LowPart) + ":" + std::to_string(first.Luid.HighPart) +
                    ", attributes=" + Hex(first.Attributes) + ", bufferLength=" + std::to_string(length) +
                    ", previous=" + (previous ? "yes" : "null") + ", returnLength=" + (returnLength ? "yes" : "null") +
                    ")");
    return token == kToken;
}

BOOL WINAPI FakeCloseHandle(HANDLE handle) {
    calls.push_back("CloseHandle(" + Hex(reinterpret_cast<std::uintptr_t>(handle)) + ")");
    return TRUE;
}

constexpr TokenCalls kWatched{FakeGetCurrentProcess, FakeOpenProcessToken, FakeGetComputerName,
                              FakeLookupPrivilegeValue, FakeAdjustTokenPrivileges, FakeCloseHandle};

TEST(ShutdownPrivilege, AsksForTheTokenThePrivilegeAndClosesTheTokenOnEveryPath) {
    using Calls = std::vector<std::string>;
    const std::string adjusted =
        ", disableAll=0, count=1, luid=19:0, attributes=0x2, bufferLength=16, previous=yes, returnLength=yes)";
    struct Case {
        const char* name;
        Script script;
        Calls expected;
    };
    const Case cases[] = {
        {"all granted",
         {},
         {"OpenProcessToken(current process, access=0x28)", "GetComputerNameA(size=16)",
          "LookupPrivilegeValueA(\"BRELLIX-PC\", \"SeShutdownPrivilege\")", "AdjustTokenPrivileges(0x100" + adjusted,
          "CloseHandle(0x100)"}},
        {"token refused: adjusted with a null token, nothing to close",
         {.openTokenSucceeds = false},
         {"OpenProcessToken(current process, access=0x28)", "GetComputerNameA(size=16)",
          "LookupPrivilegeValueA(\"BRELLIX-PC\", \"SeShutdownPrivilege\")", "AdjustTokenPrivileges(0x0" + adjusted}},
        {"lookup refused: the LUID stays zero",
         {.lookupSucceeds = false},
         {"OpenProcessToken(current process, access=0x28)", "GetComputerNameA(size=16)",
          "LookupPrivilegeValueA(\"BRELLIX-PC\", \"SeShutdownPrivilege\")",
          "AdjustTokenPrivileges(0x100, disableAll=0, count=1, luid=0:0, attributes=0x2, bufferLength=16, "
          "previous=yes, returnLength=yes)",
          "CloseHandle(0x100)"}},
        {"computer name refused: looked up on the empty name",
         {.computerNameSucceeds = false},
         {"OpenProcessToken(current process, access=0x28)", "GetComputerNameA(size=16)",
          "LookupPrivilegeValueA(\"\", \"SeShutdownPrivilege\")", "AdjustTokenPrivileges(0x100" + adjusted,
          "CloseHandle(0x100)"}},
    };
    for (const Case& c : cases) {
        script = c.script;
        calls.clear();
        EnableShutdownPrivilege(kWatched);
        EXPECT_EQ(calls, c.expected) << c.name;
    }
    script = {};
}

TEST(ShutdownPrivilege, UsesTheComputerNameUpToItsNulAndFifteenCharactersWhole) {
    struct Case {
        std::string reported;
        bool succeeds;
        std::string expected;
    };
    const Case cases[] = {
        {"PC", true, "PC"},
        {"ABCDEFGHIJKLMNO", true, "ABCDEFGHIJKLMNO"},
        {"ABCDEFGHIJKLMNOP", true, ""},  // does not fit: the call fails and the buffer stays empty
        {"ANYTHING", false, ""},
        {"", true, ""},
    };
    for (const Case& c : cases) {
        script = Script{c.reported, c.succeeds};
        calls.clear();
        EXPECT_EQ(GetLocalComputerName(kWatched), c.expected) << c.reported;
        EXPECT_EQ(calls, std::vector<std::string>{"GetComputerNameA(size=16)"});
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
    EnableShutdownPrivilege();
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
