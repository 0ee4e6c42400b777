// The schedule: armed or not, with the target second, the request to make when it comes, the
// warning before it, and the clocks as last read. No window in it: the window draws its state.
#pragma once

#include <optional>

#include "platform/os.h"
#include "scheduler/target_time.h"

namespace brellix::scheduler {

// What one tick asks of the window.
struct TickResult {
    bool warn = false;                                // warn the user now
    std::optional<platform::SessionEndRequest> fire;  // end the session now; the schedule is disarmed
    // The target second passed since the last tick without being reached (the machine slept, the
    // clock was set past it, or a stall outlasted the catch-up); the schedule stays armed for the
    // same second tomorrow, and warns again before it.
    bool missed = false;
    bool clocksDisagreed = false;  // with missed: the wall clock moved otherwise than the monotonic one
};

// The target a snooze of `minutes` moves an armed target to: that much after it, as a second of
// the day (past midnight it is the next day's).
int SnoozedTarget(int targetSecondOfDay, int minutes);

class Schedule {
public:
    // Arms for the target second of the day; `now` is the arming's reading, so that a stall right
    // after arming is caught up like any other while the arming second itself is not. The warning
    // comes warningSeconds before the target (0: none), or at the first tick when less time is
    // left, but never in the target's last second before it.
    void Arm(int targetSecondOfDay, platform::SessionEndRequest request, const ClockReading& now,
             int warningSeconds);
    void Disarm();
    bool Armed() const { return armed_; }
    platform::SessionEndRequest Request() const { return request_; }
    int TargetSecondOfDay() const { return targetSecondOfDay_; }
    // From `now` to the start of the target second, the next time it comes.
    int MillisecondsLeft(const ClockReading& now) const;

    TickResult Tick(const ClockReading& now);

private:
    bool WarningDue(const ClockReading& now) const;
    bool PassedUnreached(const ClockReading& now) const;

    bool armed_ = false;
    int targetSecondOfDay_ = kNoTarget;
    platform::SessionEndRequest request_;
    std::optional<ClockReading> previousReading_;
    int warningSeconds_ = 0;
    bool warned_ = false;
};

}  // namespace brellix::scheduler
