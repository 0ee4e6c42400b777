// The vocabulary of ending a session: the power actions and force modes as the window lists them
// and as the command line names them.
#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "platform/os.h"

namespace brellix::power {

struct ActionChoice {
    std::wstring_view itemText;  // as the window lists it
    std::wstring_view keyword;   // as the command line names it
    platform::PowerAction action;
};

struct ForceChoice {
    std::wstring_view itemText;
    std::wstring_view keyword;
    platform::ForceMode force;
};

// In list order: an item's position is its meaning. The keyword search runs in this order too.
inline constexpr std::array<ActionChoice, 4> kPowerActions{{
    {L"关闭系统", L"shutdown", platform::PowerAction::Shutdown},
    {L"关闭电源", L"poweroff", platform::PowerAction::PowerOff},
    {L"重启", L"reboot", platform::PowerAction::Reboot},
    {L"注销", L"logoff", platform::PowerAction::LogOff},
}};

inline constexpr std::array<ForceChoice, 2> kForceModes{{
    {L"自动断电", L"force", platform::ForceMode::Force},
    {L"让用户断电", L"forceifhung", platform::ForceMode::ForceIfHung},
}};

// The action's caption in the window's list: how every message names it.
std::wstring_view CaptionOf(platform::PowerAction action);

// The request for the two lists' current items; an index that names no item adds nothing, so an
// unknown power action means log off, and an unknown force mode none.
platform::SessionEndRequest RequestFromListIndices(int powerAction, int forceMode);

// Plain, case-sensitive substring searches over the whole argument text: the first action keyword
// in list order wins wherever it stands; "forceifhung" is looked for before "force". None when no
// action keyword is there (a force keyword alone asks for nothing).
std::optional<platform::SessionEndRequest> RequestFromKeywords(std::wstring_view argumentText);

}  // namespace brellix::power
