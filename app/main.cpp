#include <windows.h>

#include <commctrl.h>

#include "app/command_line.h"
#include "app/module1.h"
#include "ui/form1.h"

Module1 module1;

static_assert(kShowMinimized == SW_SHOWMINIMIZED && kMinimize == SW_MINIMIZE &&
                  kShowMinNoActive == SW_SHOWMINNOACTIVE,
              "the system's values");

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
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
