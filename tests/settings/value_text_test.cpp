#include "settings/value_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "platform/memory/memory_os.h"
#include "settings/settings_file.h"

namespace brellix::settings {
namespace {

TEST(ListIndexFromText, TakesANumberThatNamesAnItemElseTheKeysDefault) {
    struct Case {
        const wchar_t* text;
        int expected;
    };
    // Four items, as the power-action list has; the key's default "1".
    const Case cases[] = {
        {L"0", 0},      {L"1", 1},       {L"3", 3},        {L"2.9", 2},     {L"2.5", 2},   {L" 2 ", 2},
        {L"+2", 2},     {L"-0", 0},      {L"1e0", 1},      {L"0.999", 0},   {L".5", 0},    {L"3.", 3},
        // Names no item: the default.
        {L"-1", 1},     {L"-0.5", 1},    {L"4", 1},        {L"32767", 1},   {L"-32768", 1},
        // Beyond 16 bits, not finite, not a number: the default.
        {L"32768", 1},  {L"1e400", 1},   {L"nan", 1},      {L"inf", 1},     {L"-inf", 1},  {L"", 1},
        {L"abc", 1},    {L"2abc", 1},    {L"0x2", 1},      {L"2,5", 1},     {L"+-1", 1},   {L"--1", 1},
        {L"\xFF12", 1}, {L"\x0662", 1},  {L"2\x00A0", 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ListIndexFromText(c.text, 4, kOptionsSelected.defaultValue), c.expected) << platform::ToCallText(c.text);
    }
}

TEST(ListIndexFromText, NamesNoItemWhenNeitherTextDoes) {
    EXPECT_EQ(ListIndexFromText(L"x", 0, L"1"), -1);
    EXPECT_EQ(ListIndexFromText(L"5", 2, L"7"), -1);
    EXPECT_EQ(ListIndexFromText(L"1", 2, L"x"), 1);
}

TEST(ParseIndex, RoundsDownThenKeepsSixteenBits) {
    EXPECT_EQ(ParseIndex(L"-32768"), std::int16_t{-32768});
    EXPECT_EQ(ParseIndex(L"32767.9"), std::int16_t{32767});
    EXPECT_EQ(ParseIndex(L"-32767.5"), std::int16_t{-32768});
    EXPECT_EQ(ParseIndex(L"-32768.5"), std::nullopt);
    EXPECT_EQ(ParseIndex(L"-2.1"), std::int16_t{-3});
    EXPECT_EQ(ParseIndex(L"1e308"), std::nullopt);
}

TEST(PickerTextFromText, TakesOnlyThePickersOwnItemText) {
    const std::vector<std::wstring> ampm{L"AM", L"PM"};
    EXPECT_EQ(PickerTextFromText(L"PM", ampm, L"AM"), L"PM");
    EXPECT_EQ(PickerTextFromText(L"AM", ampm, L"AM"), L"AM");
    EXPECT_EQ(PickerTextFromText(L"pm", ampm, L"AM"), L"AM");
    EXPECT_EQ(PickerTextFromText(L" PM", ampm, L"AM"), L"AM");
    EXPECT_EQ(PickerTextFromText(L"", ampm, L"AM"), L"AM");

    std::vector<std::wstring> hours;
    for (int h = 1; h <= 12; ++h) hours.push_back(std::to_wstring(h));
    EXPECT_EQ(PickerTextFromText(L"12", hours, L"3"), L"12");
    EXPECT_EQ(PickerTextFromText(L"13", hours, L"3"), L"3");
    EXPECT_EQ(PickerTextFromText(L"03", hours, L"3"), L"3");
    EXPECT_EQ(PickerTextFromText(L"0", hours, L"3"), L"3");
    EXPECT_EQ(PickerTextFromText(L"7", {}, L"3"), L"3");
}

TEST(WholeNumberFromText, TakesAWholeNumberUpToTheLargestElseTheDefault) {
    const struct {
        const wchar_t* text;
        int expected;
    } cases[] = {
        {L"0", 0},    {L"60", 60},   {L"3600", 3600}, {L" 90 ", 90}, {L"0120", 120}, {L"3601", 60},
        {L"-1", 60},  {L"+5", 60},   {L"1.5", 60},    {L"1e2", 60},  {L"", 60},       {L"abc", 60},
        {L"99999999999999999999", 60},
    };
    for (const auto& c : cases) EXPECT_EQ(WholeNumberFromText(c.text, 3600, 60), c.expected) << platform::ToCallText(c.text);
}

TEST(PositionFromText, ReadsFiniteSinglePrecisionNumbersElseZero) {
    struct Case {
        const wchar_t* text;
        float expected;
    };
    const Case cases[] = {
        {L"0", 0.0f},       {L"1234", 1234.0f}, {L"-15", -15.0f}, {L"12.5", 12.5f},   {L"1e3", 1000.0f},
        {L" 7 ", 7.0f},     {L"+7", 7.0f},      {L"0.1", 0.1f},   {L"3.4e38", 3.4e38f},
        {L"", 0.0f},        {L"abc", 0.0f},     {L"12px", 0.0f},  {L"nan", 0.0f},     {L"inf", 0.0f},
        {L"1e39", 0.0f},    {L"-1e39", 0.0f},   {L"1,5", 0.0f},   {L"\xFF11", 0.0f},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PositionFromText(c.text), c.expected) << platform::ToCallText(c.text);
    }
}

TEST(PositionToText, WritesIntegralValuesWithoutAFractionAndReadsBackTheSameValue) {
    struct Case {
        float value;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {0.0f, L"0"},          {-0.0f, L"0"},         {1234.0f, L"1234"},
        {-15.0f, L"-15"},      {12.5f, L"12.5"},      {0.1f, L"0.1"},
        {-7.25f, L"-7.25"},    {1e7f, L"10000000"},   {16777216.0f, L"16777216"},
        {std::numeric_limits<float>::quiet_NaN(), L"0"},
        {std::numeric_limits<float>::infinity(), L"0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PositionToText(c.value), c.expected);
    }
    for (const float value : {1.0f / 3.0f, -12345.678f, 1.5e-5f, 3.4e38f, -2.5e-38f, 14400.0f, 0.05f}) {
        EXPECT_EQ(PositionFromText(PositionToText(value)), value) << value;
    }
}

// The exe converts numbers with its own code (the library's would add 69 KB to it); the library's
// conversions, which cost nothing here, are the reference for every text below.
std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

template <class Number>
std::optional<Number> LibraryNumber(const std::string& text) {
    Number value{};
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, std::chars_format::general);
    if (ec != std::errc() || ptr != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

float LibraryPosition(const std::string& text) { return LibraryNumber<float>(text).value_or(0.0f); }

std::optional<std::int16_t> LibraryIndex(const std::string& text) {
    const std::optional<double> number = LibraryNumber<double>(text);
    if (!number || std::floor(*number) < -32768 || std::floor(*number) > 32767) return std::nullopt;
    return static_cast<std::int16_t>(std::floor(*number));
}

std::string Printed(const char* format, int digits, double value) {
    char text[512];
    std::snprintf(text, sizeof text, format, digits, value);
    return text;
}

// Texts near the edges of the number syntax, of rounding, and of the float and double ranges.
std::vector<std::string> EdgeTexts() {
    std::vector<std::string> texts = {
        "1e-50", "1e-46", "7e-46", "7.006e-46", "7.1e-46", "1e-45", "1.4e-45", "1e-40", "1.1754942e-38",
        "1.17549435e-38", "3.4028235e38", "3.40282347e38", "3.4028236e38", "3.40282357e38",
        "3.40282356779733661637539395458142568448e38", "3.4028235677973366163753939545814256845e38", "1e39",
        "0e99999", "0e-99999", "-0", ".5", "3.", "-.5", "1e", "1e+", "e5", ".", "-", "0x10", "1_0", "00012.50",
        "1e-0000000000000000000000000000000001", "2.5E+1", "1e2147483648", "1e-2147483649", "1.2.3", "1e5.5",
        "0.00000000000000000000000000000000000000000000000000001e60", "16777217", "16777219", "0.1", "0.3",
        "1e-330", "2.4e-324", "2.5e-324", "4.9e-324", "2.2250738585072011e-308", "2.2250738585072014e-308", "1e308",
        "1.7976931348623157e308", "1.7976931348623158e308", "1.7976931348623159e308", "2.9999999999999999999",
        "2.99999999999999999", "32767.99999999999999999", "-32768.000000000000001", "32767.999999999998",
        "9007199254740993", "9007199254740993.0000000000000000000000000001", "123456789012345678901234567890",
        "0.000000000000000000000000000000000000000000001401298464324817070923729583289916131280"};
    // A tie between two floats, then digits beyond the 800 kept that decide it.
    const std::string tie = "16777217." + std::string(900, '0');
    texts.push_back(tie);
    texts.push_back(tie + "1");
    texts.push_back("1" + std::string(850, '0') + "e-850");
    texts.push_back("9" + std::string(1000, '9') + "e-1310");
    texts.push_back("0." + std::string(1100, '0') + "1e1100");
    texts.push_back(std::string(1000, '9') + "e-1324");
    texts.push_back(std::string(1000, '9') + "e-1000");
    texts.push_back("0." + std::string(1000, '9') + "e309");
    return texts;
}

TEST(PositionFromText, ReadsWhatTheLibraryReads) {
    for (const std::string& text : EdgeTexts()) {
        EXPECT_EQ(std::bit_cast<std::uint32_t>(PositionFromText(Wide(text))),
                  std::bit_cast<std::uint32_t>(LibraryPosition(text)))
            << text.substr(0, 80);
    }
    // Every float's shortest and longer texts, and texts of random digits at random scales.
    std::mt19937 random(7);
    for (int i = 0; i < 20000; ++i) {
        const float value = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
        if (!std::isfinite(value)) continue;
        for (const std::string& text :
             {Printed("%.*g", 6 + i % 4, value), Printed("%.*e", 8 + i % 12, value), Printed("%.*f", i % 5, value)}) {
            ASSERT_EQ(std::bit_cast<std::uint32_t>(PositionFromText(Wide(text))),
                      std::bit_cast<std::uint32_t>(LibraryPosition(text)))
                << text;
        }
        std::string digits(1 + random() % 30, '0');
        for (char& digit : digits) digit = static_cast<char>('0' + random() % 10);
        const std::string scaled = digits + "e" + std::to_string(static_cast<int>(random() % 100) - 70);
        ASSERT_EQ(std::bit_cast<std::uint32_t>(PositionFromText(Wide(scaled))),
                  std::bit_cast<std::uint32_t>(LibraryPosition(scaled)))
            << scaled;
    }
}

TEST(ParseIndex, RoundsWhatTheLibraryReadsAsADouble) {
    for (const std::string& text : EdgeTexts()) EXPECT_EQ(ParseIndex(Wide(text)), LibraryIndex(text)) << text.substr(0, 80);
    std::mt19937 random(11);
    for (int i = 0; i < 20000; ++i) {
        // Near whole numbers, where the double's rounding decides the index.
        const int whole = static_cast<int>(random() % 70000) - 35000;
        const std::string text = std::to_string(whole) + "." + std::string(1 + random() % 20, '9');
        ASSERT_EQ(ParseIndex(Wide(text)), LibraryIndex(text)) << text;
    }
}

TEST(PositionToText, WritesWhatTheLibrarysFewestDigitsFormWrites) {
    // As printf's "%.*g" with 6 to 9 digits, the fewest that read back the same.
    const auto reference = [](float value) {
        std::string text;
        for (int digits = 6; digits <= 9; ++digits) {
            text = Printed("%.*g", digits, value);
            if (LibraryPosition(text) == value) break;
        }
        return Wide(text);
    };
    std::mt19937 random(3);
    for (int i = 0; i < 20000; ++i) {
        const float value = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
        if (!std::isfinite(value) || value == 0.0f || (std::trunc(value) == value && std::fabs(value) < 1e18f)) continue;
        ASSERT_EQ(PositionToText(value), reference(value)) << value;
    }
    // Ties at the digits written round to even, as the C library does.
    for (const float value : {1234566.5f, 1234567.5f, 0.5f + 8388607.0f, 999999.5f, 99999.25f, 1e-45f, 1.17549435e-38f}) {
        EXPECT_EQ(PositionToText(value), reference(value)) << value;
    }
}

TEST(IndexToText, IsPlainDecimal) {
    EXPECT_EQ(IndexToText(0), L"0");
    EXPECT_EQ(IndexToText(3), L"3");
    EXPECT_EQ(IndexToText(-1), L"-1");
    EXPECT_EQ(IndexToText(-32768), L"-32768");
    for (int index = -1; index < 4; ++index) EXPECT_EQ(ListIndexFromText(IndexToText(index), 4, L"9"), index);
}

}  // namespace
}  // namespace brellix::settings
