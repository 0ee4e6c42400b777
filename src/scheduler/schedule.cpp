#include "scheduler/schedule.h"

namespace brellix::scheduler {

namespace {

// Milliseconds from `now` to the start of the target second, the next time it comes.
int MillisecondsUntil(int targetSecondOfDay, const ClockReading& now) {
    const int until = targetSecondOfDay * 1000 - now.millisecondOfDay;
    return until >= 0 ? until : until + kMillisecondsPerDay;
}

}  // namespace

void Schedule::Arm(int targetSecondOfDay, platform::SessionEndRequest request, const ClockReading& now,
                   int warningSeconds) {
    armed_ = true;
    targetSecondOfDay_ = targetSecondOfDay;
    request_ = request;
    previousReading_ = now;
    warningSeconds_ = warningSeconds;
    warned_ = warningSeconds <= 0 || targetSecondOfDay == kNoTarget;
}

void Schedule::Disarm() {
    armed_ = false;
    previousReading_.reset();
}

bool Schedule::WarningDue(const ClockReading& now) const {
    const int left = MillisecondsUntil(targetSecondOfDay_, now);
    if (left > warningSeconds_ * 1000) {
        const int warningSecond = (targetSecondOfDay_ - warningSeconds_ + kSecondsPerDay) % kSecondsPerDay;
        return TargetReached(warningSecond, now, previousReading_);
    }
    return true;
}

TickResult Schedule::Tick(const ClockReading& now) {
    TickResult result;
    if (!armed_) return result;
    if (!warned_ && WarningDue(now)) {
        warned_ = true;
        // Not in the last second: the end itself is the news then.
        result.warn = MillisecondsUntil(targetSecondOfDay_, now) >= 1000;
    }
    const bool reached = TargetReached(targetSecondOfDay_, now, previousReading_);
    previousReading_ = now;
    if (!reached) return result;
    Disarm();
    result.warn = false;
    result.fire = request_;
    return result;
}

}  // namespace brellix::scheduler
