// The shell side of the tray icon: Shell_NotifyIcon and the window's icons.
#pragma once

#include <windows.h>

#include <string>

#include "base/handles_win32.h"
#include "tray/tray_record.h"

// The tray's pictures, at the size the notification area draws them: the
// small-icon size of the DPI of the taskbar's monitor.
struct TrayIcons {
    UniqueIcon app, waiting, running;

    void Load(HINSTANCE instance);
};

// The icons, each loaded once: the window's at the sizes its DPI asks for.
struct IconSet {
    UniqueIcon appBig, appSmall;
    UniqueIcon waitingBig, waitingSmall;
    UniqueIcon runningBig, runningSmall;
    TrayIcons tray;

    void Load(HINSTANCE instance, int dpi);
};

class Win32TrayShell : public ITrayShell {
public:
    Win32TrayShell(HWND window, const IconSet& icons) : window_(window), icons_(icons) {}

    bool NotifyIcon(TrayOp op, const TrayIconData& record) override;
    uint32_t ShowPicture(TrayPicture picture) override;

    // A balloon on our icon; the 88-byte record cannot carry one.
    void ShowBalloon(const TrayIconData& record, const std::wstring& title,
                     const std::wstring& text) override;

private:
    HWND window_;
    const IconSet& icons_;
};
