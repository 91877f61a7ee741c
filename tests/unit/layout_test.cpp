#include "ui/control_ids.h"
#include "ui/layout.h"

#include <gtest/gtest.h>

#include <set>

TEST(TwipsToPixels, FifteenTwipsAPixelAtNinetySixDpi) {
    EXPECT_EQ(TwipsToPixels(1440, 96), 96);
    EXPECT_EQ(TwipsToPixels(4830, 96), 322);
    EXPECT_EQ(TwipsToPixels(2580, 96), 172);
    EXPECT_EQ(TwipsToPixels(615, 96), 41);
    EXPECT_EQ(TwipsToPixels(4830, 144), 483); // 150 %
    EXPECT_EQ(TwipsToPixels(4830, 192), 644); // 200 %
    EXPECT_EQ(TwipsToPixels(7, 96), 0);       // 0.47 px
    EXPECT_EQ(TwipsToPixels(8, 96), 1);       // 0.53 px
    EXPECT_EQ(TwipsToPixels(0, 192), 0);
}

TEST(Form1Layout, EveryControlFitsTheClientAreaAtEveryScale) {
    std::set<int> ids;
    for (size_t i = 0; i < kForm1ControlCount; ++i) {
        const ControlItem& c = kForm1Controls[i];
        EXPECT_TRUE(ids.insert(c.id).second) << "duplicate id " << c.id;
        for (int dpi : {96, 120, 144, 192, 288}) {
            EXPECT_LE(TwipsToPixels(c.left, dpi) + TwipsToPixels(c.width, dpi),
                      TwipsToPixels(kForm1ClientWidth, dpi) + 1);
            EXPECT_LE(TwipsToPixels(c.top, dpi) + TwipsToPixels(c.height, dpi),
                      TwipsToPixels(kForm1ClientHeight, dpi) + 1);
        }
    }
    // Tab order: the two boxes come right after their labels.
    EXPECT_EQ(kForm1Controls[2].id, ControlId::prgToRun);
    EXPECT_EQ(kForm1Controls[5].id, ControlId::everyNMins);
    EXPECT_EQ(kForm1ControlCount, 10u);
}
