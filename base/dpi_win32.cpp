#include "base/dpi_win32.h"

namespace {

template <typename Function> Function User32Function(const char* name) {
    return SystemFunction<Function>(GetModuleHandleW(L"user32.dll"), name);
}

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

} // namespace

// shcore.dll comes with 8.1.
int MonitorDpi(HWND window) {
    UniqueModule shcore(LoadSystemLibrary(L"shcore.dll"));
    if (!shcore)
        return 0;
    // HRESULT GetDpiForMonitor(HMONITOR, MONITOR_DPI_TYPE, UINT*, UINT*)
    auto forMonitor = SystemFunction<HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*)>(
        shcore.get(), "GetDpiForMonitor");
    UINT dpiX = 0, dpiY = 0;
    const int effectiveDpi = 0; // MDT_EFFECTIVE_DPI
    if (!forMonitor || FAILED(forMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST),
                                         effectiveDpi, &dpiX, &dpiY)))
        return 0;
    return static_cast<int>(dpiX);
}

int MetricForDpi(int metric, int dpi) {
    static auto forDpi = User32Function<int(WINAPI*)(int, UINT)>("GetSystemMetricsForDpi");
    if (forDpi)
        return forDpi(metric, static_cast<UINT>(dpi));
    return GetSystemMetrics(metric);
}

// Windows 10 1607 and later: the window's own DPI; 8.1 has per-monitor DPI but not
// GetDpiForWindow, so its monitor's; 7 and 8: the system's.
int WindowDpi(HWND window) {
    static auto forWindow = User32Function<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    int dpi = forWindow ? static_cast<int>(forWindow(window)) : MonitorDpi(window);
    return dpi > 0 ? dpi : ScreenDpi();
}

SIZE WindowSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi) {
    static auto forDpi =
        User32Function<BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
    RECT rect{0, 0, clientWidth, clientHeight};
    if (!forDpi || !forDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi)))
        AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

UniqueFont MessageFont(int dpi) {
    static auto forDpi =
        User32Function<BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT)>("SystemParametersInfoForDpi");
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (forDpi && forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0,
                         static_cast<UINT>(dpi))) {
        return UniqueFont(CreateFontIndirectW(&metrics.lfMessageFont));
    }
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        return UniqueFont(static_cast<HFONT>(nullptr));
    metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, dpi, ScreenDpi());
    return UniqueFont(CreateFontIndirectW(&metrics.lfMessageFont));
}
