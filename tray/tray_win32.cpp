#include "tray/tray_win32.h"

#include <shellapi.h>

#include <cstddef>
#include <cstring>

#include "base/dpi_win32.h"
#include "resources/resource_ids.h"

namespace {

UniqueIcon LoadIconAt(HINSTANCE instance, int id, int size) {
    return UniqueIcon(static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

// After a change of the display scaling GetSystemMetrics still gives the size
// of the DPI we started with: the taskbar's monitor tells the size now.
int TrayIconSize() {
    HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    int dpi = taskbar ? MonitorDpi(taskbar) : 0;
    return dpi > 0 ? MetricForDpi(SM_CXSMICON, dpi) : GetSystemMetrics(SM_CXSMICON);
}

} // namespace

void TrayIcons::Load(HINSTANCE instance) {
    int size = TrayIconSize();
    app = LoadIconAt(instance, IDI_KV_APP, size);
    waiting = LoadIconAt(instance, IDI_KV_WAITING, size);
    running = LoadIconAt(instance, IDI_KV_RUNNING, size);
}

void IconSet::Load(HINSTANCE instance, int dpi) {
    int big = MetricForDpi(SM_CXICON, dpi);
    int small = MetricForDpi(SM_CXSMICON, dpi);
    appBig = LoadIconAt(instance, IDI_KV_APP, big);
    appSmall = LoadIconAt(instance, IDI_KV_APP, small);
    waitingBig = LoadIconAt(instance, IDI_KV_WAITING, big);
    waitingSmall = LoadIconAt(instance, IDI_KV_WAITING, small);
    runningBig = LoadIconAt(instance, IDI_KV_RUNNING, big);
    runningSmall = LoadIconAt(instance, IDI_KV_RUNNING, small);
    tray.Load(instance);
}

bool Win32TrayShell::NotifyIcon(TrayOp op, const TrayIconData& record) {
    // The shell's first record form at this build's width: a 64-bit shell
    // reads 104 bytes with 64-bit handles, and would not know 88.
    ShellRecord native = ToShellRecord(record, sizeof(void*));
    // NOTIFYICONDATAA_V1_SIZE, in a form every compiler takes as a constant.
    static_assert(ShellRecordSize(sizeof(void*)) == offsetof(NOTIFYICONDATAA, szTip) + 64,
                  "the shell's first record form");
    static_assert(offsetof(NOTIFYICONDATAA, hIcon) + sizeof(HICON) == offsetof(NOTIFYICONDATAA, szTip),
                  "the icon comes right before the tip");
    static_assert(static_cast<DWORD>(TrayOp::SetFocus) == NIM_SETFOCUS, "the system's value");
    NOTIFYICONDATAA data{};
    std::memcpy(&data, native.bytes.data(), native.size);
    return Shell_NotifyIconA(static_cast<DWORD>(op), &data) != FALSE;
}

uint32_t Win32TrayShell::ShowPicture(TrayPicture picture) {
    const UniqueIcon* shown[][3] = {
        {&icons_.appBig, &icons_.appSmall, &icons_.tray.app},
        {&icons_.waitingBig, &icons_.waitingSmall, &icons_.tray.waiting},
        {&icons_.runningBig, &icons_.runningSmall, &icons_.tray.running},
    };
    const UniqueIcon* const* icons = shown[static_cast<int>(picture)];
    SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icons[0]->get()));
    SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icons[1]->get()));
    // The same picture, drawn for the notification area's size.
    return HandleBits(icons[2]->get());
}

void Win32TrayShell::ShowBalloon(const TrayIconData& record, const std::wstring& title,
                                 const std::wstring& text) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = window_;
    data.uID = record.uID;
    data.uFlags = NIF_INFO;
    lstrcpynW(data.szInfoTitle, title.c_str(), ARRAYSIZE(data.szInfoTitle));
    lstrcpynW(data.szInfo, text.c_str(), ARRAYSIZE(data.szInfo));
    data.dwInfoFlags = NIIF_WARNING;
    Shell_NotifyIconW(NIM_MODIFY, &data);
}
