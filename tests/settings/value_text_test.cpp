#include "settings/value_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
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

TEST(IndexToText, IsPlainDecimal) {
    EXPECT_EQ(IndexToText(0), L"0");
    EXPECT_EQ(IndexToText(3), L"3");
    EXPECT_EQ(IndexToText(-1), L"-1");
    EXPECT_EQ(IndexToText(-32768), L"-32768");
    for (int index = -1; index < 4; ++index) EXPECT_EQ(ListIndexFromText(IndexToText(index), 4, L"9"), index);
}

}  // namespace
}  // namespace brellix::settings
