// Starting a program from a command-line text, never waiting for it.
#pragma once

#include <windows.h>

#include <string>

#include "app/launch_plan.h"

class Win32ProgramLookup : public IProgramLookup {
public:
    // folder: where relative paths are taken from; path: the Path searched
    // for a bare program name after the start folder and the system folders.
    explicit Win32ProgramLookup(std::wstring folder = {}, std::wstring path = {})
        : folder_(std::move(folder)), path_(std::move(path)) {}
    std::wstring StartFolder() override { return folder_; }
    bool IsFile(const std::wstring& path) override;
    bool IsFolder(const std::wstring& path) override;
    std::wstring SearchProgram(const std::wstring& name) override;
    std::wstring SystemDirectory() override;
    std::wstring WindowsDirectory() override;
    bool RunsUnderWow64() override { return IsWow64(); }
    // A 32-bit process on 64-bit Windows.
    static bool IsWow64();

private:
    std::wstring folder_, path_;
};

// What one start needs, all held by value: it may be made on another thread.
struct StartRequest {
    std::wstring programText;
    std::wstring folder;              // relative paths and the program's working directory
    std::wstring environment; // the block the program gets, and its Path
    int showCommand = SW_HIDE;
};

// A request with a copy of this process's environment as it is now.
StartRequest MakeStartRequest(const std::wstring& programText, const std::wstring& folder,
                              int showCommand);

// Starts the program text with the request's show state (SW_HIDE for the
// user's program); console programs get no console window. May block for as
// long as a network share does not answer. 0 on success, else the system's
// error code.
DWORD StartProgram(const StartRequest& request);

// Makes the start on the default thread pool and posts its outcome to window
// as message, the error code in wParam; the request is its own till then.
// 0 when it is on its way, else the system's error code.
DWORD StartInBackground(StartRequest request, HWND window, UINT message);

// The system's wording for an error code, without the trailing line break.
std::wstring SystemErrorText(DWORD error);
