// Starting a program from a command-line text, never waiting for it.
#pragma once

#include <windows.h>

#include <string>

#include "app/launch_plan.h"

class Win32ProgramLookup : public IProgramLookup {
public:
    bool IsFile(const std::wstring& path) override;
    bool IsFolder(const std::wstring& path) override;
    std::wstring SearchProgram(const std::wstring& name) override;
    std::wstring SystemDirectory() override;
    std::wstring WindowsDirectory() override;
    bool RunsUnderWow64() override;
};

// Starts the program text with the given show state (SW_HIDE for the user's
// program); console programs get no console window. 0 on success, else the
// system's error code.
DWORD StartProgram(const std::wstring& programText, int showCommand);

// The system's wording for an error code, without the trailing line break.
std::wstring SystemErrorText(DWORD error);
