#include "tray/tray_win32.h"

#include <shellapi.h>

#include <cstddef>
#include <cstring>

#include "resources/resource_ids.h"

namespace {

using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);

int MetricForDpi(int metric, int dpi) {
    static auto forDpi = reinterpret_cast<GetSystemMetricsForDpiFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetSystemMetricsForDpi")));
    if (forDpi)
        return forDpi(metric, static_cast<UINT>(dpi));
    return GetSystemMetrics(metric);
}

UniqueIcon LoadIconAt(HINSTANCE instance, int id, int size) {
    return UniqueIcon(static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

using LoadIconMetricFn = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, HICON*);

// The notification area draws its icons at the small-icon size of the system's DPI,
// whichever monitor our window is on. LoadIconMetric exists only in Common Controls 6.
UniqueIcon LoadTrayIcon(HINSTANCE instance, int id) {
    static HMODULE comctl32 = GetModuleHandleW(L"comctl32.dll");
    static auto loadIconMetric =
        comctl32 ? reinterpret_cast<LoadIconMetricFn>(
                       reinterpret_cast<void*>(GetProcAddress(comctl32, "LoadIconMetric")))
                 : nullptr;
    HICON icon = nullptr;
    if (loadIconMetric &&
        SUCCEEDED(loadIconMetric(instance, MAKEINTRESOURCEW(id), 0 /* LIM_SMALL */, &icon)))
        return UniqueIcon(icon);
    return LoadIconAt(instance, id, GetSystemMetrics(SM_CXSMICON));
}

} // namespace

void IconSet::Load(HINSTANCE instance, int dpi) {
    int big = MetricForDpi(SM_CXICON, dpi);
    int small = MetricForDpi(SM_CXSMICON, dpi);
    appBig = LoadIconAt(instance, IDI_KV_APP, big);
    appSmall = LoadIconAt(instance, IDI_KV_APP, small);
    appTray = LoadTrayIcon(instance, IDI_KV_APP);
    waitingBig = LoadIconAt(instance, IDI_KV_WAITING, big);
    waitingSmall = LoadIconAt(instance, IDI_KV_WAITING, small);
    waitingTray = LoadTrayIcon(instance, IDI_KV_WAITING);
    runningBig = LoadIconAt(instance, IDI_KV_RUNNING, big);
    runningSmall = LoadIconAt(instance, IDI_KV_RUNNING, small);
    runningTray = LoadTrayIcon(instance, IDI_KV_RUNNING);
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

uint32_t Win32TrayShell::ShowStateIcon(TrayState state) {
    bool running = state == TrayState::Running;
    HICON big = running ? icons_.runningBig.get() : icons_.waitingBig.get();
    HICON small = running ? icons_.runningSmall.get() : icons_.waitingSmall.get();
    SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    // The same picture, drawn for the notification area's size.
    return HandleBits(running ? icons_.runningTray.get() : icons_.waitingTray.get());
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
