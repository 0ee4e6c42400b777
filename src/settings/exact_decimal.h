// Exact conversions between decimal text and binary floating point, and plain integer text.
// Written here rather than taken from std::from_chars or printf: those bring 33 KB and 36 KB of
// library code into the exe for the few numbers of a settings file. Both directions are exact
// (correctly rounded), so the results are the ones those functions give.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brellix::settings {

// The text (blanks around it allowed: an optional sign, digits with an optional point, an
// optional exponent) as the nearest finite value, ties to even; none when it is no number,
// overflows the type or rounds to zero.
std::optional<float> ParseFloat(std::wstring_view text);
std::optional<double> ParseDouble(std::wstring_view text);

// As printf's "%.*g": the value rounded to `precision` significant digits (ties to even), in
// plain or exponent notation by the size of its exponent, without trailing zeros.
std::wstring GeneralText(float value, int precision);

// Plain decimal, a leading minus for negatives.
std::wstring IntegerText(long long value);

}  // namespace brellix::settings
