// How Kelvarion was asked to start: the /tray switch and the start's show state.
#pragma once

#include <string>

// The show states that ask for a minimized start (the system's SW_ values): a
// shortcut's "Run: Minimized", or start /min.
constexpr int kShowMinimized = 2;   // SW_SHOWMINIMIZED
constexpr int kMinimize = 6;        // SW_MINIMIZE
constexpr int kShowMinNoActive = 7; // SW_SHOWMINNOACTIVE

// True when an argument of the command line, split as Windows splits it, is
// "/tray", "-tray" or "--tray" in any case. The first word is the program's
// own name, never an argument; anything else on the line is ignored.
bool HasTraySwitch(const std::wstring& commandLine);

// A start that lands quietly in the tray: asked for by the switch, or by a
// minimized show state.
bool StartsInTray(const std::wstring& commandLine, int showCommand);
