#include "scheduler/schedule.h"

namespace brellix::scheduler {

namespace {

// Milliseconds from `now` to the start of the target second, the next time it comes.
int MillisecondsUntil(int targetSecondOfDay, const ClockReading& now) {
    const int until = targetSecondOfDay * 1000 - now.millisecondOfDay;
    return until >= 0 ? until : until + kMillisecondsPerDay;
}

}  // namespace

int SnoozedTarget(int targetSecondOfDay, int minutes) { return (targetSecondOfDay + minutes * 60) % kSecondsPerDay; }

int Schedule::MillisecondsLeft(const ClockReading& now) const { return MillisecondsUntil(targetSecondOfDay_, now); }

// By the wall clock, the target's start lay between the last tick and this one.
bool Schedule::PassedUnreached(const ClockReading& now) const {
    if (!previousReading_ || targetSecondOfDay_ == kNoTarget) return false;
    const std::int64_t wallElapsed = now.utcMs - previousReading_->utcMs;
    return wallElapsed > 0 && MillisecondsUntil(targetSecondOfDay_, *previousReading_) < wallElapsed;
}

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
    if (!reached && PassedUnreached(now)) {
        result.missed = true;
        const std::int64_t wallElapsed = now.utcMs - previousReading_->utcMs;
        const auto monotonicElapsed = static_cast<std::int64_t>(now.monotonicMs - previousReading_->monotonicMs);
        result.clocksDisagreed = wallElapsed - monotonicElapsed > kClockAgreementMs ||
                                 monotonicElapsed - wallElapsed > kClockAgreementMs;
        result.warn = false;
        warned_ = warningSeconds_ <= 0;
    }
    previousReading_ = now;
    if (!reached) return result;
    Disarm();
    result.warn = false;
    result.fire = request_;
    return result;
}

}  // namespace brellix::scheduler
