// The benchmark's second floor: Kelvarion's window built the plainest way. The same ten
// controls at the same places, the system's message font, Common Controls 6 through the
// manifest in window_floor.rc, one tray icon and a message loop. No settings, no timer,
// no menu: what any program showing this window must pay, and nothing more.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "ui/control_ids.h"
#include "ui/form1_layout.h"

namespace {

constexpr wchar_t kClass[] = L"KelvarionBenchWindow";
constexpr wchar_t kCaption[] = L"Kelvarion";
constexpr UINT kTrayMessage = WM_APP + 1;
constexpr UINT kTrayId = 1;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;

NOTIFYICONDATAW trayIcon(HWND hwnd) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = hwnd;
    data.uID = kTrayId;
    return data;
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        // Leaves the tray clean for the next run.
        NOTIFYICONDATAW data = trayIcon(hwnd);
        Shell_NotifyIconW(NIM_DELETE, &data);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND createControl(HWND parent, HINSTANCE instance, const ControlItem& item, int dpi) {
    const wchar_t* className = L"STATIC";
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD exStyle = 0;
    if (item.kind == ControlKind::Edit) {
        className = L"EDIT";
        style |= WS_TABSTOP | ES_AUTOHSCROLL;
        exStyle = WS_EX_CLIENTEDGE;
    } else if (item.kind == ControlKind::Button) {
        className = L"BUTTON";
        style |= WS_TABSTOP | BS_PUSHBUTTON;
    } else {
        style |= SS_LEFT | SS_NOPREFIX;
    }
    return CreateWindowExW(exStyle, className, item.text, style, TwipsToPixels(item.left, dpi),
                           TwipsToPixels(item.top, dpi), TwipsToPixels(item.width, dpi),
                           TwipsToPixels(item.height, dpi), parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(item.id)), instance,
                           nullptr);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int showCommand) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClass;
    if (!RegisterClassExW(&windowClass)) {
        return 1;
    }

    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    RECT frame{0, 0, TwipsToPixels(kForm1ClientWidth, dpi), TwipsToPixels(kForm1ClientHeight, dpi)};
    AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    HWND hwnd = CreateWindowExW(kExStyle, kClass, kCaption, kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                nullptr, instance, nullptr);
    if (!hwnd) {
        return 1;
    }

    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
    for (size_t i = 0; i < kForm1ControlCount; ++i) {
        HWND control = createControl(hwnd, instance, kForm1Controls[i], dpi);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }

    ShowWindow(hwnd, showCommand);
    UpdateWindow(hwnd);

    NOTIFYICONDATAW data = trayIcon(hwnd);
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayMessage;
    data.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    lstrcpynW(data.szTip, kCaption, ARRAYSIZE(data.szTip));
    Shell_NotifyIconW(NIM_ADD, &data);

    // Kelvarion's focus starts in its first text box, whose caret blinks.
    SetFocus(GetDlgItem(hwnd, ControlId::prgToRun));

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(hwnd, &message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    DeleteObject(font);
    return 0;
}
