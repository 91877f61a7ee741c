// The number helpers behind the minutes box and the config file: the input
// as text (bytes widened one to one), and its first bytes as a raw double
// and int to reach values no text produces (NaN, infinities, subnormals).
#include "base/numbers.h"
#include "base/text.h"
#include "tests/fuzz/check.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

void CheckRound(double value) {
    std::optional<int16_t> rounded = RoundToInt16(value);
    // Ties go to even, so -32768.5 still rounds into range and 32767.5 does not.
    bool inRange = value >= -32768.5 && value < 32767.5;
    KV_CHECK(rounded.has_value() == inRange);
    if (!rounded)
        return;
    double error = std::fabs(value - *rounded);
    KV_CHECK(error <= 0.5);
    if (error == 0.5)
        KV_CHECK(*rounded % 2 == 0);
}

void CheckDecimal(int value) {
    std::wstring text = ToDecimal(value);
    for (wchar_t separator : {L'.', L','}) {
        std::optional<double> parsed = ParseNumber(text, separator);
        KV_CHECK(parsed && *parsed == value);
        std::optional<int> minutes = WholeMinutes(text, separator);
        KV_CHECK(minutes.has_value() == (value >= 1 && value <= 32767));
        if (minutes)
            KV_CHECK(*minutes == value);
    }
}

void CheckText(const std::wstring& text, wchar_t separator) {
    std::optional<double> number = ParseNumber(text, separator);
    if (number) {
        KV_CHECK(std::isfinite(*number));
        CheckRound(*number);
    }
    std::optional<int> minutes = WholeMinutes(text, separator);
    if (minutes) {
        KV_CHECK(*minutes >= 1 && *minutes <= 32767);
        KV_CHECK(number && *number == *minutes);
        CheckDecimal(*minutes);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::wstring text(data, data + size);
    CheckText(text, L'.');
    CheckText(text, L',');

    if (size >= sizeof(double)) {
        double raw;
        std::memcpy(&raw, data, sizeof raw);
        CheckRound(raw);
    }
    if (size >= sizeof(int)) {
        int raw;
        std::memcpy(&raw, data, sizeof raw);
        CheckDecimal(raw);
    }
    return 0;
}
