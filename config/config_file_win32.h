// "config.kv" in the working directory: read at start, written at exit.
#pragma once

#include <windows.h>

#include <string>

#include "app/module1.h"

constexpr const wchar_t* kConfigFileName = L"config.kv";

// Fills the two boxes from the file; a missing, empty or unreadable file
// leaves them as they are. 0 when the file was read or is not there, else
// the system's reason why a file that is there could not be read.
DWORD LoadConfiguration(Module1& module, HWND prgToRun, HWND everyNMins);

// Writes the two boxes' texts. The old file is replaced in one step, so it
// survives a failed write whole. 0 on success, else the system's error code.
DWORD SaveConfiguration(HWND prgToRun, HWND everyNMins);

// The full path of config.kv, for messages.
std::wstring ConfigFilePath();

// The message telling the user that a save failed.
std::wstring SaveFailureMessage(DWORD error);

wchar_t LocaleDecimalSeparator();
