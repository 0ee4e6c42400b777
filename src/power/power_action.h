// The vocabulary of ending a session: the power actions and force modes as list items, command-line
// keywords and ExitWindowsEx flags.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "platform/os.h"

namespace brellix::power {

using platform::kExitForce;
using platform::kExitForceIfHung;
using platform::kExitLogoff;
using platform::kExitPowerOff;
using platform::kExitReboot;
using platform::kExitShutdown;

struct Choice {
    std::wstring_view itemText;  // as the window lists it
    std::wstring_view keyword;   // as the command line names it
    std::uint32_t flag;
};

// In list order: an item's position is its meaning. The keyword search runs in this order too.
inline constexpr std::array<Choice, 4> kPowerActions{{
    {L"关闭系统", L"shutdown", kExitShutdown},
    {L"关闭电源", L"poweroff", kExitPowerOff},
    {L"重启", L"reboot", kExitReboot},
    {L"注销", L"logoff", kExitLogoff},
}};

inline constexpr std::array<Choice, 2> kForceModes{{
    {L"自动断电", L"force", kExitForce},
    {L"让用户断电", L"forceifhung", kExitForceIfHung},
}};

// The flags for the two lists' current items; an index that names no item adds nothing, so an
// unknown power action means log off.
std::uint32_t FlagsFromListIndices(int powerAction, int forceMode);

struct KeywordRequest {
    bool actionFound = false;
    std::uint32_t flags = 0;
};

// Plain, case-sensitive substring searches over the whole argument text: the first action keyword
// in list order wins wherever it stands; "forceifhung" is looked for before "force".
KeywordRequest FlagsFromKeywords(std::wstring_view argumentText);

}  // namespace brellix::power
