#include "ui/form1_layout.h"

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
}

TEST(CentreOver, StaysOverItsOwnerOnAnyMonitorAndInsideItsWorkArea) {
    const ScreenRect primary{0, 0, 1920, 1040};
    const ScreenRect left{-1920, 0, 0, 1040};
    const ScreenRect above{0, -1080, 1920, -40};
    struct Case {
        ScreenRect owner, area;
        int x, y;
    };
    const Case cases[] = {
        {{100, 100, 500, 300}, primary, 200, 150},
        {{-1500, 200, -1100, 500}, left, -1400, 300},     // left of the primary
        {{200, -900, 600, -600}, above, 300, -800},       // above it
        {{-1960, -20, -1700, 100}, left, -1920, 0},       // owner partly off its monitor
        {{-200, 900, 100, 1040}, left, -200, 920},        // at the monitor's right edge
    };
    for (const Case& c : cases) {
        ScreenPoint at = CentreOver(c.owner, c.area, 200, 100);
        EXPECT_EQ(at.x, c.x) << c.owner.left << "," << c.owner.top;
        EXPECT_EQ(at.y, c.y) << c.owner.left << "," << c.owner.top;
    }
    // Larger than the area: its top left corner stays visible.
    ScreenPoint big = CentreOver({-1500, 200, -1100, 500}, left, 2500, 1200);
    EXPECT_EQ(big.x, -1920);
    EXPECT_EQ(big.y, 0);
}
