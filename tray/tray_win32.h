// The shell side of the tray icon: Shell_NotifyIcon and the window's icons.
#pragma once

#include <windows.h>

#include <string>

#include "app/handles_win32.h"
#include "tray/tray_record.h"

// The icons, each loaded once at the sizes the window's DPI asks for.
struct IconSet {
    UniqueIcon appBig, appSmall;
    UniqueIcon waitingBig, waitingSmall;
    UniqueIcon runningBig, runningSmall;

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
