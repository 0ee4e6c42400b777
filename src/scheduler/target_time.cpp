#include "scheduler/target_time.h"

#include <cstdlib>

namespace brellix::scheduler {

namespace {

// Reads one or two decimal digits at the front of text and drops them.
std::optional<int> TakeNumber(std::wstring_view& text) {
    std::size_t digits = 0;
    int value = 0;
    while (digits < text.size() && digits < 2 && text[digits] >= L'0' && text[digits] <= L'9') {
        value = value * 10 + (text[digits] - L'0');
        ++digits;
    }
    if (digits == 0) return std::nullopt;
    text.remove_prefix(digits);
    return value;
}

bool TakeText(std::wstring_view& text, std::wstring_view expected) {
    if (text.substr(0, expected.size()) != expected) return false;
    text.remove_prefix(expected.size());
    return true;
}

// The non-negative remainder, so that spans running across midnight come out forward.
constexpr std::int64_t Forward(std::int64_t difference, std::int64_t period) {
    return ((difference % period) + period) % period;
}

bool MissedInShortStall(int targetSecondOfDay, const ClockReading& previous, const ClockReading& now) {
    if (now.monotonicMs < previous.monotonicMs) return false;
    const auto elapsed = static_cast<std::int64_t>(now.monotonicMs - previous.monotonicMs);
    if (elapsed > static_cast<std::int64_t>(kLongestCaughtUpStallMs)) return false;
    if (std::llabs((now.utcMs - previous.utcMs) - elapsed) > kClockAgreementMs) return false;
    const std::int64_t localAdvance = Forward(now.millisecondOfDay - previous.millisecondOfDay, kMillisecondsPerDay);
    if (std::llabs(localAdvance - elapsed) > kClockAgreementMs) return false;

    // Strictly between the two readings' seconds: the previous tick's own second was checked then.
    const int previousSecond = previous.millisecondOfDay / 1000;
    const std::int64_t span = Forward(now.millisecondOfDay / 1000 - previousSecond, kSecondsPerDay);
    const std::int64_t toTarget = Forward(targetSecondOfDay - previousSecond, kSecondsPerDay);
    return toTarget > 0 && toTarget < span;
}

}  // namespace

std::optional<int> SecondOfDayFromTargetText(std::wstring_view text) {
    const std::optional<int> hour = TakeNumber(text);
    if (!hour || !TakeText(text, L":")) return std::nullopt;
    const std::optional<int> minute = TakeNumber(text);
    if (!minute || !TakeText(text, L":")) return std::nullopt;
    const std::optional<int> second = TakeNumber(text);
    if (!second || !TakeText(text, L" ")) return std::nullopt;
    if (*hour < 1 || *hour > 12 || *minute > 59 || *second > 59) return std::nullopt;

    int hourOfDay = 0;
    if (text == L"AM") {
        hourOfDay = *hour == 12 ? 0 : *hour;
    } else if (text == L"PM") {
        hourOfDay = *hour == 12 ? 12 : *hour + 12;
    } else {
        return std::nullopt;
    }
    return (hourOfDay * 60 + *minute) * 60 + *second;
}

ClockReading ReadClock(platform::Os& os) {
    const platform::LocalTimeOfDay local = os.LocalTime();
    ClockReading reading;
    reading.millisecondOfDay = ((local.hour * 60 + local.minute) * 60 + local.second) * 1000 + local.millisecond;
    reading.monotonicMs = os.MonotonicMilliseconds();
    reading.utcMs = os.WallClockMilliseconds();
    return reading;
}

bool TargetReached(int targetSecondOfDay, const ClockReading& now, const std::optional<ClockReading>& previous) {
    if (targetSecondOfDay < 0 || targetSecondOfDay >= kSecondsPerDay) return false;
    if (now.millisecondOfDay / 1000 == targetSecondOfDay) return true;
    return previous && MissedInShortStall(targetSecondOfDay, *previous, now);
}

}  // namespace brellix::scheduler
