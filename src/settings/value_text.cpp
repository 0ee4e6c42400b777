#include "settings/value_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <system_error>

namespace brellix::settings {

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

// The whole text (blanks around it allowed) as a finite number; none for anything else.
template <class Number>
std::optional<Number> ParseNumber(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    // One plus sign, which the number parser does not take ("+-1" stays no number).
    if (!text.empty() && text.front() == L'+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == L'-') return std::nullopt;
    }
    std::string ascii;
    for (wchar_t c : text) {
        if (c <= 0 || c >= 0x80) return std::nullopt;
        ascii += static_cast<char>(c);
    }
    Number value{};
    const char* end = ascii.data() + ascii.size();
    const auto [ptr, ec] = std::from_chars(ascii.data(), end, value, std::chars_format::general);
    if (ec != std::errc() || ptr != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::wstring Widen(std::string_view ascii) { return std::wstring(ascii.begin(), ascii.end()); }

}  // namespace

std::optional<std::int16_t> ParseIndex(std::wstring_view text) {
    const std::optional<double> number = ParseNumber<double>(text);
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

float PositionFromText(std::wstring_view text) { return ParseNumber<float>(text).value_or(0.0f); }

std::wstring PositionToText(float twips) {
    if (!std::isfinite(twips) || twips == 0.0f) return L"0";  // also "-0" reads better as "0"
    char text[64];
    if (std::trunc(twips) == twips && std::fabs(twips) < 1e18f) {
        std::snprintf(text, sizeof text, "%lld", static_cast<long long>(twips));
    } else {
        // The fewest significant digits that read back as the same value: "12.5", not
        // "12.5000000". (The float overload of std::to_chars would add 170 KB of tables.)
        for (int digits = 6; digits <= 9; ++digits) {
            std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(twips));
            // The C library's radix follows its locale, which nothing here changes; be sure anyway.
            std::replace(std::begin(text), std::end(text), ',', '.');
            if (ParseNumber<float>(Widen(text)) == twips) break;
        }
    }
    return Widen(text);
}

std::wstring IndexToText(int index) { return Widen(std::to_string(index)); }

}  // namespace brellix::settings
