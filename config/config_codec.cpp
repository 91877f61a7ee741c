#include "config/config_codec.h"

#include "base/numbers.h"
#include "base/text.h"

namespace {

// The next line without its end; advances past the end.
std::wstring_view NextLine(std::wstring_view& text) {
    size_t end = text.find(L'\n');
    std::wstring_view line = text.substr(0, end);
    text.remove_prefix(end == std::wstring_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == L'\r')
        line.remove_suffix(1);
    return line;
}

} // namespace

ConfigValues DecodeConfig(std::wstring_view text, wchar_t decimalSeparator) {
    ConfigValues values;
    if (text.empty())
        return values;
    values.program = std::wstring(NextLine(text));
    if (text.empty())
        return values;
    std::wstring_view minutes = NextLine(text);
    if (std::optional<double> number = ParseNumber(minutes, decimalSeparator)) {
        if (std::optional<int16_t> rounded = RoundToInt16(*number)) {
            values.minutesValue = rounded;
            values.minutes = ToDecimal(*rounded);
            return values;
        }
    }
    values.minutes = std::wstring(minutes);
    return values;
}

std::wstring EncodeConfig(const std::wstring& program, const std::wstring& minutes) {
    return program + L"\r\n" + minutes + L"\r\n";
}

bool ReadMayBeRetried(uint32_t error) {
    switch (error) {
    case 32:  // ERROR_SHARING_VIOLATION
    case 33:  // ERROR_LOCK_VIOLATION
    case 362: // ERROR_CLOUD_FILE_PROVIDER_NOT_RUNNING
    case 388: // ERROR_CLOUD_FILE_NETWORK_UNAVAILABLE
    case 391: // ERROR_CLOUD_FILE_IN_USE
        return true;
    default:
        return false;
    }
}
