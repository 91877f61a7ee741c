// frmAbout: the modal About dialog, and the system-information launcher.
#pragma once

#include <windows.h>

// Returns when the dialog closes.
void ShowAbout(HINSTANCE instance, HWND owner);

void StartSysInfo(HWND owner);
