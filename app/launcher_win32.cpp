#include "app/launcher_win32.h"

#include <memory>

#include "app/environment.h"
#include "app/environment_win32.h"
#include "app/launch_plan.h"
#include "base/handles_win32.h"
#include "base/text.h"

namespace {

struct BackgroundStart {
    StartRequest request;
    HWND window;
    UINT message;
};

// Runs on a thread of the pool: touches nothing but what it was handed.
void CALLBACK StartWork(PTP_CALLBACK_INSTANCE, void* context) {
    std::unique_ptr<BackgroundStart> work(static_cast<BackgroundStart*>(context));
    DWORD error = StartProgram(work->request);
    // Gone by now if the program has ended meanwhile: then nobody waits for it.
    PostMessageW(work->window, work->message, error, 0);
}

} // namespace

bool Win32ProgramLookup::IsFile(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32ProgramLookup::IsFolder(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring Win32ProgramLookup::SearchProgram(const std::wstring& name) {
    // The order the system searches, the start folder standing for the
    // working directory: then the system folder, the Windows folder and Path.
    std::wstring folders =
        folder_ + L';' + SystemDirectory() + L';' + WindowsDirectory() + L';' + path_;
    wchar_t found[MAX_PATH];
    DWORD length = SearchPathW(folders.c_str(), name.c_str(), L".exe", MAX_PATH, found, nullptr);
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

bool Win32ProgramLookup::IsWow64() {
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

StartRequest MakeStartRequest(const std::wstring& programText, const std::wstring& folder,
                              int showCommand) {
    return {programText, folder, EnvironmentBlock(), showCommand};
}

DWORD StartProgram(const StartRequest& request) {
    Win32ProgramLookup lookup(request.folder,
                              VariableValue(BlockVariables(request.environment.c_str()), L"PATH"));
    LaunchPlan plan = PlanLaunch(request.programText, lookup);
    if (plan.error != 0)
        return plan.error;

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(request.showCommand);
    PROCESS_INFORMATION process{};
    std::wstring commandLine = plan.commandLine; // CreateProcessW may write to it
    DWORD flags = CREATE_UNICODE_ENVIRONMENT;
    if (request.showCommand == SW_HIDE)
        flags |= CREATE_NO_WINDOW;
    // Read, never written, whatever the parameter's type says.
    void* environment = const_cast<wchar_t*>(request.environment.c_str());
    if (!CreateProcessW(plan.applicationName.c_str(), &commandLine[0], nullptr, nullptr, FALSE,
                        flags, request.environment.empty() ? nullptr : environment,
                        request.folder.empty() ? nullptr : request.folder.c_str(), &startup,
                        &process))
        return GetLastError();
    // Never tracked, never waited for.
    UniqueKernelHandle thread(process.hThread);
    UniqueKernelHandle child(process.hProcess);
    return 0;
}

DWORD StartInBackground(StartRequest request, HWND window, UINT message) {
    auto* work = new BackgroundStart{std::move(request), window, message};
    if (TrySubmitThreadpoolCallback(StartWork, work, nullptr))
        return 0;
    delete work;
    return GetLastError();
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
