// Per-monitor DPI, with fallbacks for systems older than the DPI-aware calls.
#pragma once

#include <windows.h>

#include "base/handles_win32.h"

int WindowDpi(HWND window);
// The DPI of the monitor a window is on (any process's); 0 before Windows 8.1.
int MonitorDpi(HWND window);
// A system metric at the given DPI (Windows 10 1607 and later), else at the
// system's.
int MetricForDpi(int metric, int dpi);
// The outer size of a window whose client area is clientWidth x clientHeight.
SIZE WindowSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi);
// The system's message font at the given DPI.
UniqueFont MessageFont(int dpi);
