// Child controls made from the layout tables, placed at a DPI.
#pragma once

#include <windows.h>

#include "base/handles_win32.h"
#include "base/layout.h"

HWND CreateControl(HWND parent, HINSTANCE instance, const ControlItem& item);

// The fonts a window's controls are drawn in: the text's, and the title's.
struct LayoutFonts {
    UniqueFont text, title;
};

// Places the controls at the DPI in the system's message font, a pixel smaller at a
// time only where a label's text would not fit its box (the control titleId bold and
// half as large again), and sizes the window to a client area of clientWidth x
// clientHeight twips. Keep the fonts until the next layout has placed its own.
LayoutFonts LayOutControls(HWND window, const ControlItem* items, size_t count, int clientWidth,
                           int clientHeight, DWORD style, DWORD exStyle, int dpi, int titleId = 0);
