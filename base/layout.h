// Window layouts in twips (1/1440 inch), turned into pixels at a given DPI: the
// tables each window keeps of its controls, and placing a window on the screen.
#pragma once

#include <cstddef>

enum class ControlKind { Label, Edit, Button, DefaultButton, Icon };

struct ControlItem {
    int id;
    ControlKind kind;
    const wchar_t* text;
    int left, top, width, height; // twips
};

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
