#include "power/power_action.h"

namespace brellix::power {

namespace {

bool Contains(std::wstring_view text, std::wstring_view keyword) {
    return text.find(keyword) != std::wstring_view::npos;
}

}  // namespace

std::wstring_view CaptionOf(platform::PowerAction action) {
    for (const ActionChoice& choice : kPowerActions) {
        if (choice.action == action) return choice.itemText;
    }
    return {};
}

platform::SessionEndRequest RequestFromListIndices(int powerAction, int forceMode) {
    platform::SessionEndRequest request;
    if (powerAction >= 0 && static_cast<std::size_t>(powerAction) < kPowerActions.size()) {
        request.action = kPowerActions[static_cast<std::size_t>(powerAction)].action;
    }
    if (forceMode >= 0 && static_cast<std::size_t>(forceMode) < kForceModes.size()) {
        request.force = kForceModes[static_cast<std::size_t>(forceMode)].force;
    }
    return request;
}

std::optional<platform::SessionEndRequest> RequestFromKeywords(std::wstring_view argumentText) {
    std::optional<platform::SessionEndRequest> request;
    for (const ActionChoice& choice : kPowerActions) {
        if (Contains(argumentText, choice.keyword)) {
            request = platform::SessionEndRequest{choice.action};
            break;
        }
    }
    if (!request) return request;
    // "force" is a prefix of "forceifhung", so the longer word must be tried first.
    const ForceChoice& force = kForceModes[0];
    const ForceChoice& forceIfHung = kForceModes[1];
    if (Contains(argumentText, forceIfHung.keyword)) {
        request->force = forceIfHung.force;
    } else if (Contains(argumentText, force.keyword)) {
        request->force = force.force;
    }
    return request;
}

}  // namespace brellix::power
