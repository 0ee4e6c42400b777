#include "platform/win32/win32_os.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "power/privileged_exit.h"
#include "win32_test_support.h"

namespace brellix::platform::win32 {
namespace {

TEST(Win32Os, TheVersionQuerySaysNt) {
    Win32Os os;
    OsVersionInfo osvInfo;
    EXPECT_TRUE(power::IsWinNT(os, osvInfo));
    EXPECT_GE(osvInfo.dwMajorVersion, 5u);
}

TEST(Win32Os, TheComputerNameIsTheSystemsOwn) {
    Win32Os os;
    char expected[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof expected;
    ASSERT_TRUE(::GetComputerNameA(expected, &size));
    const std::string name = power::GetLocalComputerName(os);
    EXPECT_EQ(name, expected);
    EXPECT_FALSE(name.empty());
    EXPECT_LE(name.size(), 15u);
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

TEST(Win32Os, EnableShutdownPrivilegeEnablesItInTheProcessToken) {
    Win32Os os;
    power::EnableShutdownPrivilege(os);
    EXPECT_TRUE(ShutdownPrivilegeEnabled());
}

TEST(Win32Os, EnableShutdownPrivilegeLeavesNoHandleOpen) {
    Win32Os os;
    power::EnableShutdownPrivilege(os);  // warm up whatever the system caches
    DWORD before = 0, after = 0;
    ::GetProcessHandleCount(::GetCurrentProcess(), &before);
    for (int i = 0; i < 20; ++i) power::EnableShutdownPrivilege(os);
    ::GetProcessHandleCount(::GetCurrentProcess(), &after);
    EXPECT_EQ(after, before);
}

TEST(Win32Os, ASecondProcessSeesTheSingleInstanceName) {
    EXPECT_EQ(test::RunSelf(L"--probe-single-instance"), 11) << "nobody holds the name yet";
    Win32Os os;
    EXPECT_FALSE(os.AnotherInstanceRunning());
    EXPECT_EQ(test::RunSelf(L"--probe-single-instance"), 10);
}

TEST(Win32Os, TheCommandLineIsHandedOverWhole) {
    Win32Os os;
    EXPECT_EQ(os.GetCommandLineW(), std::wstring(::GetCommandLineW()));
}

TEST(Win32Os, TheModulePathIsTheRunningExe) {
    Win32Os os;
    EXPECT_EQ(os.GetModuleFileNameW(), test::ThisExePath());
}

TEST(Win32Os, TheClocksAgreeWithTheSystem) {
    Win32Os os;
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    const LocalTimeOfDay seen = os.GetLocalTime();
    const int difference = (seen.hour * 3600 + seen.minute * 60 + seen.second) -
                           (now.wHour * 3600 + now.wMinute * 60 + now.wSecond);
    EXPECT_LE(std::abs(difference), 1);
    const std::uint64_t tick = os.GetTickCount64();
    EXPECT_GE(os.GetTickCount64(), tick);
    EXPECT_GT(os.GetSystemTimeMilliseconds(), 1'600'000'000'000LL);
}

}  // namespace
}  // namespace brellix::platform::win32
