// The shell side of the tray icon: Shell_NotifyIcon and the window's icons.
#pragma once

#include <windows.h>

#include <string>

#include "app/handles_win32.h"
#include "tray/tray_record.h"

// The icons, each loaded once: the window's at the sizes its DPI asks for, the tray's at
// the notification area's size.
struct IconSet {
    UniqueIcon appBig, appSmall, appTray;
    UniqueIcon waitingBig, waitingSmall, waitingTray;
    UniqueIcon runningBig, runningSmall, runningTray;

    void Load(HINSTANCE instance, int dpi);
};

class Win32TrayShell : public ITrayShell {
public:
    Win32TrayShell(HWND window, const IconSet& icons) : window_(window), icons_(icons) {}

    bool NotifyIcon(TrayOp op, const TrayIconData& record) override;
    uint32_t ShowStateIcon(TrayState state) override;

    // A balloon on our icon; the 88-byte record cannot carry one.
    void ShowBalloon(const TrayIconData& record, const std::wstring& title,
                     const std::wstring& text) override;

private:
    HWND window_;
    const IconSet& icons_;
};
