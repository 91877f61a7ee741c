// config.kv as the program reads it: its encoding told by its bytes; bytes
// widened one to one (a Latin-1 model of the ANSI code page), then decoded
// with either decimal separator.
#include "base/numbers.h"
#include "base/text.h"
#include "config/config_codec.h"
#include "config/config_encoding.h"
#include "tests/fuzz/check.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

// The expected line, worked out separately from the decoder's own helper.
std::wstring LineAt(const std::wstring& text, size_t start) {
    size_t end = text.find(L'\n', start);
    std::wstring line = text.substr(start, end == std::wstring::npos ? end : end - start);
    if (!line.empty() && line.back() == L'\r')
        line.pop_back();
    return line;
}

void CheckDecode(const std::wstring& text, wchar_t separator) {
    ConfigValues values = DecodeConfig(text, separator);
    if (text.empty()) {
        KV_CHECK(!values.program && !values.minutes);
        return;
    }
    KV_CHECK(values.program);
    KV_CHECK(*values.program == LineAt(text, 0));

    size_t firstEnd = text.find(L'\n');
    bool hasSecondLine = firstEnd != std::wstring::npos && firstEnd + 1 < text.size();
    KV_CHECK(values.minutes.has_value() == hasSecondLine);
    if (!hasSecondLine)
        return;

    // A number comes back in its rounded form, anything else as written.
    std::wstring written = LineAt(text, firstEnd + 1);
    std::optional<double> number = ParseNumber(written, separator);
    std::optional<int16_t> rounded = number ? RoundToInt16(*number) : std::nullopt;
    KV_CHECK(*values.minutes == (rounded ? ToDecimal(*rounded) : written));

    // What was read, saved and read again, is what was read.
    ConfigValues again = DecodeConfig(EncodeConfig(*values.program, *values.minutes), separator);
    KV_CHECK(again.program == values.program);
    KV_CHECK(again.minutes == values.minutes);
}

// Saving any program text without LF and minutes without CR or LF reads back
// the same program and the same or the rounded minutes.
void CheckEncode(const std::wstring& text, wchar_t separator) {
    size_t split = text.find(L'\0');
    std::wstring program, minutes;
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (split == std::wstring::npos || i < split) {
            if (c != L'\n')
                program += c;
        } else if (i > split && c != L'\r' && c != L'\n') {
            minutes += c;
        }
    }
    ConfigValues values = DecodeConfig(EncodeConfig(program, minutes), separator);
    KV_CHECK(values.program && *values.program == program);
    KV_CHECK(values.minutes);
    if (*values.minutes != minutes) {
        std::optional<double> number = ParseNumber(minutes, separator);
        KV_CHECK(number);
        std::optional<int16_t> rounded = RoundToInt16(*number);
        KV_CHECK(rounded && *values.minutes == ToDecimal(*rounded));
    }
}

// UTF-8 without a mark is taken only when strictly valid, and so is written
// back byte for byte; so is UTF-16 of whole code units.
void CheckUnicode(const std::string& bytes) {
    for (bool multiByteAnsi : {false, true}) {
        ConfigEncoding encoding = DetectConfigEncoding(bytes, multiByteAnsi, false);
        std::wstring text = DecodeUnicode(bytes, encoding);
        std::string back;
        bool whole = encoding == ConfigEncoding::Utf8 ||
                     (encoding != ConfigEncoding::Utf8Bom && bytes.size() % 2 == 0);
        if (encoding != ConfigEncoding::Ansi && whole)
            KV_CHECK(EncodeUnicode(text, encoding, back) && back == bytes);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CheckUnicode(std::string(data, data + size));
    std::wstring text(data, data + size);
    for (wchar_t separator : {L'.', L','}) {
        CheckDecode(text, separator);
        CheckEncode(text, separator);
    }
    return 0;
}
