// config.kv into Form1's two boxes, and back.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "config/config_file_win32.h"

// Reads the file; sets savedProgram and savedMinutes from it, then the two
// boxes, and keeps the encoding it was read in for the save. A missing,
// empty or unreadable file leaves them as they are, and so does a box passed
// as nullptr.
ConfigRead LoadConfiguration(const std::wstring& path, std::wstring& savedProgram,
                             int16_t& savedMinutes, ConfigEncoding& savedEncoding, HWND prgToRun,
                             HWND everyNMins);

// Writes the two boxes' texts (see WriteConfiguration). 0 on success, else
// the system's error code.
DWORD SaveConfiguration(const std::wstring& path, ConfigEncoding& encoding, HWND prgToRun,
                        HWND everyNMins);

// The message telling the user that a save to path failed.
std::wstring SaveFailureMessage(const std::wstring& path, DWORD error);
