// The shared module state: lives as long as the process.
#pragma once

#include <cstdint>
#include <string>

#include "app/scheduler.h"
#include "config/config_encoding.h"
#include "tray/tray_record.h"

// The two live settings are not here: they are the text of Form1's two boxes.
struct Module1 {
    int16_t tickCounter = 0;
    ScheduleClock scheduleClock;
    TrayIconData trayIconData{};
    std::wstring savedProgram; // what LoadConfiguration last read
    int16_t savedMinutes = 0;
    ConfigEncoding savedEncoding = ConfigEncoding::Ansi; // written back the same way
};

extern Module1 module1;
