#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "main_window_fixture.h"

namespace brellix::ui::test {
namespace {

using Calls = std::vector<std::string>;

constexpr int kDayMs = 24 * 3'600'000;

class Tick : public MainWindowTest {
protected:
    void SetUp() override { LoadAndShow(); }

    void ArmAt(int msOfDay, const wchar_t* hour, const wchar_t* minute, const wchar_t* second, const wchar_t* ampm) {
        ChooseTime(hour, minute, second, ampm);
        SetLocalTime(msOfDay);
        Arm();
    }
    bool Armed() const { return forms.Enabled(control::ScheduleTimer); }
};

struct FireCase {
    const char* name;
    const wchar_t* hour;
    const wchar_t* minute;
    const wchar_t* second;
    const wchar_t* ampm;
    int armedAt;         // local millisecond of the day
    int firesInSecond;   // local second of the day
    int hoursLater;      // after arming, in whole hours
};

void PrintTo(const FireCase& c, std::ostream* out) { *out << c.name; }

class FiringTime : public Tick, public ::testing::WithParamInterface<FireCase> {};

TEST_P(FiringTime, FiresOnceOnTheFirstTickInTheTargetSecondAndDisarms) {
    const FireCase& c = GetParam();
    ArmAt(c.armedAt, c.hour, c.minute, c.second, c.ampm);
    const std::optional<Firing> firing = TickFor(2 * kDayMs);
    ASSERT_TRUE(firing);
    EXPECT_EQ(firing->localMs / 1000, c.firesInSecond);
    const bool firstTickAfterArming = firing->afterMs == 333;
    const bool previousTickInAnotherSecond = (firing->localMs - 333 + kDayMs) % kDayMs / 1000 != c.firesInSecond;
    EXPECT_TRUE(firstTickAfterArming || previousTickInAnotherSecond) << firing->localMs;
    EXPECT_EQ(firing->afterMs / 3600000, c.hoursLater) << firing->afterMs;
    EXPECT_EQ(ExitRequests().size(), 1u);
    EXPECT_FALSE(Armed());
}

constexpr int Second(int hour, int minute, int second) { return MsOfDay(hour, minute, second) / 1000; }

INSTANTIATE_TEST_SUITE_P(
    Targets, FiringTime,
    ::testing::Values(
        FireCase{"a_second_before", L"3", L"15", L"45", L"PM", MsOfDay(15, 15, 44), Second(15, 15, 45), 0},
        FireCase{"midnight", L"12", L"0", L"0", L"AM", MsOfDay(23, 59, 59, 500), 0, 0},
        FireCase{"not_midnight_at_noon", L"12", L"0", L"0", L"AM", MsOfDay(11, 59, 59, 500), 0, 12},
        FireCase{"noon", L"12", L"0", L"0", L"PM", MsOfDay(11, 59, 59, 500), Second(12, 0, 0), 0},
        FireCase{"not_noon_at_midnight", L"12", L"0", L"0", L"PM", MsOfDay(23, 59, 59, 500), Second(12, 0, 0), 12},
        FireCase{"am_is_not_pm", L"3", L"15", L"45", L"AM", MsOfDay(15, 15, 44), Second(3, 15, 45), 12},
        // Arming within the target second: the first tick comes 333 ms later.
        FireCase{"armed_at_point_2_of_the_target", L"3", L"15", L"45", L"PM", MsOfDay(15, 15, 45, 200),
                 Second(15, 15, 45), 0},
        FireCase{"armed_at_point_8_waits_a_day", L"3", L"15", L"45", L"PM", MsOfDay(15, 15, 45, 800),
                 Second(15, 15, 45), 23},
        FireCase{"armed_after_the_target_waits_a_day", L"3", L"15", L"45", L"PM", MsOfDay(15, 20, 0),
                 Second(15, 15, 45), 23}),
    [](const ::testing::TestParamInfo<FireCase>& info) { return std::string(info.param.name); });

TEST_F(Tick, ATickThatMissesChangesNothing) {
    ArmAt(MsOfDay(10, 0, 0), L"3", L"15", L"45", L"PM");
    os.calls.clear();
    const std::vector<std::string> eventsBefore = forms.events;
    EXPECT_FALSE(TickFor(3000));
    EXPECT_TRUE(os.calls.empty());
    EXPECT_EQ(forms.events, eventsBefore);
    EXPECT_EQ(frmState.targetText, L"3:15:45 PM");
}

TEST_F(Tick, ATargetThatNamesNoTimeNeverFires) {
    forms.SetListIndex(control::SecondPicker, -1);
    SetLocalTime(0);
    Arm();
    EXPECT_EQ(frmState.targetText, L"3:15: AM");
    EXPECT_FALSE(TickFor(kDayMs + 5000));
    EXPECT_TRUE(Armed());
}

// --- The thread or the machine stops for a while around the target second ---

class Stall : public Tick {
protected:
    // Arms for 3:15:45 PM, ticks up to shortly before it, then lets the next tick come after a
    // gap in which the monotonic, UTC and local clocks move as given.
    void StallOverTarget(int lastTickBefore, int monotonicGap, std::int64_t utcGap, int localGap) {
        ArmAt(MsOfDay(15, 15, 40), L"3", L"15", L"45", L"PM");
        while (LocalMsOfDay() + 333 <= lastTickBefore) TickFor(333);
        ASSERT_FALSE(ExitRequests().size());
        os.tickMilliseconds += static_cast<std::uint64_t>(monotonicGap);
        os.systemMilliseconds += utcGap;
        SetLocalTime((LocalMsOfDay() + localGap + kDayMs) % kDayMs);
        forms.TimerTick(control::ScheduleTimer);
    }
};

TEST_F(Stall, OfTwoSecondsFiresLateOnTheFirstTickAfterIt) {
    StallOverTarget(MsOfDay(15, 15, 44, 500), 2000, 2000, 2000);
    EXPECT_EQ(ExitRequests().size(), 1u);
    EXPECT_FALSE(Armed());
}

struct NoFireCase {
    const char* name;
    int monotonicGap;
    std::int64_t utcGap;
    int localGap;
};

void PrintTo(const NoFireCase& c, std::ostream* out) { *out << c.name; }

class StallNotCaughtUp : public Stall, public ::testing::WithParamInterface<NoFireCase> {};

TEST_P(StallNotCaughtUp, LeavesTheScheduleArmedForTheSameTimeNextDay) {
    const NoFireCase& c = GetParam();
    StallOverTarget(MsOfDay(15, 15, 44, 500), c.monotonicGap, c.utcGap, c.localGap);
    EXPECT_TRUE(ExitRequests().empty());
    EXPECT_TRUE(Armed());
    const int resumedAt = LocalMsOfDay();
    const std::optional<Firing> firing = TickFor(kDayMs + 2000);
    ASSERT_TRUE(firing);
    EXPECT_EQ(firing->localMs / 1000, Second(15, 15, 45)) << "resumed at " << resumedAt;
    EXPECT_GT(firing->afterMs, kDayMs / 2);
    EXPECT_EQ(ExitRequests().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Gaps, StallNotCaughtUp,
    ::testing::Values(NoFireCase{"six_second_stall", 6000, 6000, 6000},
                      NoFireCase{"suspend_the_monotonic_clock_missed", 300, 3'600'000, 3'600'000},
                      NoFireCase{"suspend_the_monotonic_clock_counted", 3'600'000, 3'600'000, 3'600'000},
                      NoFireCase{"clock_set_forward", 333, 10'000, 10'000},
                      NoFireCase{"local_time_shifted_an_hour", 333, 333, 3'600'333}),
    [](const ::testing::TestParamInfo<NoFireCase>& info) { return std::string(info.param.name); });

TEST_F(Stall, AClockSetBackAcrossTheTargetFiresOnceWhenTheClockShowsItAgain) {
    ArmAt(MsOfDay(15, 15, 50), L"3", L"15", L"45", L"PM");
    TickFor(1000);
    os.tickMilliseconds += 333;
    os.systemMilliseconds -= 9000;
    SetLocalTime(MsOfDay(15, 15, 42));
    forms.TimerTick(control::ScheduleTimer);
    EXPECT_TRUE(ExitRequests().empty());

    const std::optional<Firing> firing = TickFor(kDayMs);
    ASSERT_TRUE(firing);
    EXPECT_EQ(firing->localMs / 1000, Second(15, 15, 45));
    EXPECT_LT(firing->afterMs, 4000);
    EXPECT_EQ(ExitRequests().size(), 1u);
}

TEST_F(Stall, RightAfterArmingIsCaughtUpToo) {
    ArmAt(MsOfDay(15, 15, 44, 900), L"3", L"15", L"45", L"PM");
    Advance(1500);
    forms.TimerTick(control::ScheduleTimer);
    EXPECT_EQ(ExitRequests().size(), 1u);
}

// --- What the firing tick asks for ---

struct FlagsCase {
    const char* name;
    int powerAction;  // current items at firing; -1: none
    int forceMode;
    const char* request;
};

void PrintTo(const FlagsCase& c, std::ostream* out) { *out << c.name; }

class FiringFlags : public Tick, public ::testing::WithParamInterface<FlagsCase> {};

TEST_P(FiringFlags, ComeFromTheListsCurrentItems) {
    const FlagsCase& c = GetParam();
    forms.SetListIndex(control::ActionList, c.powerAction);
    forms.SetListIndex(control::ForceModeList, c.forceMode);
    ArmAt(MsOfDay(15, 15, 44, 900), L"3", L"15", L"45", L"PM");
    ASSERT_TRUE(TickFor(333));
    EXPECT_EQ(ExitRequests(), Calls{c.request});
}

INSTANTIATE_TEST_SUITE_P(
    CurrentItems, FiringFlags,
    ::testing::Values(FlagsCase{"poweroff_forceifhung", 1, 1, "StartSessionEnd(PowerOff, ForceIfHung)"},
                      FlagsCase{"reboot_force", 2, 0, "StartSessionEnd(Reboot, Force)"},
                      FlagsCase{"no_power_action_is_logoff", -1, 0, "StartSessionEnd(LogOff, Force)"},
                      FlagsCase{"no_force_mode_adds_nothing", 1, -1, "StartSessionEnd(PowerOff)"},
                      FlagsCase{"neither", -1, -1, "StartSessionEnd(LogOff)"}),
    [](const ::testing::TestParamInfo<FlagsCase>& info) { return std::string(info.param.name); });

// What the list shows is what fires: Space on the checked row does not take the choice away.
TEST_F(Tick, SpaceOnTheCheckedRowKeepsTheChoiceThatFires) {
    forms.UserClickItem(control::ActionList, 2);
    forms.UserPressSpace(control::ActionList);
    ASSERT_EQ(Checks(control::ActionList), "0010");
    ArmAt(MsOfDay(15, 15, 44, 900), L"3", L"15", L"45", L"PM");
    ASSERT_TRUE(TickFor(333));
    EXPECT_EQ(ExitRequests(), Calls{"StartSessionEnd(Reboot, ForceIfHung)"});
}

}  // namespace
}  // namespace brellix::ui::test
