#include <windows.h>

#include <commctrl.h>

#include "app/command_line.h"
#include "app/module1.h"
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
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    auto restrict = reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (!restrict || !restrict(0x800 /* LOAD_LIBRARY_SEARCH_SYSTEM32 */))
        SetDllDirectoryW(L"");
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    // No "There is no disk in the drive" box when a lookup touches an empty
    // drive: it would hold up the tray and the timer. What we start inherits it.
    SetErrorMode(GetErrorMode() | SEM_FAILCRITICALERRORS);
    RestrictDllSearch();

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    Form1 form;
    if (!Form1::Register(instance) || !form.Create(instance))
        return 1;
    form.Form1_Load(showCommand, StartsInTray(GetCommandLineW(), showCommand));

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
