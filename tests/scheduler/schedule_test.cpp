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

// A target second that passes between two ticks without being reached is told once, with whether
// the wall clock went its own way; the schedule stays armed and warns again before tomorrow's.
TEST(Schedule, AMissedSecondIsToldOnceAndTheNextDayIsStillArmed) {
    struct Case {
        const char* name;
        std::int64_t wallJumpMs;         // the wall clock's move over the gap
        std::uint64_t monotonicJumpMs;  // the monotonic clock's
        bool missed, clocksDisagreed;
    };
    const Case cases[] = {
        {"slept an hour (the monotonic clock stood)", 3'600'000, 0, true, true},
        {"the clock set an hour on", 3'600'000, 333, true, true},
        {"a stall of a minute", 60'000, 60'000, true, false},
        {"a stall of 4 s is caught up instead", 4'000, 4'000, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Schedule schedule;
        ClockReading now = At(kT - 2000);
        schedule.Arm(kTarget, kReboot, now, 60);
        schedule.Tick(now);
        now = ClockReading{static_cast<int>((now.millisecondOfDay + c.wallJumpMs) % kMillisecondsPerDay),
                           now.monotonicMs + c.monotonicJumpMs, now.utcMs + c.wallJumpMs};
        const TickResult gap = schedule.Tick(now);
        EXPECT_EQ(gap.missed, c.missed);
        EXPECT_EQ(gap.clocksDisagreed, c.clocksDisagreed);
        EXPECT_EQ(gap.fire.has_value(), !c.missed) << "caught up, or not at all";
        if (!c.missed) continue;
        EXPECT_TRUE(schedule.Armed());
        int warnings = 0, misses = 0;
        bool fired = false;
        for (int i = 0; i < 3 * 86'400 && !fired; ++i) {
            now = ClockReading{(now.millisecondOfDay + 1000) % kMillisecondsPerDay, now.monotonicMs + 1000,
                               now.utcMs + 1000};
            const TickResult tick = schedule.Tick(now);
            warnings += tick.warn;
            misses += tick.missed;
            fired = tick.fire.has_value();
        }
        EXPECT_TRUE(fired) << "the next day";
        EXPECT_EQ(warnings, 1);
        EXPECT_EQ(misses, 0);
        EXPECT_EQ(now.millisecondOfDay / 1000, kTarget);
    }
}

TEST(Schedule, ASnoozeMovesTheTargetOnPastMidnight) {
    EXPECT_EQ(SnoozedTarget(kTarget, 10), kTarget + 600);
    EXPECT_EQ(SnoozedTarget(23 * 3600 + 55 * 60, 10), 5 * 60) << "11:55 PM + 10 min: 12:05 AM";
    EXPECT_EQ(SnoozedTarget(23 * 3600, 120), 3600);
}

}  // namespace
}  // namespace brellix::scheduler
