#include "scheduler/target_time.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>

namespace brellix::scheduler {
namespace {

constexpr int At(int hour, int minute, int second) { return (hour * 60 + minute) * 60 + second; }

struct TextCase {
    const wchar_t* text;
    std::optional<int> secondOfDay;
};

void PrintTo(const TextCase& c, std::ostream* out) {
    for (const wchar_t* p = c.text; *p; ++p) *out << (*p < 0x80 ? static_cast<char>(*p) : '?');
}

class TargetText : public ::testing::TestWithParam<TextCase> {};

TEST_P(TargetText, ReadsAsATwelveHourClockTimeOrAsNone) {
    EXPECT_EQ(SecondOfDayFromTargetText(GetParam().text), GetParam().secondOfDay);
}

INSTANTIATE_TEST_SUITE_P(
    PickerTexts, TargetText,
    ::testing::Values(TextCase{L"3:15:45 AM", At(3, 15, 45)}, TextCase{L"3:15:45 PM", At(15, 15, 45)},
                      TextCase{L"12:0:5 PM", At(12, 0, 5)}, TextCase{L"12:0:0 AM", 0},
                      TextCase{L"12:59:59 AM", At(0, 59, 59)}, TextCase{L"1:0:0 AM", At(1, 0, 0)},
                      TextCase{L"1:0:0 PM", At(13, 0, 0)}, TextCase{L"11:59:59 PM", At(23, 59, 59)},
                      TextCase{L"11:59:59 AM", At(11, 59, 59)}, TextCase{L"03:05:09 AM", At(3, 5, 9)}));

INSTANTIATE_TEST_SUITE_P(
    TextsThatNameNoTime, TargetText,
    ::testing::Values(TextCase{L"", std::nullopt}, TextCase{L":15:45 AM", std::nullopt},
                      TextCase{L"3::45 AM", std::nullopt}, TextCase{L"3:15: AM", std::nullopt},
                      TextCase{L"3:15:45 ", std::nullopt}, TextCase{L"3:15:45", std::nullopt},
                      TextCase{L"3:15:45 am", std::nullopt}, TextCase{L"3:15:45  AM", std::nullopt},
                      TextCase{L"3:15:45 AM ", std::nullopt}, TextCase{L"3:15:45 AMX", std::nullopt},
                      TextCase{L"0:15:45 AM", std::nullopt}, TextCase{L"13:15:45 PM", std::nullopt},
                      TextCase{L"3:60:45 AM", std::nullopt}, TextCase{L"3:15:60 AM", std::nullopt},
                      TextCase{L"123:1:1 AM", std::nullopt}, TextCase{L"-3:15:45 AM", std::nullopt},
                      TextCase{L"3:15:45 \u4e0a\u5348", std::nullopt}));

// Two ticks' readings: the local times of day, and how far the monotonic and UTC clocks moved.
struct TickCase {
    const char* name;
    int target;                 // second of the day
    std::optional<int> before;  // previous reading's local millisecond of the day; none: first tick
    int now;
    std::int64_t monotonicAdvance;
    std::int64_t utcAdvance;
    bool fires;
};

void PrintTo(const TickCase& c, std::ostream* out) { *out << c.name; }

constexpr int Ms(int hour, int minute, int second, int millisecond) {
    return At(hour, minute, second) * 1000 + millisecond;
}

class Tick : public ::testing::TestWithParam<TickCase> {};

TEST_P(Tick, FiresOnTheTargetSecondOrAfterAShortStallOverIt) {
    const TickCase& c = GetParam();
    const std::int64_t monotonicStart = 50'000'000, utcStart = 1'700'000'000'000;
    std::optional<ClockReading> previous;
    if (c.before) previous = ClockReading{*c.before, monotonicStart, utcStart};
    const ClockReading now{c.now, static_cast<std::uint64_t>(monotonicStart + c.monotonicAdvance),
                           utcStart + c.utcAdvance};
    EXPECT_EQ(TargetReached(c.target, now, previous), c.fires);
}

constexpr int T = At(15, 15, 45);

INSTANTIATE_TEST_SUITE_P(
    Cases, Tick,
    ::testing::Values(
        TickCase{"first_tick_in_the_target_second", T, std::nullopt, Ms(15, 15, 45, 533), 0, 0, true},
        TickCase{"first_tick_a_second_late", T, std::nullopt, Ms(15, 15, 46, 133), 0, 0, false},
        TickCase{"ordinary_tick_into_the_target", T, Ms(15, 15, 44, 900), Ms(15, 15, 45, 233), 333, 333, true},
        TickCase{"ordinary_tick_before_it", T, Ms(15, 15, 44, 300), Ms(15, 15, 44, 633), 333, 333, false},
        TickCase{"same_hour_minute_second_other_half_of_day", T, std::nullopt, Ms(3, 15, 45, 0), 0, 0, false},
        // The previous reading's own second was the target: it was checked then (armed at .8).
        TickCase{"previous_reading_in_the_target_second", T, Ms(15, 15, 45, 800), Ms(15, 15, 46, 133), 333, 333,
                 false},
        TickCase{"stall_of_1_2_s_over_the_target", T, Ms(15, 15, 44, 900), Ms(15, 15, 46, 100), 1200, 1200, true},
        TickCase{"stall_of_2_s_over_the_target", T, Ms(15, 15, 44, 0), Ms(15, 15, 46, 0), 2000, 2000, true},
        TickCase{"stall_of_5_s_over_the_target", T, Ms(15, 15, 43, 0), Ms(15, 15, 48, 0), 5000, 5000, true},
        TickCase{"stall_just_over_5_s", T, Ms(15, 15, 43, 0), Ms(15, 15, 48, 1), 5001, 5001, false},
        TickCase{"stall_of_6_s", T, Ms(15, 15, 42, 0), Ms(15, 15, 48, 0), 6000, 6000, false},
        TickCase{"stall_ending_before_the_target", T, Ms(15, 15, 41, 0), Ms(15, 15, 44, 0), 3000, 3000, false},
        TickCase{"stall_starting_after_the_target", T, Ms(15, 15, 46, 0), Ms(15, 15, 49, 0), 3000, 3000, false},
        TickCase{"utc_slightly_off_the_monotonic_clock", T, Ms(15, 15, 44, 0), Ms(15, 15, 46, 0), 2000, 2900,
                 true},
        // A suspend: the monotonic clock stops (or runs on for hours) while the wall clock moves.
        TickCase{"suspend_not_counted_by_the_monotonic_clock", T, Ms(15, 15, 44, 0), Ms(15, 15, 47, 0), 300, 3000,
                 false},
        TickCase{"suspend_counted_by_the_monotonic_clock", T, Ms(15, 10, 0, 0), Ms(15, 20, 0, 0), 600'000,
                 600'000, false},
        TickCase{"clock_set_forward_across_the_target", T, Ms(15, 15, 44, 900), Ms(15, 15, 47, 233), 333, 2333,
                 false},
        TickCase{"clock_set_back_across_the_target", T, Ms(15, 15, 50, 0), Ms(15, 15, 40, 333), 333, -9667, false},
        // Read forward, a clock set back spans almost the whole day.
        TickCase{"clock_set_back_with_the_target_later_in_the_day", At(22, 0, 0), Ms(15, 15, 50, 0),
                 Ms(15, 15, 40, 333), 333, -9667, false},
        // Daylight saving: the local time jumps while UTC and the monotonic clock run on.
        TickCase{"local_time_jumps_an_hour_forward", At(2, 30, 0), Ms(1, 59, 59, 800), Ms(3, 0, 0, 133), 333, 333,
                 false},
        TickCase{"local_time_falls_an_hour_back", At(22, 0, 0), Ms(2, 59, 59, 900), Ms(2, 0, 0, 233), 333, 333,
                 false},
        TickCase{"monotonic_clock_behind_the_previous_reading", T, Ms(15, 15, 44, 0), Ms(15, 15, 46, 0), -2000,
                 2000, false},
        // Midnight, the day's wrap.
        TickCase{"midnight_first_tick", 0, Ms(23, 59, 59, 900), Ms(0, 0, 0, 300), 400, 400, true},
        TickCase{"midnight_in_a_stall", 0, Ms(23, 59, 59, 0), Ms(0, 0, 1, 500), 2500, 2500, true},
        TickCase{"last_second_of_the_day_in_a_stall", At(23, 59, 59), Ms(23, 59, 58, 900), Ms(0, 0, 0, 200), 1300,
                 1300, true},
        TickCase{"stall_across_midnight_before_the_target", At(0, 0, 5), Ms(23, 59, 59, 0), Ms(0, 0, 2, 0), 3000,
                 3000, false},
        TickCase{"noon_target_at_midnight", At(12, 0, 0), Ms(23, 59, 59, 900), Ms(0, 0, 0, 300), 400, 400, false},
        TickCase{"no_target_at_its_own_second", kNoTarget, std::nullopt, Ms(0, 0, 0, 0), 0, 0, false},
        TickCase{"no_target_in_a_stall_over_midnight", kNoTarget, Ms(23, 59, 59, 0), Ms(0, 0, 2, 0), 3000, 3000,
                 false}),
    [](const ::testing::TestParamInfo<TickCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace brellix::scheduler
