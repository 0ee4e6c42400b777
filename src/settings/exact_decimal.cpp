#include "settings/exact_decimal.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>
#include <type_traits>

namespace brellix::settings {

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// An unsigned integer of up to 4,160 bits. The widest a conversion makes is a double's divisor:
// at most 10^1124 (kMaxDigits digits below the smallest exponent), shifted by 53 bits.
class BigNumber {
public:
    explicit BigNumber(std::uint32_t value = 0) : size_(value != 0) { limbs_[0] = value; }

    bool IsZero() const { return size_ == 0; }

    void MultiplyAdd(std::uint32_t factor, std::uint32_t addend) {
        std::uint64_t carry = addend;
        for (int i = 0; i < size_; ++i) {
            carry += static_cast<std::uint64_t>(limbs_[i]) * factor;
            limbs_[i] = static_cast<std::uint32_t>(carry);
            carry >>= 32;
        }
        if (carry != 0) limbs_[size_++] = static_cast<std::uint32_t>(carry);
    }

    // Divides in place; returns the remainder.
    std::uint32_t Divide(std::uint32_t divisor) {
        std::uint64_t remainder = 0;
        for (int i = size_ - 1; i >= 0; --i) {
            const std::uint64_t part = (remainder << 32) | limbs_[i];
            limbs_[i] = static_cast<std::uint32_t>(part / divisor);
            remainder = part % divisor;
        }
        Trim();
        return static_cast<std::uint32_t>(remainder);
    }

    void MultiplyByPowerOfTen(long long exponent) {
        for (; exponent >= 9; exponent -= 9) MultiplyAdd(1'000'000'000, 0);
        for (; exponent > 0; --exponent) MultiplyAdd(10, 0);
    }

    void ShiftLeft(long long bits) {
        if (IsZero()) return;
        const int limbShift = static_cast<int>(bits / 32), bitShift = static_cast<int>(bits % 32);
        limbs_[size_] = 0;
        for (int i = size_; i >= 0; --i) {
            const std::uint32_t low = i > 0 && bitShift != 0 ? limbs_[i - 1] >> (32 - bitShift) : 0;
            limbs_[i + limbShift] = (bitShift != 0 ? limbs_[i] << bitShift : limbs_[i]) | low;
        }
        std::fill(limbs_, limbs_ + limbShift, 0u);
        size_ += limbShift + 1;
        Trim();
    }

    void ShiftRightOne() {
        for (int i = 0; i < size_; ++i) {
            limbs_[i] = (limbs_[i] >> 1) | (i + 1 < size_ ? limbs_[i + 1] << 31 : 0);
        }
        Trim();
    }

    int BitLength() const { return size_ == 0 ? 0 : 32 * size_ - std::countl_zero(limbs_[size_ - 1]); }

    friend int Compare(const BigNumber& a, const BigNumber& b) {
        if (a.size_ != b.size_) return a.size_ < b.size_ ? -1 : 1;
        for (int i = a.size_ - 1; i >= 0; --i) {
            if (a.limbs_[i] != b.limbs_[i]) return a.limbs_[i] < b.limbs_[i] ? -1 : 1;
        }
        return 0;
    }

    // Requires subtrahend <= *this.
    void Subtract(const BigNumber& subtrahend) {
        std::int64_t borrow = 0;
        for (int i = 0; i < size_; ++i) {
            std::int64_t difference = static_cast<std::int64_t>(limbs_[i]) - borrow;
            if (i < subtrahend.size_) difference -= subtrahend.limbs_[i];
            borrow = difference < 0;
            limbs_[i] = static_cast<std::uint32_t>(difference + (borrow << 32));
        }
        Trim();
    }

private:
    void Trim() {
        while (size_ > 0 && limbs_[size_ - 1] == 0) --size_;
    }

    std::uint32_t limbs_[130];  // least significant first
    int size_;
};

// Mantissa digits beyond this many only tell whether the value lies above the digits kept: no
// midpoint between two doubles has more significant digits, so the rounding stays exact.
constexpr int kMaxDigits = 800;

// A number as its text gives it: digits * 10^scale, where digits holds the first kMaxDigits
// significant digits (kept of them) and inexact says whether nonzero digits followed.
struct Decimal {
    BigNumber digits;
    int kept = 0;
    long long scale = 0;
    bool negative = false, inexact = false;
};

// The whole text (blanks around it allowed): an optional sign, digits with an optional point, an
// optional exponent. False for anything else.
bool ParseDecimal(std::wstring_view text, Decimal& number) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    std::size_t i = 0;
    const auto at = [&](std::size_t index) { return index < text.size() ? text[index] : L'\0'; };
    // One sign; "+-1" stays no number.
    number.negative = at(0) == L'-';
    if (number.negative || at(0) == L'+') ++i;

