#include "settings/value_text.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "settings/exact_decimal.h"

namespace brellix::settings {

std::optional<std::int16_t> ParseIndex(std::wstring_view text) {
    const std::optional<double> number = ParseDouble(text);
    if (!number) return std::nullopt;
    const double floored = std::floor(*number);
    if (floored < std::numeric_limits<std::int16_t>::min() || floored > std::numeric_limits<std::int16_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(floored);
}

int ListIndexFromText(std::wstring_view text, int itemCount, std::wstring_view defaultText) {
    for (const std::wstring_view candidate : {text, defaultText}) {
        const std::optional<std::int16_t> index = ParseIndex(candidate);
        if (index && *index >= 0 && *index < itemCount) return *index;
    }
    return -1;
}

std::wstring PickerTextFromText(std::wstring_view text, std::span<const std::wstring> items,
                                std::wstring_view defaultText) {
    const bool isItem = std::find(items.begin(), items.end(), text) != items.end();
    return std::wstring(isItem ? text : defaultText);
}

int WholeNumberFromText(std::wstring_view text, int largest, int defaultValue) {
    const std::size_t first = text.find_first_not_of(L" \t");
    const std::size_t last = text.find_last_not_of(L" \t");
    if (first == std::wstring_view::npos) return defaultValue;
    const std::wstring_view digits = text.substr(first, last - first + 1);
    int number = 0;
    for (const wchar_t c : digits) {
        if (c < L'0' || c > L'9') return defaultValue;
        number = number * 10 + (c - L'0');
        if (number > largest) return defaultValue;
    }
    return number;
}

float PositionFromText(std::wstring_view text) { return ParseFloat(text).value_or(0.0f); }

std::wstring PositionToText(float twips) {
    if (!std::isfinite(twips) || twips == 0.0f) return L"0";  // also "-0" reads better as "0"
    if (std::trunc(twips) == twips && std::fabs(twips) < 1e18f) {
        return IntegerText(static_cast<long long>(twips));
    }
    // The fewest significant digits, from 6, that read back as the same value: "12.5", not
    // "12.5000000". (The float overload of std::to_chars would add 170 KB of tables.)
    std::wstring text;
    for (int digits = 6; digits <= 9; ++digits) {
        text = GeneralText(twips, digits);
        if (ParseFloat(text) == twips) break;
    }
    return text;
}

std::wstring IndexToText(int index) { return IntegerText(index); }

}  // namespace brellix::settings
