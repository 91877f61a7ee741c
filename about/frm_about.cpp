#include "about/frm_about.h"

#include "about/about_layout.h"
#include "about/sysinfo.h"
#include "app/launcher_win32.h"
#include "base/controls_win32.h"
#include "base/dpi_win32.h"
#include "base/handles_win32.h"
#include "base/text_win32.h"
#include "resources/resource_ids.h"
#include "resources/version.h"

namespace {

constexpr DWORD kStyle = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;

// Predefined roots such as HKEY_LOCAL_MACHINE are negative numbers widened.
HKEY KeyFromBits(uint32_t bits) { return HandleFromBits<HKEY>(bits); }

class Win32Registry : public IRegistry {
public:
    long OpenKey(uint32_t root, const std::string& keyName, uint32_t access,
                 uint32_t& key) override {
        HKEY opened = nullptr;
        LONG result = RegOpenKeyExA(KeyFromBits(root), keyName.c_str(), 0, access, &opened);
        key = HandleBits(opened);
        return result;
    }
    long QueryValue(uint32_t key, const std::string& valueName, uint32_t& type,
                    std::vector<uint8_t>& data) override {
        DWORD valueType = 0;
        DWORD size = static_cast<DWORD>(data.size());
        LONG result =
            RegQueryValueExA(KeyFromBits(key), valueName.c_str(), nullptr, &valueType, data.data(), &size);
        type = valueType;
        if (result == ERROR_SUCCESS)
            data.resize(size);
        return result;
    }
    void CloseKey(uint32_t key) override { RegCloseKey(KeyFromBits(key)); }
    std::string ExpandEnvironment(const std::string& text) override {
        DWORD length = ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
        if (length == 0)
            return text;
        std::string expanded(length, '\0');
        length = ExpandEnvironmentStringsA(text.c_str(), &expanded[0], length);
        expanded.resize(length > 0 ? length - 1 : 0);
        return expanded;
    }
    bool RunsUnderWow64() override { return Win32ProgramLookup::IsWow64(); }
};

class Win32FileCheck : public IFileCheck {
public:
    // The tool's folder may be in System32, which only Sysnative shows as the
    // 64-bit folder to a 32-bit process.
    bool FileExists(const std::string& path) override {
        Win32ProgramLookup lookup;
        return !LocateFile(FromAnsi(path, GetACP()), lookup).empty();
    }
};

// The dialog's window state, for the life of one opening.
struct AboutState {
    HINSTANCE instance;
    int dpi = USER_DEFAULT_SCREEN_DPI;
    LayoutFonts fonts;
    UniqueIcon icon;
};

void LayOut(HWND dialog, AboutState& state) {
    state.fonts = LayOutControls(dialog, kAboutControls, kAboutControlCount, kAboutClientWidth,
                                 kAboutClientHeight, kStyle, 0, state.dpi, ControlId::lblTitle);
}

void CenterOnOwner(HWND dialog) {
    HWND owner = GetWindow(dialog, GW_OWNER);
    bool overOwner = owner && IsWindowVisible(owner) && !IsIconic(owner);
    // The owner's monitor, which may lie left of or above the primary one.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromWindow(overOwner ? owner : dialog, MONITOR_DEFAULTTOPRIMARY),
                         &monitor))
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &monitor.rcWork, 0);
    RECT area = monitor.rcWork;
    if (overOwner)
        GetWindowRect(owner, &area);
    RECT rect{};
    GetWindowRect(dialog, &rect);
    const RECT& work = monitor.rcWork;
    ScreenPoint at = CentreOver({area.left, area.top, area.right, area.bottom},
                                {work.left, work.top, work.right, work.bottom},
                                rect.right - rect.left, rect.bottom - rect.top);
    SetWindowPos(dialog, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Line1: an etched rule, grey over white.
void PaintRule(HDC dc, int dpi) {
    int y = TwipsToPixels(kAboutRuleTop, dpi);
    int right = TwipsToPixels(kAboutRuleRight, dpi);
    int thin = TwipsToPixels(15, dpi) > 0 ? TwipsToPixels(15, dpi) : 1;
    RECT white{TwipsToPixels(kAboutWhiteLeft, dpi), y, right, y + 2 * thin};
    RECT grey{TwipsToPixels(kAboutGreyLeft, dpi), y, right, y + thin};
    HBRUSH whiteBrush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    FillRect(dc, &white, whiteBrush);
    HBRUSH greyBrush = CreateSolidBrush(RGB(0x80, 0x80, 0x80));
    FillRect(dc, &grey, greyBrush);
    DeleteObject(greyBrush);
}

void frmAbout_Load(HWND dialog, AboutState& state) {
    SetWindowTextW(dialog, L"About " KV_PRODUCT_NAME);
    state.dpi = WindowDpi(dialog);
    for (size_t i = 0; i < kAboutControlCount; ++i)
        CreateControl(dialog, state.instance, kAboutControls[i]);
    int iconSize = MulDiv(32, state.dpi, USER_DEFAULT_SCREEN_DPI);
    state.icon.reset(static_cast<HICON>(LoadImageW(state.instance, MAKEINTRESOURCEW(IDI_KV_APP),
                                                   IMAGE_ICON, iconSize, iconSize, LR_DEFAULTCOLOR)));
    SendDlgItemMessageW(dialog, ControlId::picIcon, STM_SETICON,
                        reinterpret_cast<WPARAM>(state.icon.get()), 0);
    LayOut(dialog, state);
    CenterOnOwner(dialog);
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<AboutState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        frmAbout_Load(dialog, *reinterpret_cast<AboutState*>(lParam));
        return TRUE; // the focus goes to cmdOK, first in the tab order
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: // cmdOK, and Enter
        case IDCANCEL: // Esc and the title-bar close
            EndDialog(dialog, IDOK);
            return TRUE;
        case ControlId::cmdSysInfo:
            StartSysInfo(dialog);
            return TRUE;
        }
        return FALSE;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(dialog, &paint);
        if (state)
            PaintRule(dc, state->dpi);
        EndPaint(dialog, &paint);
        return TRUE;
    }
    case WM_DPICHANGED:
        if (state) {
            state->dpi = HIWORD(wParam);
            const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(dialog, nullptr, suggested->left, suggested->top, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            LayOut(dialog, *state);
        }
        return TRUE;
    }
    return FALSE;
}

// An empty dialog template: the controls are made in twips at the window's DPI.
struct alignas(4) EmptyDialogTemplate {
    DLGTEMPLATE dialog;
    WORD menu = 0;
    WORD windowClass = 0;
    WORD title = 0;
};

} // namespace

void ShowAbout(HINSTANCE instance, HWND owner) {
    EmptyDialogTemplate tmpl{};
    tmpl.dialog.style = kStyle;
    AboutState state;
    state.instance = instance;
    DialogBoxIndirectParamW(instance, &tmpl.dialog, owner, AboutProc,
                            reinterpret_cast<LPARAM>(&state));
}

void StartSysInfo(HWND owner) {
    Win32Registry registry;
    Win32FileCheck files;
    std::optional<std::string> path = FindSysInfo(registry, files);
    if (path && StartProgram(MakeStartRequest(FromAnsi(*path, GetACP()), L"", SW_SHOWNORMAL)) == 0)
        return;
    MessageBoxW(owner, L"System Information Is Unavailable At This Time", L"" KV_APP_TITLE, MB_OK);
}
