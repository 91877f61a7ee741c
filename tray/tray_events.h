// Mouse events the shell reports on the tray icon, and what they mean.
#pragma once

#include <cstdint>

enum class TrayAction { None, ShowWindow, PopupMenu };

// lParam of the tray callback: the low word is the mouse message.
TrayAction DecodeTrayEvent(uint32_t lParam);
