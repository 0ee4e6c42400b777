#include "power/privileged_exit.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "platform/memory/memory_os.h"

namespace brellix::power {
namespace {

using platform::MemoryOs;
using platform::OsVersionInfo;
using Calls = std::vector<std::string>;

TEST(PerformPowerAction, OnNtEnablesThePrivilegeThenAsksToEndTheSessionAndClosesTheToken) {
    MemoryOs os;
    OsVersionInfo osvInfo;
    PerformPowerAction(os, osvInfo, 0x18);
    EXPECT_EQ(os.calls, (Calls{
                            "GetVersionExA(size=148)",
                            "GetCurrentProcess()",
                            "OpenProcessToken(current process, access=0x28)",
                            "GetComputerNameA(size=16)",
                            "LookupPrivilegeValueA(\"BRELLIX-PC\", \"SeShutdownPrivilege\")",
                            "AdjustTokenPrivileges(0x100, disableAll=0, count=1, luid=19:0, attributes=0x2, "
                            "second=0, bufferLength=16, previous=yes, returnLength=yes)",
                            "CloseHandle(0x100)",
                            "ExitWindowsEx(0x18, 0)",
                        }));
    EXPECT_TRUE(os.openHandles.empty());
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
        EXPECT_EQ(os.CallsNamed({"AdjustTokenPrivileges"}).size(), 1u) << "privilege first, even for log off";
    }
}

TEST(PerformPowerAction, RefusedCallsChangeNothingThatFollows) {
    struct Case {
        const char* name;
        void (*script)(MemoryOs&);
        Calls expectedTail;
    };
    const Case cases[] = {
        {"version query refused: not NT, no token",
         [](MemoryOs& os) { os.versionQuerySucceeds = false; }, {"GetVersionExA(size=148)", "ExitWindowsEx(0x8, 0)"}},
        {"token refused: adjusted with a null token, nothing to close",
         [](MemoryOs& os) { os.openTokenSucceeds = false; },
         {"AdjustTokenPrivileges(0x0, disableAll=0, count=1, luid=19:0, attributes=0x2, second=0, bufferLength=16, "
          "previous=yes, returnLength=yes)",
          "ExitWindowsEx(0x8, 0)"}},
        {"lookup refused: the LUID stays zero",
         [](MemoryOs& os) { os.lookupSucceeds = false; },
         {"AdjustTokenPrivileges(0x100, disableAll=0, count=1, luid=0:0, attributes=0x2, second=0, bufferLength=16, "
          "previous=yes, returnLength=yes)",
          "CloseHandle(0x100)", "ExitWindowsEx(0x8, 0)"}},
        {"exit refused: still returns", [](MemoryOs& os) { os.exitWindowsSucceeds = false; },
         {"CloseHandle(0x100)", "ExitWindowsEx(0x8, 0)"}},
    };
    for (const Case& c : cases) {
        MemoryOs os;
        c.script(os);
        OsVersionInfo osvInfo;
        PerformPowerAction(os, osvInfo, 0x08);
        ASSERT_GE(os.calls.size(), c.expectedTail.size()) << c.name;
        const Calls tail(os.calls.end() - static_cast<std::ptrdiff_t>(c.expectedTail.size()), os.calls.end());
        EXPECT_EQ(tail, c.expectedTail) << c.name;
        EXPECT_TRUE(os.openHandles.empty()) << c.name;
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

TEST(GetLocalComputerName, UsesTheNameUpToItsNulAndFifteenCharactersWhole) {
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
        MemoryOs os;
        os.computerName = c.reported;
        os.computerNameSucceeds = c.succeeds;
        EXPECT_EQ(GetLocalComputerName(os), c.expected) << c.reported;
        EXPECT_EQ(os.calls, Calls{"GetComputerNameA(size=16)"});
    }
}

}  // namespace
}  // namespace brellix::power
