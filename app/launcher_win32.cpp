#include "app/launcher_win32.h"

#include "app/handles_win32.h"
#include "app/launch_plan.h"
#include "app/text.h"

bool Win32ProgramLookup::IsFile(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32ProgramLookup::IsFolder(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring Win32ProgramLookup::SearchProgram(const std::wstring& name) {
    wchar_t found[MAX_PATH];
    DWORD length = SearchPathW(nullptr, name.c_str(), L".exe", MAX_PATH, found, nullptr);
    if (length == 0 || length >= MAX_PATH || !IsFile(found))
        return {};
    return found;
}

std::wstring Win32ProgramLookup::SystemDirectory() {
    wchar_t folder[MAX_PATH];
    UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? folder : L"C:\\Windows\\System32";
}

std::wstring Win32ProgramLookup::WindowsDirectory() {
    // Not GetWindowsDirectory: under Terminal Services that is a folder of the user's.
    wchar_t folder[MAX_PATH];
    UINT length = GetSystemWindowsDirectoryW(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? folder : L"";
}

bool Win32ProgramLookup::RunsUnderWow64() {
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

DWORD StartProgram(const std::wstring& programText, int showCommand) {
    Win32ProgramLookup lookup;
    LaunchPlan plan = PlanLaunch(programText, lookup);
    if (plan.error != 0)
        return plan.error;

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCommand);
    PROCESS_INFORMATION process{};
    std::wstring commandLine = plan.commandLine; // CreateProcessW may write to it
    DWORD flags = showCommand == SW_HIDE ? CREATE_NO_WINDOW : 0;
    if (!CreateProcessW(plan.applicationName.empty() ? nullptr : plan.applicationName.c_str(),
                        &commandLine[0], nullptr, nullptr, FALSE, flags, nullptr, nullptr,
                        &startup, &process))
        return GetLastError();
    // Never tracked, never waited for.
    UniqueKernelHandle thread(process.hThread);
    UniqueKernelHandle child(process.hProcess);
    return 0;
}

std::wstring SystemErrorText(DWORD error) {
    wchar_t* buffer = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text;
    if (length > 0 && buffer) {
        text.assign(buffer, length);
        LocalFree(buffer);
    }
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    if (text.empty())
        text = L"System error " + ToDecimal(error) + L".";
    return text;
}
