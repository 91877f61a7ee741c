// Wine 8 keeps the ANSI code page of the Unix locale, so UTF-8 (65001) and the
// code pages with restricted flags can only be checked here, as a decision.
#include "app/code_page.h"

#include <gtest/gtest.h>

TEST(AnsiConversionFor, CodePagesWithRestrictedFlagsGetWhatTheyAccept) {
    struct Case {
        uint32_t codePage;
        uint32_t flags;
        bool reportsDefaultChar;
        bool checkByRoundTrip;
    };
    const Case cases[] = {
        {1252, kNoBestFitChars, true, false},  {932, kNoBestFitChars, true, false},
        {1251, kNoBestFitChars, true, false},  {65001, kErrInvalidChars, false, false},
        {54936, kErrInvalidChars, false, false}, {50220, 0, false, true},
        {50229, 0, false, true},               {52936, 0, false, true},
        {57002, 0, false, true},               {57011, 0, false, true},
        {65000, 0, false, true},               {42, 0, false, true},
        {57001, kNoBestFitChars, true, false}, {57012, kNoBestFitChars, true, false},
    };
    for (const Case& c : cases) {
        AnsiConversion conversion = AnsiConversionFor(c.codePage);
        EXPECT_EQ(conversion.flags, c.flags) << c.codePage;
        EXPECT_EQ(conversion.reportsDefaultChar, c.reportsDefaultChar) << c.codePage;
        EXPECT_EQ(conversion.checkByRoundTrip, c.checkByRoundTrip) << c.codePage;
    }
}
