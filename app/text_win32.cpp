#include "app/text_win32.h"

std::wstring FromAnsi(const std::string& bytes) {
    if (bytes.empty())
        return {};
    int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()),
                                     nullptr, 0);
    std::wstring text(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], length);
    return text;
}

bool ToAnsi(const std::wstring& text, std::string& bytes) {
    bytes.clear();
    if (text.empty())
        return true;
    BOOL usedDefault = FALSE;
    int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(),
                                     static_cast<int>(text.size()), nullptr, 0, nullptr,
                                     &usedDefault);
    if (length <= 0 || usedDefault)
        return false;
    bytes.resize(static_cast<size_t>(length));
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                        &bytes[0], length, nullptr, &usedDefault);
    return !usedDefault;
}

std::wstring GetText(HWND window) {
    int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int copied = GetWindowTextW(window, &text[0], length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}
