// Small text helpers of the pure code: blanks, path separators, letter case,
// decimal digits.
#pragma once

#include <string>
#include <string_view>

inline bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

// The text without the blanks at either end.
inline std::wstring_view Trim(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

inline bool IsBlankText(std::wstring_view text) {
    return Trim(text).empty();
}

// The separators of a path's parts, as Windows takes them.
inline bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// Letter case as switches, extensions and variable names ignore it. ASCII
// only, the same on every machine and in every locale.
template <typename Char> Char LowerCase(Char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<Char>(c - 'A' + 'a') : c;
}

// Texts of either width compare code unit by code unit, so ASCII names match
// across them.
template <typename A, typename B>
bool EqualsIgnoringCase(std::basic_string_view<A> a, std::basic_string_view<B> b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (LowerCase<wchar_t>(static_cast<wchar_t>(a[i])) !=
            LowerCase<wchar_t>(static_cast<wchar_t>(b[i])))
            return false;
    }
    return true;
}
inline bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b) {
    return EqualsIgnoringCase<wchar_t, wchar_t>(a, b);
}
inline bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return EqualsIgnoringCase<char, char>(a, b);
}

// By hand: the library's formatting would bring a whole printf along.
template <typename Char = wchar_t> std::basic_string<Char> ToDecimal(long long value) {
    unsigned long long magnitude = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                             : static_cast<unsigned long long>(value);
    std::basic_string<Char> digits;
    do {
        digits.insert(digits.begin(), static_cast<Char>('0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0)
        digits.insert(digits.begin(), static_cast<Char>('-'));
    return digits;
}
