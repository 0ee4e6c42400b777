// The schedule: armed or not, with the target second, the request to make when it comes, and the
// clocks as last read. No window in it: the window draws its state.
#pragma once

#include <optional>

#include "platform/os.h"
#include "scheduler/target_time.h"

namespace brellix::scheduler {

class Schedule {
public:
    // Arms for the target second of the day; `now` is the arming's reading, so that a stall right
    // after arming is caught up like any other while the arming second itself is not.
    void Arm(int targetSecondOfDay, platform::SessionEndRequest request, const ClockReading& now);
    void Disarm();
    bool Armed() const { return armed_; }

    // One tick: the request to make when the target has been reached, and the schedule is then
    // disarmed; none otherwise.
    std::optional<platform::SessionEndRequest> Tick(const ClockReading& now);

private:
    bool armed_ = false;
    int targetSecondOfDay_ = kNoTarget;
    platform::SessionEndRequest request_;
    std::optional<ClockReading> previousReading_;
};

}  // namespace brellix::scheduler
