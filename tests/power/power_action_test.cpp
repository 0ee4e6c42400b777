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

using platform::ToCallText;

// A request as the call lines show it ("PowerOff, Force"); "none" when nothing is asked.
std::string Shown(const std::optional<platform::SessionEndRequest>& request) {
    return request ? ToCallText(*request) : "none";
}

struct KeywordCase {
    const wchar_t* argumentText;
    const char* request;
};

void PrintTo(const KeywordCase& c, std::ostream* out) {
    for (const wchar_t* p = c.argumentText; *p; ++p) *out << (*p < 0x80 ? static_cast<char>(*p) : '?');
}

class KeywordSearch : public ::testing::TestWithParam<KeywordCase> {};

TEST_P(KeywordSearch, AsksForTheFirstActionInListOrderWithOneForceMode) {
    EXPECT_EQ(Shown(RequestFromKeywords(GetParam().argumentText)), GetParam().request);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, KeywordSearch,
    ::testing::Values(
        KeywordCase{L"", "none"}, KeywordCase{L"shutdown", "Shutdown"}, KeywordCase{L"poweroff", "PowerOff"},
        KeywordCase{L"reboot", "Reboot"}, KeywordCase{L"logoff", "LogOff"},
        // The fixed order decides, not the position in the text.
        KeywordCase{L"reboot shutdown", "Shutdown"}, KeywordCase{L"shutdown reboot", "Shutdown"},
        KeywordCase{L"logoff poweroff", "PowerOff"}, KeywordCase{L"logoff reboot", "Reboot"},
        // Force modes, exclusive, the longer word first.
        KeywordCase{L"logoff force", "LogOff, Force"}, KeywordCase{L"poweroff forceifhung", "PowerOff, ForceIfHung"},
        KeywordCase{L"poweroff force", "PowerOff, Force"},
        KeywordCase{L"poweroff force forceifhung", "PowerOff, ForceIfHung"},
        KeywordCase{L"forceifhung poweroff force", "PowerOff, ForceIfHung"},
        // A force keyword alone is no action.
        KeywordCase{L"force", "none"}, KeywordCase{L"forceifhung", "none"},
        // Case-sensitive: capitals anywhere mean no match.
        KeywordCase{L"Shutdown", "none"}, KeywordCase{L"SHUTDOWN POWEROFF Reboot logOff", "none"},
        KeywordCase{L"poweroff Force", "PowerOff"}, KeywordCase{L"poweroff FORCEIFHUNG force", "PowerOff, Force"},
        // Substrings, slashes, dashes, colons and quotes are not looked at.
        KeywordCase{L"/shutdown", "Shutdown"}, KeywordCase{L"-reboot", "Reboot"},
        KeywordCase{L"--poweroff:now", "PowerOff"}, KeywordCase{L"x/poweroff:forceifhung", "PowerOff, ForceIfHung"},
        KeywordCase{L"preshutdownpost", "Shutdown"}, KeywordCase{L"\"logoff\"", "LogOff"},
        KeywordCase{L"enforcement", "none"}, KeywordCase{L"reinforce reboot", "Reboot, Force"},
        KeywordCase{L"shut down", "none"}, KeywordCase{L"\u00a0shutdown\u3000", "Shutdown"}));

TEST(RequestFromListIndices, CoversAllTwelveChoicesOfTheTwoLists) {
    std::set<std::string> seen;
    for (int action = 0; action < 4; ++action) {
        for (int force = -1; force < 2; ++force) seen.insert(Shown(RequestFromListIndices(action, force)));
    }
    EXPECT_EQ(seen.size(), 12u);
}

TEST(RequestFromListIndices, IndicesThatNameNoItemAddNothing) {
    for (int outside : {-1, 4, 5, 100, -32768, 32767}) {
        EXPECT_EQ(Shown(RequestFromListIndices(outside, -1)), "LogOff") << outside;
        EXPECT_EQ(Shown(RequestFromListIndices(3, outside)), "LogOff") << outside;
        EXPECT_EQ(Shown(RequestFromListIndices(outside, 0)), "LogOff, Force") << outside;
    }
}

// The row of a list whose caption is the given one; -1 when no row has it.
template <class Choices>
int RowOf(const Choices& list, std::wstring_view caption) {
    const auto row = std::find_if(list.begin(), list.end(), [&](const auto& choice) { return choice.itemText == caption; });
    return row == list.end() ? -1 : static_cast<int>(row - list.begin());
}

// What the user reads is what the system is asked for: a caption typed wrong, or two rows swapped,
// would end the session in another way than the window says. Force modes go with power off.
TEST(Vocabulary, EachCaptionAndKeywordAsksForWhatItSays) {
    struct Case {
        std::wstring_view caption;
        std::wstring_view keyword;
        const char* request;
        bool forceMode;
    };
    const Case cases[] = {
        {L"关闭系统", L"shutdown", "Shutdown", false},  {L"关闭电源", L"poweroff", "PowerOff", false},
        {L"重启", L"reboot", "Reboot", false},          {L"注销", L"logoff", "LogOff", false},
        {L"自动断电", L"force", "PowerOff, Force", true}, {L"让用户断电", L"forceifhung", "PowerOff, ForceIfHung", true},
    };
    ASSERT_EQ(kPowerActions.size() + kForceModes.size(), std::size(cases));
    for (const Case& c : cases) {
        SCOPED_TRACE(ToCallText(c.caption));
        const int row = c.forceMode ? RowOf(kForceModes, c.caption) : RowOf(kPowerActions, c.caption);
        ASSERT_GE(row, 0);
        EXPECT_EQ(Shown(c.forceMode ? RequestFromListIndices(1, row) : RequestFromListIndices(row, -1)), c.request);
        const std::wstring keywords = c.forceMode ? L"poweroff " + std::wstring(c.keyword) : std::wstring(c.keyword);
        EXPECT_EQ(Shown(RequestFromKeywords(keywords)), c.request);
    }
}

}  // namespace
}  // namespace brellix::power
