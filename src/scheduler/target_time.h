// The target time of day and the test, once per tick, of whether the clock has reached it.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/os.h"

namespace brellix::scheduler {

inline constexpr int kSecondsPerDay = 24 * 60 * 60;
inline constexpr int kMillisecondsPerDay = kSecondsPerDay * 1000;

// A target that names no time of day; it is never reached.
inline constexpr int kNoTarget = -1;

// A missed target second is caught up only after a stall of at most this long...
inline constexpr std::uint64_t kLongestCaughtUpStallMs = 5000;
// ...and only when the local and UTC clocks moved as the monotonic one did, within this much.
inline constexpr std::int64_t kClockAgreementMs = 1000;

// "h:m:s AM" or "h:m:s PM" on a 12-hour clock (12 AM is midnight, 12 PM noon), as the pickers
// compose it, read as the second of the day; nullopt for any other text.
std::optional<int> SecondOfDayFromTargetText(std::wstring_view text);

// The three clocks at one instant.
struct ClockReading {
    int millisecondOfDay = 0;          // local time of day
    std::uint64_t monotonicMs = 0;     // never goes back
    std::int64_t utcMs = 0;            // moves when the user sets the clock
};

ClockReading ReadClock(platform::Os& os);

// True when the tick that read `now` should fire: the clock shows the target second, or the
// target second fell wholly inside a short stall since `previous` during which all clocks ran
// together. A stall across midnight counts; a suspend, a clock set forward or back, or a local
// time shift (daylight saving, time zone) across the target does not: it then fires next day.
bool TargetReached(int targetSecondOfDay, const ClockReading& now, const std::optional<ClockReading>& previous);

}  // namespace brellix::scheduler
