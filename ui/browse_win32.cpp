#include "ui/browse_win32.h"

#include <cderr.h>
#include <commdlg.h>

#include <vector>

#include "base/handles_win32.h"

namespace {

using GetOpenFileNameFn = BOOL(WINAPI*)(OPENFILENAMEW*);
using CommDlgExtendedErrorFn = DWORD(WINAPI*)();

// comdlg32 brings a good part of the shell with it: it is loaded when the
// picker is first used, not at start-up, and from the system folder only.
HMODULE CommonDialogs() {
    static HMODULE module = LoadSystemLibrary(L"comdlg32.dll");
    return module;
}

template <typename Function> Function CommonDialogFunction(const char* name) {
    return SystemFunction<Function>(CommonDialogs(), name);
}

} // namespace

OpenResult Win32OpenDialog::Show(const OpenRequest& request) {
    std::vector<wchar_t> fileName(kCapacity, L'\0');
    request.fileName.copy(fileName.data(), kCapacity - 1);

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner_;
    dialog.lpstrFilter = L"All Files (*.*)\0*.*\0Executables (*.exe)\0*.exe\0"
                         L"Batch Files (*.bat)\0*.bat\0";
    dialog.nFilterIndex = 2;
    dialog.lpstrFile = fileName.data();
    dialog.nMaxFile = static_cast<DWORD>(kCapacity); // characters, not bytes
    dialog.lpstrInitialDir = request.initialFolder.empty() ? nullptr : request.initialFolder.c_str();
    dialog.lpstrTitle = L"Select...";
    // NOCHANGEDIR: config.kv lives in the working directory, which must stay put.
    // Windows ignores it here, so BrowseForProgram puts the directory back too.
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
                   OFN_FILEMUSTEXIST;
    static auto getOpenFileName = CommonDialogFunction<GetOpenFileNameFn>("GetOpenFileNameW");
    static auto extendedError = CommonDialogFunction<CommDlgExtendedErrorFn>("CommDlgExtendedError");
    if (!getOpenFileName || !extendedError)
        return {OpenStatus::Failed, L""};
    if (getOpenFileName(&dialog))
        return {OpenStatus::Chosen, fileName.data()};
    switch (extendedError()) {
    case 0:
        return {OpenStatus::Cancelled, L""};
    case FNERR_INVALIDFILENAME:
    case FNERR_BUFFERTOOSMALL:
        return {OpenStatus::BadFileName, L""};
    default:
        return {OpenStatus::Failed, L""};
    }
}

std::wstring Win32WorkingDirectory::Get() {
    DWORD length = GetCurrentDirectoryW(0, nullptr);
    if (length == 0)
        return {};
    std::wstring path(length, L'\0');
    DWORD copied = GetCurrentDirectoryW(length, &path[0]);
    if (copied == 0 || copied >= length)
        return {};
    path.resize(copied);
    return path;
}

void Win32WorkingDirectory::Set(const std::wstring& path) { SetCurrentDirectoryW(path.c_str()); }
