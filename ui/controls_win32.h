// Child controls made from the layout tables, placed at a DPI.
#pragma once

#include <windows.h>

#include "app/handles_win32.h"
#include "ui/layout.h"

HWND CreateControl(HWND parent, HINSTANCE instance, const ControlItem& item);
void PlaceControl(HWND parent, const ControlItem& item, int dpi, HFONT font);

// The system's message font at the DPI, a point smaller at a time only where
// a label's text would not fit its box.
UniqueFont FontThatFits(const ControlItem* items, size_t count, int dpi);
