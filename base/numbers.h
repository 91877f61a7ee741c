// Text-to-number conversion shared by the scheduler and the settings file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// A decimal number as a person types it: optional blanks, sign, digits with
// the locale's decimal separator, optional exponent, in ASCII or full-width
// forms. Anything else, or a value beyond the double range, is not a number.
std::optional<double> ParseNumber(std::wstring_view text, wchar_t decimalSeparator);

// Rounds to the nearest integer, ties to the even neighbour (2.5 -> 2,
// 3.5 -> 4); nothing when the result leaves -32768..32767.
std::optional<int16_t> RoundToInt16(double value);

// The minutes text as a whole number of minutes the counter can reach:
// 1..32767, "5.0" and " 5 " being 5.
std::optional<int> WholeMinutes(std::wstring_view text, wchar_t decimalSeparator);
