#include "power/privileged_exit.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "platform/memory/memory_os.h"

namespace brellix::power {
namespace {

using platform::MemoryOs;
using platform::OsVersionInfo;
using Calls = std::vector<std::string>;

TEST(PerformPowerAction, OnNtEnablesThePrivilegeThenAsksToEndTheSession) {
    MemoryOs os;
    OsVersionInfo osvInfo;
    PerformPowerAction(os, osvInfo, 0x18);
    EXPECT_EQ(os.calls, (Calls{"GetVersionExA(size=148)", "EnableShutdownPrivilege()", "ExitWindowsEx(0x18, 0)"}));
}

TEST(PerformPowerAction, OutsideNtCallsExitWindowsExDirectlyWithoutAToken) {
    MemoryOs os;
    os.platformId = 1;  // VER_PLATFORM_WIN32_WINDOWS
    OsVersionInfo osvInfo;
    PerformPowerAction(os, osvInfo, 0x05);
    EXPECT_EQ(os.calls, (Calls{"GetVersionExA(size=148)", "ExitWindowsEx(0x5, 0)"}));
}

TEST(PerformPowerAction, PassesEveryFlagsValueUnchangedLogOffIncluded) {
    for (std::uint32_t flags : {0x00u, 0x01u, 0x02u, 0x04u, 0x08u, 0x0Cu, 0x10u, 0x18u, 0xFFFFFFFFu}) {
        MemoryOs os;
        OsVersionInfo osvInfo;
        PerformPowerAction(os, osvInfo, flags);
        const Calls exits = os.CallsNamed({"ExitWindowsEx"});
        char expected[40];
        std::snprintf(expected, sizeof expected, "ExitWindowsEx(0x%x, 0)", flags);
        EXPECT_EQ(exits, Calls{expected});
        EXPECT_EQ(os.CallsNamed({"EnableShutdownPrivilege"}).size(), 1u) << "privilege first, even for log off";
    }
}

TEST(PerformPowerAction, RefusedCallsChangeNothingThatFollows) {
    struct Case {
        const char* name;
        void (*script)(MemoryOs&);
        Calls expected;
    };
    const Case cases[] = {
        {"version query refused: not NT, no privilege", [](MemoryOs& os) { os.versionQuerySucceeds = false; },
         {"GetVersionExA(size=148)", "ExitWindowsEx(0x8, 0)"}},
        {"exit refused: still returns", [](MemoryOs& os) { os.exitWindowsSucceeds = false; },
         {"GetVersionExA(size=148)", "EnableShutdownPrivilege()", "ExitWindowsEx(0x8, 0)"}},
    };
    for (const Case& c : cases) {
        MemoryOs os;
        c.script(os);
        OsVersionInfo osvInfo;
        PerformPowerAction(os, osvInfo, 0x08);
        EXPECT_EQ(os.calls, c.expected) << c.name;
    }
}

TEST(IsWinNT, IsFalseUntilAVersionQuerySucceedsAndKeepsTheLastAnswer) {
    MemoryOs os;
    OsVersionInfo osvInfo;
    os.versionQuerySucceeds = false;
    EXPECT_FALSE(IsWinNT(os, osvInfo));
    os.versionQuerySucceeds = true;
    EXPECT_TRUE(IsWinNT(os, osvInfo));
    os.versionQuerySucceeds = false;
    EXPECT_TRUE(IsWinNT(os, osvInfo)) << "a refused query leaves the record as the last call left it";
    EXPECT_EQ(osvInfo.dwOSVersionInfoSize, 148u);
}

}  // namespace
}  // namespace brellix::power
