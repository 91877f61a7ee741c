#include <windows.h>

#include <commctrl.h>

#include "app/command_line.h"
#include "app/module1.h"
#include "app/single_instance.h"
#include "base/handles_win32.h"
#include "ui/browse_win32.h"
#include "ui/form1.h"

Module1 module1;

static_assert(kShowMinimized == SW_SHOWMINIMIZED && kMinimize == SW_MINIMIZE &&
                  kShowMinNoActive == SW_SHOWMINNOACTIVE,
              "the system's values");

namespace {

// A DLL lying beside the exe (in Downloads, say) named like one a system DLL
// loads by name is never loaded in its place: only System32 is searched.
// Windows 7 has the call only with KB2533623; without it, at least the
// working directory leaves the search.
void RestrictDllSearch() {
    auto restrict = SystemFunction<BOOL(WINAPI*)(DWORD)>(GetModuleHandleW(L"kernel32.dll"),
                                                         "SetDefaultDllDirectories");
    if (!restrict || !restrict(0x800 /* LOAD_LIBRARY_SEARCH_SYSTEM32 */))
        SetDllDirectoryW(L"");
}

// The folder as the file system compares names: long form, upper-cased.
std::wstring FolderKey(std::wstring folder) {
    if (DWORD length = GetLongPathNameW(folder.c_str(), nullptr, 0)) {
        std::wstring longForm(length, L'\0');
        length = GetLongPathNameW(folder.c_str(), &longForm[0], length);
        if (length > 0 && length < longForm.size()) {
            longForm.resize(length);
            folder = longForm;
        }
    }
    std::wstring key(folder.size(), L'\0');
    int size = static_cast<int>(folder.size());
    if (size == 0 || LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, folder.c_str(), size,
                                   &key[0], size, nullptr, nullptr, 0) != size)
        return folder;
    return key;
}

// FILE_ID_INFO and its class, which the Windows 7 headers leave out.
struct FileIdInformation {
    ULONGLONG volumeSerialNumber;
    uint8_t fileId[16];
};
constexpr auto kFileIdInfo = static_cast<FILE_INFO_BY_HANDLE_CLASS>(18);

// The folder's identity (see FolderIdHash); 0 when the file system tells none.
// Windows 7 has no FileIdInfo, and some file systems refuse it: there the
// 64-bit file index serves.
uint64_t FolderIdentity(const std::wstring& folder) {
    UniqueKernelHandle opened(CreateFileW(folder.c_str(), 0,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                          nullptr));
    if (!opened)
        return 0;
    FileIdInformation id{};
    if (GetFileInformationByHandleEx(opened.get(), kFileIdInfo, &id, sizeof id))
        return FolderIdHash(id.volumeSerialNumber, id.fileId);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(opened.get(), &info))
        return 0;
    uint64_t index = (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    for (int i = 0; i < 8; ++i)
        id.fileId[i] = static_cast<uint8_t>(index >> (8 * i));
    return FolderIdHash(info.dwVolumeSerialNumber, id.fileId);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    // No "There is no disk in the drive" box when a lookup touches an empty
    // drive: it would hold up the tray and the timer. What we start inherits it.
    SetErrorMode(GetErrorMode() | SEM_FAILCRITICALERRORS);
    RestrictDllSearch();

    // Nothing has moved the working directory yet: this is where config.kv lives.
    std::wstring folder = Win32WorkingDirectory().Get();
    bool inTray = StartsInTray(GetCommandLineW(), showCommand);
    uint64_t folderHash = FolderIdentity(folder);
    if (folderHash == 0)
        folderHash = FolderHash(FolderKey(folder));
    std::wstring mutexName = InstanceMutexName(folderHash);
    SetLastError(0);
    UniqueKernelHandle oneCopy(CreateMutexW(nullptr, FALSE, mutexName.c_str()));
    switch (DecideStart(static_cast<bool>(oneCopy), GetLastError(), inTray)) {
    case StartAction::Run:
        break;
    case StartAction::ShowRunningCopy:
        Form1::ShowRunningCopy(folderHash);
        return 0;
    case StartAction::End:
        return 0;
    }

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    Form1 form;
    if (!Form1::Register(instance) || !form.Create(instance, folder, folderHash))
        return 1;
    form.Form1_Load(showCommand, inTray);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        // Tab, Shift+Tab and the focus cues, as in a dialog; never while hidden,
        // when Tab would put the focus into a box nobody sees.
        if (IsWindowVisible(form.Handle()) && IsDialogMessageW(form.Handle(), &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
