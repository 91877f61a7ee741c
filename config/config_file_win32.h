// "config.kv" in the folder Kelvarion started in: read at start, written at
// exit. Every call takes its full path, worked out once at start-up
// (ConfigPathIn), so a working directory moved meanwhile changes nothing.
#pragma once

#include <windows.h>

#include <string>

#include "app/module1.h"

// Fills the two boxes from the file; a missing, empty or unreadable file
// leaves them as they are, and so does a box passed as nullptr. 0 when the
// file was read or is not there, else the system's reason why a file that is
// there could not be read. found, if given, tells whether it held settings.
DWORD LoadConfiguration(const std::wstring& path, Module1& module, HWND prgToRun, HWND everyNMins,
                        bool* found = nullptr);

// Writes the two boxes' texts in the encoding the file was read in; text the
// ANSI code page cannot hold makes it UTF-8 with a byte-order mark, from then
// on. The old file is replaced in one step, so it survives a failed write
// whole; the new one keeps its attributes, its permissions and a symbolic
// link to it. 0 on success, else the system's error code.
DWORD SaveConfiguration(const std::wstring& path, ConfigEncoding& encoding, HWND prgToRun,
                        HWND everyNMins);

// The message telling the user that a save to path failed.
std::wstring SaveFailureMessage(const std::wstring& path, DWORD error);

wchar_t LocaleDecimalSeparator();
