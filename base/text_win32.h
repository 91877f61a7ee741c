// Text at the boundary: ANSI code page outside, wide strings inside.
#pragma once

#include <windows.h>

#include <string>

// Both ways take the code page (GetACP() for the system's), so the round-trip
// check of a code page that cannot report a lost character reads the bytes
// back in the same one.
std::wstring FromAnsi(const std::string& bytes, UINT codePage);
// False when the text holds a character the code page cannot hold: it would
// otherwise be written as "?" and lost.
bool ToAnsi(const std::wstring& text, std::string& bytes, UINT codePage);
std::wstring GetText(HWND window);
