#include "scheduler/schedule.h"

namespace brellix::scheduler {

void Schedule::Arm(int targetSecondOfDay, platform::SessionEndRequest request, const ClockReading& now) {
    armed_ = true;
    targetSecondOfDay_ = targetSecondOfDay;
    request_ = request;
    previousReading_ = now;
}

void Schedule::Disarm() {
    armed_ = false;
    previousReading_.reset();
}

std::optional<platform::SessionEndRequest> Schedule::Tick(const ClockReading& now) {
    if (!armed_) return std::nullopt;
    const bool reached = TargetReached(targetSecondOfDay_, now, previousReading_);
    previousReading_ = now;
    if (!reached) return std::nullopt;
    Disarm();
    return request_;
}

}  // namespace brellix::scheduler
