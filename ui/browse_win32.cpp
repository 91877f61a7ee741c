#include "ui/browse_win32.h"

#include <cderr.h>
#include <commdlg.h>

#include <vector>

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
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
                   OFN_FILEMUSTEXIST;
    if (GetOpenFileNameW(&dialog))
        return {OpenStatus::Chosen, fileName.data()};
    switch (CommDlgExtendedError()) {
    case 0:
        return {OpenStatus::Cancelled, L""};
    case FNERR_INVALIDFILENAME:
    case FNERR_BUFFERTOOSMALL:
        return {OpenStatus::BadFileName, L""};
    default:
        return {OpenStatus::Failed, L""};
    }
}
