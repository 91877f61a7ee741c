#include "base/numbers.h"

#include <gtest/gtest.h>

#include <string>

TEST(ParseNumber, AcceptsWhatAPersonTypes) {
    struct Case {
        const wchar_t* text;
        wchar_t separator;
        double expected;
    };
    const Case cases[] = {
        {L"5", L'.', 5.0},       {L" 5 ", L'.', 5.0},     {L"\t05", L'.', 5.0},
        {L"5.0", L'.', 5.0},     {L"-5", L'.', -5.0},     {L"+7", L'.', 7.0},
        {L"4.5", L'.', 4.5},     {L".5", L'.', 0.5},      {L"5.", L'.', 5.0},
        {L"1e3", L'.', 1000.0},  {L"2.5E-1", L'.', 0.25}, {L"4,5", L',', 4.5},
        {L"1e9", L'.', 1e9},
        // Full-width forms, as an East Asian input method types them.
        {L"\uFF11\uFF10", L'.', 10.0}, {L"\u3000\uFF15\u3000", L'.', 5.0},
        {L"\uFF11\uFF0E\uFF15", L'.', 1.5}, {L"\uFF0D\uFF15", L'.', -5.0},
        {L"\uFF14\uFF0C\uFF15", L',', 4.5}, {L"\uFF11\uFF45\uFF13", L'.', 1000.0},
    };
    for (const Case& c : cases) {
        std::optional<double> value = ParseNumber(c.text, c.separator);
        ASSERT_TRUE(value.has_value()) << "text: " << std::wstring(c.text).size();
        EXPECT_DOUBLE_EQ(*value, c.expected);
    }
}

TEST(ParseNumber, ShortDecimalsAreExactlyTheNearestDouble) {
    // The same doubles the compiler makes of the same literals.
    struct Case {
        const wchar_t* text;
        double expected;
    };
    const Case cases[] = {
        {L"0.1", 0.1},       {L"2.675", 2.675},     {L"32767.5", 32767.5},
        {L"0.000001", 1e-6}, {L"1e22", 1e22},       {L"123456789012345", 123456789012345.0},
        {L"00012.50", 12.5}, {L"-0.5", -0.5},       {L"4.99999999999999", 4.99999999999999},
        {L"1e-400", 0.0},    {L"5.000000000000000000000000", 5.0},
    };
    for (const Case& c : cases) {
        std::optional<double> value = ParseNumber(c.text, L'.');
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(*value, c.expected) << std::wstring(c.text).size();
    }
    EXPECT_TRUE(ParseNumber(L"1e308", L'.').has_value()); // approximately
    EXPECT_FALSE(ParseNumber(L"1e309", L'.').has_value());
    EXPECT_FALSE(ParseNumber(L"1e99999999999", L'.').has_value());
}

TEST(ParseNumber, RejectsEverythingElse) {
    const wchar_t* rejected[] = {L"",    L" ",   L"abc", L"5a",   L"a5",  L"5 5", L"--5",
                                 L"+",   L".",   L"e5",  L"5e",   L"5e+", L"1,5", L"0x10",
                                 L"inf", L"nan", L"1e999", L"5..0",
                                 // Other scripts' digits are not read as numbers.
                                 L"\u0665", L"\u0967\u0966", L"\uFF15\uFF41"};
    for (const wchar_t* text : rejected)
        EXPECT_FALSE(ParseNumber(text, L'.').has_value()) << "accepted a non-number";
    // The decimal separator is the locale's, not always a dot.
    EXPECT_FALSE(ParseNumber(L"4.5", L',').has_value());
    // Three hundred digits is a number, just a very large one.
    EXPECT_TRUE(ParseNumber(std::wstring(300, L'9'), L'.').has_value());
}

TEST(RoundToInt16, RoundsHalfToEvenWithinRange) {
    struct Case {
        double value;
        int expected;
    };
    const Case cases[] = {{2.5, 2},       {3.5, 4},       {-2.5, -2},        {-3.5, -4},
                          {7.5, 8},       {0.5, 0},       {1.5, 2},          {2.4999, 2},
                          {2.5001, 3},    {-0.4, 0},      {32767.0, 32767},  {32767.4, 32767},
                          {-32768, -32768}, {-32768.5, -32768}};
    for (const Case& c : cases) {
        std::optional<int16_t> rounded = RoundToInt16(c.value);
        ASSERT_TRUE(rounded.has_value()) << c.value;
        EXPECT_EQ(*rounded, c.expected) << c.value;
    }
    EXPECT_FALSE(RoundToInt16(32767.5).has_value());
    EXPECT_FALSE(RoundToInt16(32768.0).has_value());
    EXPECT_FALSE(RoundToInt16(-32768.6).has_value());
    EXPECT_FALSE(RoundToInt16(1e300).has_value());
}

TEST(WholeMinutes, OnlyWholeNumbersTheCounterCanReach) {
    EXPECT_EQ(WholeMinutes(L"5", L'.'), 5);
    EXPECT_EQ(WholeMinutes(L"5.0", L'.'), 5);
    EXPECT_EQ(WholeMinutes(L" 5 ", L'.'), 5);
    EXPECT_EQ(WholeMinutes(L"1", L'.'), 1);
    EXPECT_EQ(WholeMinutes(L"32767", L'.'), 32767);
    EXPECT_EQ(WholeMinutes(L"1e2", L'.'), 100);
    EXPECT_EQ(WholeMinutes(L"\uFF11\uFF10", L'.'), 10);
    const wchar_t* invalid[] = {L"",   L"abc", L"0",     L"-5",  L"4.5",
                                L"1e9", L"99999", L"32768", L"0.0", L"-0"};
    for (const wchar_t* text : invalid)
        EXPECT_FALSE(WholeMinutes(text, L'.').has_value());
}
