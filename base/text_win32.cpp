#include "base/text_win32.h"

#include "base/code_page.h"

static_assert(kNoBestFitChars == WC_NO_BEST_FIT_CHARS, "the system's value");
static_assert(kErrInvalidChars == WC_ERR_INVALID_CHARS, "the system's value");

std::wstring FromAnsi(const std::string& bytes, UINT codePage) {
    if (bytes.empty())
        return {};
    int length =
        MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0],
                        length);
    return text;
}

bool ToAnsi(const std::wstring& text, std::string& bytes, UINT codePage) {
    bytes.clear();
    if (text.empty())
        return true;
    AnsiConversion how = AnsiConversionFor(codePage);
    BOOL usedDefault = FALSE;
    BOOL* used = how.reportsDefaultChar ? &usedDefault : nullptr;
    int length = WideCharToMultiByte(codePage, how.flags, text.data(), static_cast<int>(text.size()),
                                     nullptr, 0, nullptr, used);
    if (length <= 0 || usedDefault)
        return false;
    bytes.resize(static_cast<size_t>(length));
    if (WideCharToMultiByte(codePage, how.flags, text.data(), static_cast<int>(text.size()),
                            &bytes[0], length, nullptr, used) != length ||
        usedDefault)
        return false;
    return !how.checkByRoundTrip || FromAnsi(bytes, codePage) == text;
}

std::wstring GetText(HWND window) {
    int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int copied = GetWindowTextW(window, &text[0], length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}
