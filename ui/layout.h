// Window layouts in twips (1/1440 inch), turned into pixels at a given DPI.
#pragma once

#include <cstddef>

enum class ControlKind { Label, Edit, Button, DefaultButton, Icon };

struct ControlItem {
    int id;
    ControlKind kind;
    const wchar_t* text;
    int left, top, width, height; // twips
};

// Form1's controls in tab order.
extern const ControlItem kForm1Controls[];
extern const size_t kForm1ControlCount;
constexpr int kForm1ClientWidth = 4830; // twips
constexpr int kForm1ClientHeight = 2580;

// frmAbout's controls in tab order.
extern const ControlItem kAboutControls[];
extern const size_t kAboutControlCount;
constexpr int kAboutClientWidth = 5730;
constexpr int kAboutClientHeight = 3885;
// Line1, the etched rule: a grey line over a white one.
constexpr int kAboutRuleTop = 1920;
constexpr int kAboutGreyLeft = 90;
constexpr int kAboutWhiteLeft = 105;
constexpr int kAboutRuleRight = 5654;

int TwipsToPixels(int twips, int dpi);

// Screen coordinates: left of or above the primary monitor they are negative.
struct ScreenRect {
    int left, top, right, bottom;
};
struct ScreenPoint {
    int x, y;
};
// The top left corner of a width x height window centred over owner and kept
// inside workArea (the owner's monitor); negative positions are valid.
ScreenPoint CentreOver(const ScreenRect& owner, const ScreenRect& workArea, int width, int height);
