#include "base/numbers.h"

#include <cmath>
#include <limits>

#include "base/text.h"

namespace {

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// An input method in full-width mode types U+FF10..U+FF19 for the digits, and
// U+3000 for a blank: read as the ASCII the same keys give otherwise.
std::wstring NarrowForms(std::wstring_view text) {
    std::wstring narrow(text);
    for (wchar_t& c : narrow) {
        if (c >= 0xFF01 && c <= 0xFF5E)
            c = static_cast<wchar_t>(c - 0xFF01 + 0x21);
        else if (c == 0x3000)
            c = L' ';
    }
    return narrow;
}

} // namespace

std::optional<double> ParseNumber(std::wstring_view typed, wchar_t decimalSeparator) {
    const std::wstring narrow = NarrowForms(typed);
    std::wstring_view text = Trim(narrow);
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-'))
        negative = text[i++] == L'-';

    // The digits as an integer times a power of ten. Only the first 19
    // significant digits are kept exactly; the rest only move the exponent.
    uint64_t mantissa = 0;
    int kept = 0;
    long exponent = 0;
    size_t digits = 0;
    bool fraction = false;
    for (; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (c == decimalSeparator && !fraction) {
            fraction = true;
            continue;
        }
        if (!IsDigit(c))
            break;
        ++digits;
        if (mantissa == 0 && c == L'0') {
            if (fraction)
                --exponent;
            continue;
        }
        if (kept < 19) {
            mantissa = mantissa * 10 + static_cast<uint64_t>(c - L'0');
            ++kept;
            if (fraction)
                --exponent;
        } else if (!fraction) {
            ++exponent;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < text.size() && (text[i] == L'e' || text[i] == L'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < text.size() && (text[i] == L'+' || text[i] == L'-'))
            negativeExponent = text[i++] == L'-';
        long written = 0;
        size_t exponentDigits = 0;
        for (; i < text.size() && IsDigit(text[i]); ++i, ++exponentDigits) {
            if (written < 100000) // far past any double either way
                written = written * 10 + (text[i] - L'0');
        }
        if (exponentDigits == 0)
            return std::nullopt;
        exponent += negativeExponent ? -written : written;
    }
    if (i != text.size())
        return std::nullopt;

    while (mantissa != 0 && mantissa % 10 == 0) {
        mantissa /= 10;
        ++exponent;
    }
    // Up to 15 digits and a power of ten up to 22 are exact doubles, so one
    // multiplication or division gives the correctly rounded value: every
    // text a person types for a minutes value takes this path.
    static const double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                     1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                     1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    double value = static_cast<double>(mantissa);
    if (mantissa == 0) {
        value = 0;
    } else if (mantissa < (1ULL << 53) && exponent >= -22 && exponent <= 22) {
        value = exponent < 0 ? value / kPowers[-exponent] : value * kPowers[exponent];
    } else {
        // Beyond that only an approximation: far from the values that matter here.
        for (; exponent > 0 && std::isfinite(value); --exponent)
            value *= 10;
        for (; exponent < 0 && value != 0; ++exponent)
            value /= 10;
    }
    if (!std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
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
