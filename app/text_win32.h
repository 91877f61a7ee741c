// Text at the boundary: ANSI code page outside, wide strings inside.
#pragma once

#include <windows.h>

#include <string>

std::wstring FromAnsi(const std::string& bytes);
// False when the text holds a character the ANSI code page cannot hold: it
// would otherwise be written as "?" and lost.
bool ToAnsi(const std::wstring& text, std::string& bytes);
std::wstring GetText(HWND window);
