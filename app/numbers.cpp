#include "app/numbers.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

std::wstring_view Trim(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace

std::optional<double> ParseNumber(std::wstring_view text, wchar_t decimalSeparator) {
    text = Trim(text);
    // Validate by hand and hand from_chars a plain ASCII copy: it is
    // locale-independent and knows nothing of wide text.
    std::string ascii;
    size_t i = 0;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        if (text[i] == L'-')
            ascii += '-';
        ++i;
    }
    size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) {
        ascii += static_cast<char>(text[i++]);
        ++digits;
    }
    if (i < text.size() && text[i] == decimalSeparator) {
        ascii += '.';
        ++i;
        while (i < text.size() && IsDigit(text[i])) {
            ascii += static_cast<char>(text[i++]);
            ++digits;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < text.size() && (text[i] == L'e' || text[i] == L'E')) {
        ascii += 'e';
        ++i;
        if (i < text.size() && (text[i] == L'+' || text[i] == L'-'))
            ascii += static_cast<char>(text[i++]);
        size_t exponentDigits = 0;
        while (i < text.size() && IsDigit(text[i])) {
            ascii += static_cast<char>(text[i++]);
            ++exponentDigits;
        }
        if (exponentDigits == 0)
            return std::nullopt;
    }
    if (i != text.size())
        return std::nullopt;

    double value = 0;
    const char* first = ascii.data();
    const char* last = first + ascii.size();
    auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int16_t> RoundToInt16(double value) {
    if (!std::isfinite(value))
        return std::nullopt;
    double whole = std::floor(value);
    double fraction = value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0))
        whole += 1.0;
    if (whole < std::numeric_limits<int16_t>::min() || whole > std::numeric_limits<int16_t>::max())
        return std::nullopt;
    return static_cast<int16_t>(whole);
}

std::optional<int> WholeMinutes(std::wstring_view text, wchar_t decimalSeparator) {
    std::optional<double> value = ParseNumber(text, decimalSeparator);
    if (!value || *value != std::floor(*value))
        return std::nullopt;
    if (*value < 1.0 || *value > std::numeric_limits<int16_t>::max())
        return std::nullopt;
    return static_cast<int>(*value);
}

std::wstring ToDecimal(int value) { return std::to_wstring(value); }
