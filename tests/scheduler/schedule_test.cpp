#include "scheduler/schedule.h"

#include <gtest/gtest.h>

namespace brellix::scheduler {
namespace {

using platform::ForceMode;
using platform::PowerAction;
using platform::SessionEndRequest;

ClockReading At(int millisecondOfDay) {
    // All three clocks move together, as on an undisturbed machine.
    return ClockReading{millisecondOfDay, 1'000'000u + static_cast<std::uint64_t>(millisecondOfDay),
                        1'700'000'000'000 + millisecondOfDay};
}

constexpr int kTarget = 10 * 3600 + 30 * 60;  // 10:30:00
constexpr int kTargetMs = kTarget * 1000;
constexpr SessionEndRequest kReboot{PowerAction::Reboot, ForceMode::ForceIfHung};

// What a sequence of steps gives: the requests the ticks returned, and whether it stays armed.
TEST(Schedule, ReturnsTheArmedRequestOnceWhenTheTargetComesAndNothingOtherwise) {
    struct Case {
        const char* name;
        bool arm;
        bool disarmBeforeTicks;
        std::vector<int> ticksMs;
        int requests;
        bool armedAfter;
    };
    const Case cases[] = {
        {"before the target", true, false, {kTargetMs - 2000, kTargetMs - 1000}, 0, true},
        {"at the target, then past it", true, false, {kTargetMs - 333, kTargetMs + 100, kTargetMs + 433}, 1, false},
        {"disarmed before", true, true, {kTargetMs, kTargetMs + 333}, 0, false},
        {"never armed", false, false, {kTargetMs, kTargetMs + 333}, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Schedule schedule;
        if (c.arm) schedule.Arm(kTarget, kReboot, At(kTargetMs - 5000));
        if (c.disarmBeforeTicks) schedule.Disarm();
        int requests = 0;
        for (int ms : c.ticksMs) {
            if (const auto request = schedule.Tick(At(ms))) {
                EXPECT_EQ(*request, kReboot);
                ++requests;
            }
        }
        EXPECT_EQ(requests, c.requests);
        EXPECT_EQ(schedule.Armed(), c.armedAfter);
    }
}

}  // namespace
}  // namespace brellix::scheduler
