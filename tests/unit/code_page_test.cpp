// Which flags each code page gets, held against the lists Windows documents for
// WideCharToMultiByte. Wine implements none of these code pages but UTF-7 and
// keeps the ANSI code page of the Unix locale, so here they stay a table; 1252,
// 65001 and 65000 are converted for real by kvcodepage.exe under Wine
// (tests/e2e/code_page_check.cpp).
#include "base/code_page.h"

#include <gtest/gtest.h>

#include <vector>

TEST(AnsiConversionFor, NoCodePageGetsWhatItRefusesAndEveryOneNoticesALoss) {
    // "dwFlags must be set to 0", or the call fails: a default-character
    // report is refused too, so only converting back shows a loss.
    std::vector<uint32_t> noFlags = {42, 50220, 50221, 50222, 50225, 50227, 50229, 52936, 65000};
    for (uint32_t iscii = 57002; iscii <= 57011; ++iscii)
        noFlags.push_back(iscii);
    for (uint32_t codePage : noFlags) {
        AnsiConversion how = AnsiConversionFor(codePage);
        EXPECT_EQ(how.flags, 0u) << codePage;
        EXPECT_FALSE(how.reportsDefaultChar) << codePage;
        EXPECT_TRUE(how.checkByRoundTrip) << codePage;
    }
    // They hold every character; WC_ERR_INVALID_CHARS is the one flag they take
    // and refuses a broken surrogate pair, and UTF-8 takes no default-character report.
    for (uint32_t codePage : {54936u, 65001u}) {
        AnsiConversion how = AnsiConversionFor(codePage);
        EXPECT_EQ(how.flags, kErrInvalidChars) << codePage;
        EXPECT_FALSE(how.reportsDefaultChar) << codePage;
    }
    // Every other code page, the neighbours of the ISCII range among them: no
    // best fit, and the default character reports what did not fit.
    for (uint32_t codePage : {437u, 932u, 936u, 1250u, 1252u, 20127u, 57001u, 57012u, 54935u}) {
        AnsiConversion how = AnsiConversionFor(codePage);
        EXPECT_EQ(how.flags, kNoBestFitChars) << codePage;
        EXPECT_TRUE(how.reportsDefaultChar) << codePage;
    }
}
