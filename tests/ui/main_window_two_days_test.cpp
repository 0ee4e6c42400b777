// Two days of the armed window on a fake clock: a tick every 333 ms with the jitter of a real
// timer, nights on which the local time jumps forward and falls back an hour, a user who sets the
// clock back and forward, a busy thread and a short suspend. The user re-arms after each firing.
// Every firing must come when the rules say, and no other.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "main_window_fixture.h"
#include "scheduler/target_time.h"

namespace brellix::ui::test {
namespace {

constexpr std::int64_t kHourMs = 3'600'000;
constexpr std::int64_t kDayMs = 24 * kHourMs;

// A true instant: time since the simulation began at local midnight, as if no clock had moved.
constexpr std::int64_t At(int day, int hour, int minute, int second, int millisecond = 0) {
    return day * kDayMs + ((hour * 60 + minute) * 60 + second) * 1000LL + millisecond;
}

constexpr int SecondOfDay(int hour, int minute, int second) { return (hour * 60 + minute) * 60 + second; }

struct Target {
    const wchar_t* hour;
    const wchar_t* minute;
    const wchar_t* second;
    const wchar_t* ampm;
};

// Something that happens between two ticks, at a true instant.
struct Event {
    enum Kind {
        Arm,           // the user picks the target and presses the button
        Disarm,        // the user gives up on a target that has not come
        ExpectArmed,   // the user looks: still waiting?
        ShiftLocal,    // the zone's offset changes (daylight saving): only the local time moves
        SetClock,      // the user sets the clock: local and UTC move together
        Stall,         // the thread is busy: no tick until it is free again, all clocks run on
        Suspend,       // the machine sleeps: no tick, and the monotonic clock stands still
    } kind;
    std::int64_t at;
    std::int64_t ms = 0;
    Target target{};
};

Event ArmFor(std::int64_t at, Target target) { return {Event::Arm, at, 0, target}; }
Event DisarmAt(std::int64_t at) { return {Event::Disarm, at}; }
Event StillArmedAt(std::int64_t at) { return {Event::ExpectArmed, at}; }
Event Clocks(Event::Kind kind, std::int64_t at, std::int64_t ms) { return {kind, at, ms}; }

// A firing the rules call for: within [from, to) of true time, on the first tick in the target
// second, or (late) on the first tick after a short stall over it.
struct Fire {
    std::int64_t from, to;
    int targetSecond;
    bool late = false;
};

struct Plan {
    const char* name;
    unsigned seed;
    std::vector<Event> events;  // in time order
    std::vector<Fire> fires;
};

void PrintTo(const Plan& plan, std::ostream* out) { *out << plan.name; }

// The nights both plans live through: forward an hour at 02:00 on the first, back an hour at
// 03:00 (summer time) on the second, which is 02:00 of the true clock.
const Event kSpringForward = Clocks(Event::ShiftLocal, At(0, 2, 0, 0), kHourMs);
const Event kFallBack = Clocks(Event::ShiftLocal, At(1, 2, 0, 0), -kHourMs);

// Re-arming for each next thing a user might try; local = true + 1 h between the two nights.
Plan UserWhoRearmsForEachNextThing() {
    return Plan{
        "rearms_for_each_next_thing",
        20240331,
        {
            ArmFor(At(0, 0, 0, 10), {L"1", L"0", L"0", L"AM"}),
            // A time in the hour that the first night skips does not come that night.
            ArmFor(At(0, 1, 10, 0), {L"2", L"30", L"0", L"AM"}),
            kSpringForward,
            StillArmedAt(At(0, 2, 45, 0)),
            DisarmAt(At(0, 2, 45, 0)),
            ArmFor(At(0, 2, 45, 10), {L"4", L"0", L"0", L"AM"}),
            ArmFor(At(0, 3, 5, 0), {L"9", L"55", L"0", L"AM"}),
            // Re-armed for the same time; the clock set back ten minutes shows it again.
            ArmFor(At(0, 8, 57, 0), {L"9", L"55", L"0", L"AM"}),
            Clocks(Event::SetClock, At(0, 9, 0, 0), -600'000),
            // The clock set forward across the target: that day's firing is gone.
            ArmFor(At(0, 9, 6, 0), {L"3", L"0", L"0", L"PM"}),
            Clocks(Event::SetClock, At(0, 14, 5, 0), 600'000),
            StillArmedAt(At(0, 14, 30, 0)),
            DisarmAt(At(0, 14, 30, 0)),
            // A stall of 2.6 s over the target fires late; one of 8 s does not fire.
            ArmFor(At(0, 14, 31, 0), {L"4", L"0", L"0", L"PM"}),
            Clocks(Event::Stall, At(0, 14, 59, 59), 2600),
            ArmFor(At(0, 15, 5, 0), {L"5", L"0", L"0", L"PM"}),
            Clocks(Event::Stall, At(0, 15, 59, 57), 8000),
            StillArmedAt(At(0, 16, 10, 0)),
            DisarmAt(At(0, 16, 10, 0)),
            // A suspend of 3 s: the wall clock passed the target, the monotonic clock did not.
            ArmFor(At(0, 16, 11, 0), {L"6", L"0", L"0", L"PM"}),
            Clocks(Event::Suspend, At(0, 16, 59, 58, 500), 3000),
            StillArmedAt(At(0, 17, 10, 0)),
            DisarmAt(At(0, 17, 10, 0)),
            // Midnight inside a short stall.
            ArmFor(At(0, 17, 11, 0), {L"12", L"0", L"0", L"AM"}),
            Clocks(Event::Stall, At(0, 22, 59, 59, 200), 2000),
            // The second night repeats 02:00 to 03:00: first pass, then a time of that hour armed
            // after it had passed comes again within the hour.
            ArmFor(At(0, 23, 5, 0), {L"2", L"30", L"0", L"AM"}),
            ArmFor(At(1, 1, 45, 0), {L"2", L"15", L"0", L"AM"}),
            kFallBack,
            ArmFor(At(1, 2, 20, 0), {L"8", L"0", L"0", L"PM"}),
            ArmFor(At(1, 20, 1, 0), {L"11", L"59", L"59", L"PM"}),
        },
        {
            {At(0, 1, 0, 0), At(0, 1, 0, 1), SecondOfDay(1, 0, 0)},
            {At(0, 3, 0, 0), At(0, 3, 0, 1), SecondOfDay(4, 0, 0)},
            {At(0, 8, 55, 0), At(0, 8, 55, 1), SecondOfDay(9, 55, 0)},
            {At(0, 9, 5, 0), At(0, 9, 5, 1), SecondOfDay(9, 55, 0)},
            {At(0, 15, 0, 1), At(0, 15, 0, 2), SecondOfDay(16, 0, 0), true},
            {At(0, 23, 0, 1), At(0, 23, 0, 2), SecondOfDay(0, 0, 0), true},
            {At(1, 1, 30, 0), At(1, 1, 30, 1), SecondOfDay(2, 30, 0)},
            {At(1, 2, 15, 0), At(1, 2, 15, 1), SecondOfDay(2, 15, 0)},
            {At(1, 20, 0, 0), At(1, 20, 0, 1), SecondOfDay(20, 0, 0)},
            {At(1, 23, 59, 59), At(1, 24, 0, 0), SecondOfDay(23, 59, 59)},
        },
    };
}

// Arming for a time the clock jumps onto, then for one the first night skips, left armed through
// every disturbance of the day; then across the second night for a time the jump back must not
// reach, read forward as it would be across midnight.
Plan UserWhoLeavesItArmed() {
    return Plan{
        "leaves_it_armed",
        7,
        {
            ArmFor(At(0, 1, 59, 50), {L"3", L"0", L"0", L"AM"}),
            kSpringForward,
            ArmFor(At(0, 2, 0, 10), {L"2", L"30", L"0", L"AM"}),
            Clocks(Event::SetClock, At(0, 9, 0, 0), -kHourMs),
            Clocks(Event::Stall, At(0, 10, 0, 0), 4000),
            Clocks(Event::SetClock, At(0, 12, 0, 0), kHourMs),
            Clocks(Event::Suspend, At(0, 18, 0, 0), 2 * kHourMs),
            Clocks(Event::Stall, At(0, 22, 59, 58), 4500),
            StillArmedAt(At(1, 1, 0, 0)),
            ArmFor(At(1, 1, 35, 0), {L"10", L"0", L"0", L"PM"}),
            kFallBack,
            ArmFor(At(1, 22, 0, 10), {L"11", L"59", L"59", L"PM"}),
        },
        {
            {At(0, 2, 0, 0), At(0, 2, 0, 1), SecondOfDay(3, 0, 0)},
            {At(1, 1, 30, 0), At(1, 1, 30, 1), SecondOfDay(2, 30, 0)},
            {At(1, 22, 0, 0), At(1, 22, 0, 1), SecondOfDay(22, 0, 0)},
            {At(1, 23, 59, 59), At(1, 24, 0, 0), SecondOfDay(23, 59, 59)},
        },
    };
}

class TwoDays : public MainWindowTest, public ::testing::WithParamInterface<Plan> {
protected:
    void SetUp() override { LoadAndShow(); }

    // The clocks at true instant `now`.
    void ShowClocksAt(std::int64_t now) {
        os.tickMilliseconds = monotonicStart_ + static_cast<std::uint64_t>(now - suspendedMs_);
        os.systemMilliseconds = utcStart_ + now + clockSetMs_;
        SetLocalTime(static_cast<int>(((now + clockSetMs_ + zoneShiftMs_) % kDayMs + kDayMs) % kDayMs));
    }

    // Applies the event at its instant; returns the earliest instant of the next tick.
    std::int64_t Apply(const Event& event, std::int64_t nextTick) {
        ShowClocksAt(event.at);
        switch (event.kind) {
            case Event::Arm:
                EXPECT_FALSE(forms.TimerRunning(control::ScheduleTimer)) << "re-armed only after a firing or a disarm";
                ChooseTime(event.target.hour, event.target.minute, event.target.second, event.target.ampm);
                forms.UserClick(control::ArmButton);
                ++armings_;
                previousTickSecond_.reset();
                break;
            case Event::Disarm:
                forms.UserClick(control::DisarmButton);
                break;
            case Event::ExpectArmed:
                EXPECT_TRUE(forms.TimerRunning(control::ScheduleTimer)) << "at " << event.at;
                break;
            case Event::ShiftLocal:
                zoneShiftMs_ += event.ms;
                break;
            case Event::SetClock:
                clockSetMs_ += event.ms;
                break;
            case Event::Suspend:
                suspendedMs_ += event.ms;
                return std::max(nextTick, event.at + event.ms);
            case Event::Stall:
                return std::max(nextTick, event.at + event.ms);
        }
        return nextTick;
    }

    struct Firing {
        std::int64_t at;
        int localSecond;
        std::optional<int> previousTickSecond;  // none: the first tick after arming
        int arming;
    };

    bool AskedToEndTheSessionSince(std::size_t callsBefore) const {
        for (std::size_t i = callsBefore; i < os.calls.size(); ++i) {
            if (os.calls[i].rfind("StartSessionEnd(", 0) == 0) return true;
        }
        return false;
    }

    std::vector<Firing> Run(const Plan& plan, std::int64_t until) {
        std::mt19937 random(plan.seed);
        // A timer message comes no earlier than asked, and a little late by a varying amount.
        std::uniform_int_distribution<int> lateness(0, 60);
        std::vector<Firing> firings;
        std::size_t nextEvent = 0;
        for (std::int64_t tick = 0; tick < until;) {
            std::int64_t nextTick = tick + 333 + lateness(random);
            while (nextEvent < plan.events.size() && plan.events[nextEvent].at <= nextTick) {
                nextTick = Apply(plan.events[nextEvent++], nextTick);
            }
            tick = nextTick;
            ShowClocksAt(tick);
            const std::size_t callsBefore = os.calls.size();
            forms.TimerTick(control::ScheduleTimer);
            const int localSecond = LocalMsOfDay() / 1000;
            if (AskedToEndTheSessionSince(callsBefore)) {
                firings.push_back({tick, localSecond, previousTickSecond_, armings_});
            }
            previousTickSecond_ = localSecond;
        }
        EXPECT_EQ(nextEvent, plan.events.size()) << "every event happened";
        return firings;
    }

private:
    const std::uint64_t monotonicStart_ = os.tickMilliseconds;
    const std::int64_t utcStart_ = os.systemMilliseconds;
    std::int64_t zoneShiftMs_ = 0, clockSetMs_ = 0, suspendedMs_ = 0;
    int armings_ = 0;
    std::optional<int> previousTickSecond_;  // none before the first tick after an arming
};

TEST_P(TwoDays, FiresExactlyWhenTheRulesSayAndOncePerArming) {
    const Plan& plan = GetParam();
    const std::vector<Firing> firings = Run(plan, At(2, 0, 0, 5));

    ASSERT_EQ(firings.size(), plan.fires.size());
    EXPECT_EQ(ExitRequests().size(), plan.fires.size());
    for (std::size_t i = 0; i < firings.size(); ++i) {
        const Firing& got = firings[i];
        const Fire& expected = plan.fires[i];
        SCOPED_TRACE("firing " + std::to_string(i) + " at true ms " + std::to_string(got.at));
        EXPECT_GE(got.at, expected.from);
        EXPECT_LT(got.at, expected.to);
        if (expected.late) {
            const int after = (got.localSecond - expected.targetSecond + scheduler::kSecondsPerDay) %
                              scheduler::kSecondsPerDay;
            EXPECT_GT(after, 0);
            EXPECT_LE(after, 5);
        } else {
            EXPECT_EQ(got.localSecond, expected.targetSecond);
            // The first tick in the target second, not a later one of the same second.
            EXPECT_NE(got.previousTickSecond, std::optional<int>(expected.targetSecond));
        }
        if (i > 0) {
            EXPECT_NE(got.arming, firings[i - 1].arming) << "one arming fired twice";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Plans, TwoDays, ::testing::Values(UserWhoRearmsForEachNextThing(), UserWhoLeavesItArmed()),
                         [](const ::testing::TestParamInfo<Plan>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace brellix::ui::test
