#include "scheduler/schedule.h"

#include <gtest/gtest.h>

#include <vector>

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
constexpr int kT = kTarget * 1000;            // its first millisecond
constexpr SessionEndRequest kReboot{PowerAction::Reboot, ForceMode::ForceIfHung};
constexpr int kNone = -1;

// Armed at `armedAt` with `warning` seconds, ticking every 333 ms until `until`, or not ticking
// at all after a disarm: when the warning and the firing come, once each.
TEST(Schedule, WarnsAndFiresOnceEachWhenTheirSecondsCome) {
    struct Case {
        const char* name;
        int armedAt, warning, until;
        bool disarmFirst;
        int warnedAt, firedAt;  // the first tick at or after, kNone: never
    };
    const Case cases[] = {
        {"a minute's warning", kT - 90'000, 60, kT + 2000, false, kT - 60'000, kT},
        {"no warning", kT - 90'000, 0, kT + 2000, false, kNone, kT},
        {"armed with less time left: warned at once", kT - 20'000, 60, kT + 2000, false, kT - 20'000, kT},
        {"armed in the last second: not warned", kT - 700, 60, kT + 2000, false, kNone, kT},
        {"disarmed before: neither", kT - 90'000, 60, kT + 2000, true, kNone, kNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Schedule schedule;
        schedule.Arm(kTarget, kReboot, At(c.armedAt), c.warning);
        if (c.disarmFirst) schedule.Disarm();
        std::vector<int> warnings, firings;
        for (int ms = c.armedAt + 333; ms <= c.until; ms += 333) {
            const TickResult result = schedule.Tick(At(ms));
            if (result.warn) warnings.push_back(ms);
            if (result.fire) {
                EXPECT_EQ(*result.fire, kReboot);
                firings.push_back(ms);
            }
        }
        ASSERT_LE(warnings.size(), 1u);
        ASSERT_LE(firings.size(), 1u);
        if (c.warnedAt == kNone) EXPECT_TRUE(warnings.empty());
        else if (!warnings.empty()) EXPECT_LT(warnings[0] - c.warnedAt, 1000) << warnings[0];
        else ADD_FAILURE() << "no warning";
        if (c.firedAt == kNone) EXPECT_TRUE(firings.empty());
        else if (!firings.empty()) EXPECT_LT(firings[0] - c.firedAt, 334) << firings[0];
        else ADD_FAILURE() << "no firing";
        EXPECT_FALSE(schedule.Armed() && !firings.empty());
    }
}

}  // namespace
}  // namespace brellix::scheduler
