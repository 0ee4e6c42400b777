#include "power/power_action.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <ostream>
#include <set>
#include <string>

#include "platform/memory/memory_os.h"

namespace brellix::power {
namespace {

struct KeywordCase {
    const wchar_t* argumentText;
    bool actionFound;
    std::uint32_t flags;
};

void PrintTo(const KeywordCase& c, std::ostream* out) {
    for (const wchar_t* p = c.argumentText; *p; ++p) *out << (*p < 0x80 ? static_cast<char>(*p) : '?');
}

class KeywordSearch : public ::testing::TestWithParam<KeywordCase> {};

TEST_P(KeywordSearch, GivesTheFlagsOfTheFirstActionInListOrderAndOneForceBit) {
    const KeywordCase& c = GetParam();
    const KeywordRequest request = FlagsFromKeywords(c.argumentText);
    EXPECT_EQ(request.actionFound, c.actionFound);
    EXPECT_EQ(request.flags, c.flags);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, KeywordSearch,
    ::testing::Values(
        KeywordCase{L"", false, 0x00}, KeywordCase{L"shutdown", true, 0x01}, KeywordCase{L"poweroff", true, 0x08},
        KeywordCase{L"reboot", true, 0x02}, KeywordCase{L"logoff", true, 0x00},
        // The fixed order decides, not the position in the text.
        KeywordCase{L"reboot shutdown", true, 0x01}, KeywordCase{L"shutdown reboot", true, 0x01},
        KeywordCase{L"logoff poweroff", true, 0x08}, KeywordCase{L"logoff reboot", true, 0x02},
        // Force modes, exclusive, the longer word first.
        KeywordCase{L"logoff force", true, 0x04}, KeywordCase{L"poweroff forceifhung", true, 0x18},
        KeywordCase{L"poweroff force", true, 0x0C}, KeywordCase{L"poweroff force forceifhung", true, 0x18},
        KeywordCase{L"forceifhung poweroff force", true, 0x18},
        // A force keyword alone is no action.
        KeywordCase{L"force", false, 0x04}, KeywordCase{L"forceifhung", false, 0x10},
        // Case-sensitive: capitals anywhere mean no match.
        KeywordCase{L"Shutdown", false, 0}, KeywordCase{L"SHUTDOWN POWEROFF Reboot logOff", false, 0},
        KeywordCase{L"poweroff Force", true, 0x08}, KeywordCase{L"poweroff FORCEIFHUNG force", true, 0x0C},
        // Substrings, slashes, dashes, colons and quotes are not looked at.
        KeywordCase{L"/shutdown", true, 0x01}, KeywordCase{L"-reboot", true, 0x02},
        KeywordCase{L"--poweroff:now", true, 0x08}, KeywordCase{L"x/poweroff:forceifhung", true, 0x18},
        KeywordCase{L"preshutdownpost", true, 0x01}, KeywordCase{L"\"logoff\"", true, 0x00},
        KeywordCase{L"enforcement", false, 0x04}, KeywordCase{L"reinforce reboot", true, 0x06},
        KeywordCase{L"shut down", false, 0}, KeywordCase{L"\u00a0shutdown\u3000", true, 0x01}));

TEST(FlagsFromListIndices, CoverAllTwelveValuesOfTheTwoLists) {
    const std::uint32_t expected[4][3] = {
        // force mode: none (-1), force (0), force if hung (1)
        {0x01, 0x05, 0x11},
        {0x08, 0x0C, 0x18},
        {0x02, 0x06, 0x12},
        {0x00, 0x04, 0x10},
    };
    std::set<std::uint32_t> seen;
    for (int action = 0; action < 4; ++action) {
        for (int force = -1; force < 2; ++force) {
            const std::uint32_t flags = FlagsFromListIndices(action, force);
            EXPECT_EQ(flags, expected[action][force + 1]) << "action " << action << " force " << force;
            EXPECT_NE(flags & (kExitForce | kExitForceIfHung), kExitForce | kExitForceIfHung);
            seen.insert(flags);
        }
    }
    EXPECT_EQ(seen.size(), 12u);
}

TEST(FlagsFromListIndices, IndicesThatNameNoItemAddNothing) {
    for (int outside : {-1, 4, 5, 100, -32768, 32767}) {
        EXPECT_EQ(FlagsFromListIndices(outside, -1), kExitLogoff) << outside;
        EXPECT_EQ(FlagsFromListIndices(3, outside), kExitLogoff) << outside;
        EXPECT_EQ(FlagsFromListIndices(outside, 0), kExitForce) << outside;
    }
}

// What the user reads is what the system is asked for: a caption typed wrong, or two rows swapped,
// would end the session in another way than the window says.
TEST(Vocabulary, EachCaptionAndKeywordAsksForWhatItSays) {
    struct Case {
        std::wstring_view caption;
        std::wstring_view keyword;
        std::uint32_t flags;
    };
    const Case actions[] = {
        {L"关闭系统", L"shutdown", kExitShutdown},
        {L"关闭电源", L"poweroff", kExitPowerOff},
        {L"重启", L"reboot", kExitReboot},
        {L"注销", L"logoff", kExitLogoff},
    };
    ASSERT_EQ(kPowerActions.size(), std::size(actions));
    for (const Case& c : actions) {
        const auto row = std::find_if(kPowerActions.begin(), kPowerActions.end(),
                                      [&](const Choice& choice) { return choice.itemText == c.caption; });
        ASSERT_NE(row, kPowerActions.end()) << platform::ToCallText(c.caption);
        EXPECT_EQ(FlagsFromListIndices(static_cast<int>(row - kPowerActions.begin()), -1), c.flags);
        EXPECT_EQ(FlagsFromKeywords(c.keyword).flags, c.flags);
    }
    const Case modes[] = {
        {L"自动断电", L"force", kExitForce},
        {L"让用户断电", L"forceifhung", kExitForceIfHung},
    };
    ASSERT_EQ(kForceModes.size(), std::size(modes));
    for (const Case& c : modes) {
        const auto row = std::find_if(kForceModes.begin(), kForceModes.end(),
                                      [&](const Choice& choice) { return choice.itemText == c.caption; });
        ASSERT_NE(row, kForceModes.end()) << platform::ToCallText(c.caption);
        EXPECT_EQ(FlagsFromListIndices(1, static_cast<int>(row - kForceModes.begin())), kExitPowerOff | c.flags);
        EXPECT_EQ(FlagsFromKeywords(std::wstring(L"poweroff ") + std::wstring(c.keyword)).flags,
                  kExitPowerOff | c.flags);
    }
}

}  // namespace
}  // namespace brellix::power
