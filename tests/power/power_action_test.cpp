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

// The row of a list whose caption is the given one; -1 when no row has it.
template <std::size_t N>
int RowOf(const std::array<Choice, N>& list, std::wstring_view caption) {
    const auto row = std::find_if(list.begin(), list.end(), [&](const Choice& choice) { return choice.itemText == caption; });
    return row == list.end() ? -1 : static_cast<int>(row - list.begin());
}

// What the user reads is what the system is asked for: a caption typed wrong, or two rows swapped,
// would end the session in another way than the window says. Force modes go with power off.
TEST(Vocabulary, EachCaptionAndKeywordAsksForWhatItSays) {
    struct Case {
        std::wstring_view caption;
        std::wstring_view keyword;
        std::uint32_t flags;
        bool forceMode;
    };
    const Case cases[] = {
        {L"关闭系统", L"shutdown", kExitShutdown, false},  {L"关闭电源", L"poweroff", kExitPowerOff, false},
        {L"重启", L"reboot", kExitReboot, false},          {L"注销", L"logoff", kExitLogoff, false},
        {L"自动断电", L"force", kExitForce, true},         {L"让用户断电", L"forceifhung", kExitForceIfHung, true},
    };
    ASSERT_EQ(kPowerActions.size() + kForceModes.size(), std::size(cases));
    for (const Case& c : cases) {
        SCOPED_TRACE(platform::ToCallText(c.caption));
        const int row = c.forceMode ? RowOf(kForceModes, c.caption) : RowOf(kPowerActions, c.caption);
        ASSERT_GE(row, 0);
        const std::uint32_t expected = c.forceMode ? (kExitPowerOff | c.flags) : c.flags;
        EXPECT_EQ(c.forceMode ? FlagsFromListIndices(1, row) : FlagsFromListIndices(row, -1), expected);
        const std::wstring keywords = c.forceMode ? L"poweroff " + std::wstring(c.keyword) : std::wstring(c.keyword);
        EXPECT_EQ(FlagsFromKeywords(keywords).flags, expected);
    }
}

}  // namespace
}  // namespace brellix::power
