#include "power/power_action.h"

namespace brellix::power {

namespace {

template <std::size_t N>
std::uint32_t FlagOfIndex(const std::array<Choice, N>& choices, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= N) return 0;
    return choices[static_cast<std::size_t>(index)].flag;
}

bool Contains(std::wstring_view text, std::wstring_view keyword) {
    return text.find(keyword) != std::wstring_view::npos;
}

}  // namespace

std::uint32_t FlagsFromListIndices(int powerAction, int forceMode) {
    return FlagOfIndex(kPowerActions, powerAction) | FlagOfIndex(kForceModes, forceMode);
}

KeywordRequest FlagsFromKeywords(std::wstring_view argumentText) {
    KeywordRequest request;
    for (const Choice& action : kPowerActions) {
        if (Contains(argumentText, action.keyword)) {
            request.flags = action.flag;
            request.actionFound = true;
            break;
        }
    }
    // "force" is a prefix of "forceifhung", so the longer word must be tried first.
    const Choice& force = kForceModes[0];
    const Choice& forceIfHung = kForceModes[1];
    if (Contains(argumentText, forceIfHung.keyword)) {
        request.flags |= forceIfHung.flag;
    } else if (Contains(argumentText, force.keyword)) {
        request.flags |= force.flag;
    }
    return request;
}

}  // namespace brellix::power
