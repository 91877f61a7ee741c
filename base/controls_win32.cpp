#include "base/controls_win32.h"

#include "base/dpi_win32.h"

HWND CreateControl(HWND parent, HINSTANCE instance, const ControlItem& item) {
    const wchar_t* className = L"STATIC";
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD exStyle = 0;
    switch (item.kind) {
    case ControlKind::Label:
        style |= SS_LEFT | SS_NOPREFIX;
        break;
    case ControlKind::Icon:
        style |= SS_ICON | SS_CENTERIMAGE;
        break;
    case ControlKind::Edit:
        className = L"EDIT";
        style |= WS_TABSTOP | ES_AUTOHSCROLL;
        exStyle = WS_EX_CLIENTEDGE;
        break;
    case ControlKind::Button:
        className = L"BUTTON";
        style |= WS_TABSTOP | BS_PUSHBUTTON;
        break;
    case ControlKind::DefaultButton:
        className = L"BUTTON";
        style |= WS_TABSTOP | BS_DEFPUSHBUTTON;
        break;
    }
    HWND control = CreateWindowExW(exStyle, className, item.text, style, 0, 0, 0, 0, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(item.id)), instance,
                                   nullptr);
    if (item.kind == ControlKind::Edit)
        SendMessageW(control, EM_SETLIMITTEXT, 0, 0); // as long as the user likes
    return control;
}

namespace {

bool LabelsFit(HDC dc, const ControlItem* items, size_t count, int dpi) {
    for (size_t i = 0; i < count; ++i) {
        const ControlItem& item = items[i];
        if (item.kind != ControlKind::Label)
            continue;
        RECT box{0, 0, TwipsToPixels(item.width, dpi), 0};
        DrawTextW(dc, item.text, -1, &box, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        if (box.right > TwipsToPixels(item.width, dpi) || box.bottom > TwipsToPixels(item.height, dpi))
            return false;
    }
    return true;
}

// The system's message font at the DPI, a pixel smaller at a time only where a
// label's text would not fit its box.
UniqueFont FontThatFits(const ControlItem* items, size_t count, int dpi) {
    UniqueFont font = MessageFont(dpi);
    LOGFONTW shape{};
    if (!font || !GetObjectW(font.get(), sizeof shape, &shape) || shape.lfHeight >= 0)
        return font;
    HDC dc = GetDC(nullptr);
    const LONG smallest = -MulDiv(11, dpi, 96); // 8 points
    for (;;) {
        HGDIOBJ old = SelectObject(dc, font.get());
        bool fits = LabelsFit(dc, items, count, dpi);
        SelectObject(dc, old);
        if (fits || shape.lfHeight >= smallest)
            break;
        ++shape.lfHeight; // lfHeight is negative: one pixel smaller
        font.reset(CreateFontIndirectW(&shape));
    }
    ReleaseDC(nullptr, dc);
    return font;
}

} // namespace

LayoutFonts LayOutControls(HWND window, const ControlItem* items, size_t count, int clientWidth,
                           int clientHeight, DWORD style, DWORD exStyle, int dpi, int titleId) {
    LayoutFonts fonts{FontThatFits(items, count, dpi), {}};
    LOGFONTW title{};
    if (titleId != 0 && GetObjectW(fonts.text.get(), sizeof title, &title)) {
        title.lfHeight = title.lfHeight * 3 / 2;
        title.lfWeight = FW_BOLD;
        fonts.title.reset(CreateFontIndirectW(&title));
    }
    for (size_t i = 0; i < count; ++i) {
        const ControlItem& item = items[i];
        HWND control = GetDlgItem(window, item.id);
        HFONT font = item.id == titleId ? fonts.title.get() : fonts.text.get();
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        SetWindowPos(control, nullptr, TwipsToPixels(item.left, dpi), TwipsToPixels(item.top, dpi),
                     TwipsToPixels(item.width, dpi), TwipsToPixels(item.height, dpi),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SIZE size = WindowSizeForClient(TwipsToPixels(clientWidth, dpi),
                                    TwipsToPixels(clientHeight, dpi), style, exStyle, dpi);
    SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(window, nullptr, TRUE);
    return fonts;
}
