// The scheduler's piece of the program's state.
#pragma once

#include <optional>
#include <string>

#include "scheduler/target_time.h"

namespace brellix::scheduler {

struct ScheduleState {
    // The target as the pickers last composed it: "3:15:45 AM". Empty until first composed.
    std::wstring strShutdownTime;
    // strShutdownTime read as a second of the day, once per composition, so ticks compare integers.
    int targetSecondOfDay = kNoTarget;
    // The clocks as the last tick (or the arming) read them; none while disarmed.
    std::optional<ClockReading> previousReading;
};

}  // namespace brellix::scheduler
