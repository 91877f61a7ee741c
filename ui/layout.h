// Window layouts in twips (1/1440 inch), turned into pixels at a given DPI.
#pragma once

#include <cstddef>

enum class ControlKind { Label, Edit, Button };

struct ControlSpec {
    int id;
    ControlKind kind;
    const wchar_t* text;
    int left, top, width, height; // twips
};

// Form1's controls in tab order.
extern const ControlSpec kForm1Controls[];
extern const size_t kForm1ControlCount;
constexpr int kForm1ClientWidth = 4830; // twips
constexpr int kForm1ClientHeight = 2580;

int TwipsToPixels(int twips, int dpi);
