// The texts stored in the settings file and what the window takes from them. Every conversion is
// locale-independent: a file written under one locale reads the same under another. Anything the
// window cannot take falls back to the key's default.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace brellix::settings {

// A decimal number ("2", "2.9", "-1e1"), rounded down toward negative infinity, as a 16-bit
// signed index; none when the text is no number, not finite, or beyond 16 bits.
std::optional<std::int16_t> ParseIndex(std::wstring_view text);

// The list item to check for a Selected value: the text's index when it names one of the list's
// itemCount items, else the default text's index (else -1, no item).
int ListIndexFromText(std::wstring_view text, int itemCount, std::wstring_view defaultText);

// A picker's text: the stored text when it is exactly one of the picker's items, else the default.
std::wstring PickerTextFromText(std::wstring_view text, std::span<const std::wstring> items,
                                std::wstring_view defaultText);

// A whole number of 0 to `largest` (blanks around it allowed), else the default: the warning's
// seconds, the snooze's minutes, the daily switch.
int WholeNumberFromText(std::wstring_view text, int largest, int defaultValue);

// A position in twips; 0 when the text is no finite single-precision number.
float PositionFromText(std::wstring_view text);

// The shortest text that reads back as the same single-precision value, without a fraction part
// for integral values: 1234 -> "1234", 12.5 -> "12.5".
std::wstring PositionToText(float twips);

// Plain decimal, a leading minus for negatives: -1 -> "-1".
std::wstring IndexToText(int index);

}  // namespace brellix::settings