    bool anyDigit = false, point = false;
    for (;; ++i) {
        const wchar_t c = at(i);
        if (c == L'.' && !point) {
            point = true;
            continue;
        }
        if (!IsDigit(c)) break;
        anyDigit = true;
        if (number.kept < kMaxDigits && (number.kept > 0 || c != L'0')) {
            number.digits.MultiplyAdd(10, static_cast<std::uint32_t>(c - L'0'));
            ++number.kept;
            if (point) --number.scale;
        } else if (number.kept == 0) {
            if (point) --number.scale;  // a leading zero
        } else {
            number.inexact = number.inexact || c != L'0';
            if (!point) ++number.scale;
        }
    }
    if (!anyDigit) return false;
    if (at(i) == L'e' || at(i) == L'E') {
        ++i;
        const bool negativeExponent = at(i) == L'-';
        if (negativeExponent || at(i) == L'+') ++i;
        if (!IsDigit(at(i))) return false;
        long long exponent = 0;
        for (; IsDigit(at(i)); ++i) exponent = std::min(exponent * 10 + (at(i) - L'0'), 1'000'000'000LL);
        number.scale += negativeExponent ? -exponent : exponent;
    }
    return i == text.size();
}

// The layout of an IEEE binary type, and the powers of ten beyond which every value overflows it
// or rounds to zero (the smallest subnormal lies well above the second bound).
struct BinaryFormat {
    int precision, maxExponent, minExponent, maxExponent10, minExponent10;
};
template <class Number>
constexpr BinaryFormat kFormatOf = {
    std::numeric_limits<Number>::digits,            // 24, 53
    std::numeric_limits<Number>::max_exponent - 1,  // 127, 1023
    std::numeric_limits<Number>::min_exponent - 1,  // -126, -1022
    std::numeric_limits<Number>::max_exponent10,
    std::numeric_limits<Number>::min_exponent10 - std::numeric_limits<Number>::max_digits10 - 1,
};

// The bits of the value nearest to a nonzero decimal, ties to even, without the sign; 0 when it
// overflows or rounds to zero.
std::uint64_t NearestBits(const Decimal& decimal, const BinaryFormat& format) {
    const long long exponent10 = decimal.scale + decimal.kept - 1;  // of the first digit
    if (exponent10 > format.maxExponent10 || exponent10 < format.minExponent10) return 0;
    BigNumber numerator = decimal.digits, denominator(1);
    if (decimal.scale >= 0) numerator.MultiplyByPowerOfTen(decimal.scale);
    else denominator.MultiplyByPowerOfTen(-decimal.scale);

    // The binary exponent: 2^exponent <= numerator / denominator < 2^(exponent + 1).
    long long exponent = numerator.BitLength() - denominator.BitLength();
    {
        BigNumber n = numerator, d = denominator;
        if (exponent >= 0) d.ShiftLeft(exponent);
        else n.ShiftLeft(-exponent);
        if (Compare(n, d) < 0) --exponent;
    }
    if (exponent > format.maxExponent) return 0;

    // The weight of the last mantissa bit; subnormals have fewer bits.
    const long long quantum = std::max<long long>(exponent, format.minExponent) - (format.precision - 1);
    // The mantissa and one rounding bit: the quotient by 2^(quantum - 1), below 2^(precision + 1).
    if (quantum - 1 >= 0) denominator.ShiftLeft(quantum - 1);
    else numerator.ShiftLeft(1 - quantum);
    denominator.ShiftLeft(format.precision);
    std::uint64_t quotient = 0;
    for (int bit = format.precision; bit >= 0; --bit, denominator.ShiftRightOne()) {
        if (Compare(numerator, denominator) >= 0) {
            numerator.Subtract(denominator);
            quotient |= std::uint64_t{1} << bit;
        }
    }
    const bool beyondHalf = !numerator.IsZero() || decimal.inexact;
    std::uint64_t mantissa = quotient >> 1;
    if ((quotient & 1) != 0 && (beyondHalf || (mantissa & 1) != 0)) ++mantissa;
    if (mantissa == 0) return 0;

    // The exponent field counts from 1 for the smallest normal; a mantissa that carried into the
    // next power of two, or a subnormal that became normal, carries into the field by itself.
    const auto field = static_cast<std::uint64_t>(quantum + (format.precision - 1) + format.maxExponent - 1);
    const std::uint64_t bits = (field << (format.precision - 1)) + mantissa;
    const bool infinite = (bits >> (format.precision - 1)) >= static_cast<std::uint64_t>(2 * format.maxExponent + 1);
    return infinite ? 0 : bits;
}

// The text as a finite number; none when it is no number, overflows the type or rounds to zero.
template <class Number>
std::optional<Number> ParseNumber(std::wstring_view text) {
    Decimal decimal;
    if (!ParseDecimal(text, decimal)) return std::nullopt;
    Number value = 0;
    if (decimal.kept > 0) {
        const std::uint64_t bits = NearestBits(decimal, kFormatOf<Number>);
        if (bits == 0) return std::nullopt;
        using Bits = std::conditional_t<sizeof(Number) == 4, std::uint32_t, std::uint64_t>;
        value = std::bit_cast<Number>(static_cast<Bits>(bits));
    }
    return decimal.negative ? -value : value;
}

}  // namespace

std::wstring GeneralText(float value, int precision) {
    // |value| = mantissa * 2^exponent exactly, then digits * 10^exponent10 exactly.
    const auto bits = std::bit_cast<std::uint32_t>(value);
    const std::uint32_t field = (bits >> 23) & 0xFF, fraction = bits & 0x7FFFFF;
    BigNumber number(field == 0 ? fraction : fraction | 0x800000);
    int exponent = field == 0 ? -149 : static_cast<int>(field) - 150;
    int exponent10 = 0;
    if (exponent >= 0) {
        number.ShiftLeft(exponent);
    } else {
        for (; exponent < 0; ++exponent, --exponent10) number.MultiplyAdd(5, 0);
    }
    // At most 39 digits (2^128) or 112 (2^24 * 5^149); least significant first, then turned round.
    char digits[128];
    int count = 0;
    while (!number.IsZero()) {
        std::uint32_t group = number.Divide(1'000'000'000);
        for (int k = 0; k < 9; ++k, group /= 10) digits[count++] = static_cast<char>('0' + group % 10);
    }
    while (digits[count - 1] == '0') --count;
    std::reverse(digits, digits + count);
    exponent10 += count - 1;  // now of the first digit

    if (count > precision) {
        const char next = digits[precision];
        const bool beyondHalf = std::any_of(digits + precision + 1, digits + count, [](char d) { return d != '0'; });
        const bool up = next > '5' || (next == '5' && (beyondHalf || (digits[precision - 1] - '0') % 2 != 0));
        count = precision;
        if (up) {
            int k = precision - 1;
            for (; k >= 0 && digits[k] == '9'; --k) digits[k] = '0';
            if (k >= 0) {
                ++digits[k];
            } else {
                digits[0] = '1';  // 99.9 -> 100
                ++exponent10;
            }
        }
    }
    while (count > 1 && digits[count - 1] == '0') --count;

    // At most a sign, "0.", four zeros, nine digits and "e+38".
    wchar_t text[32];
    wchar_t* out = text;
    if (std::signbit(value)) *out++ = L'-';
    const bool scientific = exponent10 < -4 || exponent10 >= precision;
    // Digits before the point: the first in exponent notation, all whole ones in plain notation.
    const int whole = scientific ? 1 : std::max(exponent10 + 1, 0);
    if (whole == 0) {
        *out++ = L'0';
        *out++ = L'.';
        for (int k = exponent10 + 1; k < 0; ++k) *out++ = L'0';
    }
    for (int k = 0; k < std::max(count, whole); ++k) {
        if (k == whole && whole > 0) *out++ = L'.';
        *out++ = k < count ? static_cast<wchar_t>(digits[k]) : L'0';
    }
    if (scientific) {
        const int power = exponent10 < 0 ? -exponent10 : exponent10;
        *out++ = L'e';
        *out++ = exponent10 < 0 ? L'-' : L'+';
        *out++ = static_cast<wchar_t>(L'0' + power / 10);
        *out++ = static_cast<wchar_t>(L'0' + power % 10);
    }
    return std::wstring(text, out);
}

// The library's std::to_string brings its own digit tables for each width.
std::wstring IntegerText(long long value) {
    wchar_t text[24];
    wchar_t* first = std::end(text);
    unsigned long long magnitude = value < 0 ? 0 - static_cast<unsigned long long>(value) : value;
    do {
        *--first = static_cast<wchar_t>(L'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) *--first = L'-';
    return std::wstring(first, std::end(text));
}
std::optional<float> ParseFloat(std::wstring_view text) { return ParseNumber<float>(text); }
std::optional<double> ParseDouble(std::wstring_view text) { return ParseNumber<double>(text); }

}  // namespace brellix::settings
