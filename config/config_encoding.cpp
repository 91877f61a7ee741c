#include "config/config_encoding.h"

#include <cstdint>

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";
constexpr uint32_t kReplacement = 0xFFFD;

bool StartsWith(std::string_view bytes, std::string_view mark) {
    return bytes.substr(0, mark.size()) == mark;
}

unsigned char At(std::string_view bytes, size_t i) {
    return static_cast<unsigned char>(bytes[i]);
}

// The code point of the UTF-8 sequence at i, and its length; 0 when it is
// not a valid sequence: overlong forms, surrogates and values past U+10FFFF
// are not.
size_t Utf8Sequence(std::string_view bytes, size_t i, uint32_t& code) {
    unsigned char lead = At(bytes, i);
    if (lead < 0x80) {
        code = lead;
        return 1;
    }
    size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || lead > 0xF4 || i + length > bytes.size())
        return 0;
    code = lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
        unsigned char next = At(bytes, i + k);
        if ((next & 0xC0) != 0x80)
            return 0;
        code = code << 6 | (next & 0x3F);
    }
    static const uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

// Strictly valid, with at least one multi-byte sequence.
bool IsUtf8Text(std::string_view bytes) {
    bool multiByte = false;
    for (size_t i = 0; i < bytes.size();) {
        uint32_t code = 0;
        size_t length = Utf8Sequence(bytes, i, code);
        if (length == 0)
            return false;
        multiByte = multiByte || length > 1;
        i += length;
    }
    return multiByte;
}

void AppendUtf16(std::wstring& text, uint32_t code) {
    if (code < 0x10000) {
        text += static_cast<wchar_t>(code);
        return;
    }
    code -= 0x10000;
    text += static_cast<wchar_t>(0xD800 + (code >> 10));
    text += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
}

void AppendUtf8(std::string& bytes, uint32_t code) {
    if (code < 0x80) {
        bytes += static_cast<char>(code);
        return;
    }
    size_t length = code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
    static const unsigned char kLead[] = {0, 0, 0xC0, 0xE0, 0xF0};
    bytes += static_cast<char>(kLead[length] | code >> (6 * (length - 1)));
    for (size_t k = length - 1; k > 0; --k)
        bytes += static_cast<char>(0x80 | ((code >> (6 * (k - 1))) & 0x3F));
}

} // namespace

ConfigEncoding DetectConfigEncoding(std::string_view bytes, bool ansiIsMultiByte,
                                    bool validInAnsi) {
    if (StartsWith(bytes, kUtf8Mark))
        return ConfigEncoding::Utf8Bom;
    if (StartsWith(bytes, kUtf16LeMark))
        return ConfigEncoding::Utf16Le;
    if (StartsWith(bytes, kUtf16BeMark))
        return ConfigEncoding::Utf16Be;
    if (ansiIsMultiByte && validInAnsi)
        return ConfigEncoding::Ansi;
    return IsUtf8Text(bytes) ? ConfigEncoding::Utf8 : ConfigEncoding::Ansi;
}

std::wstring DecodeUnicode(std::string_view bytes, ConfigEncoding encoding) {
    std::wstring text;
    if (encoding == ConfigEncoding::Utf16Le || encoding == ConfigEncoding::Utf16Be) {
        bool little = encoding == ConfigEncoding::Utf16Le;
        for (size_t i = kUtf16LeMark.size(); i + 1 < bytes.size(); i += 2) {
            unsigned unit = little ? At(bytes, i) | At(bytes, i + 1) << 8
                                   : At(bytes, i) << 8 | At(bytes, i + 1);
            text += static_cast<wchar_t>(unit);
        }
        return text;
    }
    size_t i = encoding == ConfigEncoding::Utf8Bom ? kUtf8Mark.size() : 0;
    while (i < bytes.size()) {
        uint32_t code = 0;
        size_t length = Utf8Sequence(bytes, i, code);
        AppendUtf16(text, length == 0 ? kReplacement : code);
        i += length == 0 ? 1 : length;
    }
    return text;
}

bool EncodeUnicode(const std::wstring& text, ConfigEncoding encoding, std::string& bytes) {
    bytes.clear();
    if (encoding == ConfigEncoding::Utf16Le || encoding == ConfigEncoding::Utf16Be) {
        bool little = encoding == ConfigEncoding::Utf16Le;
        bytes = little ? kUtf16LeMark : kUtf16BeMark;
        for (wchar_t c : text) {
            auto unit = static_cast<uint32_t>(c);
            char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8 & 0xFF);
            bytes += little ? low : high;
            bytes += little ? high : low;
        }
        return true;
    }
    if (encoding == ConfigEncoding::Utf8Bom)
        bytes = kUtf8Mark;
    for (size_t i = 0; i < text.size(); ++i) {
        auto code = static_cast<uint32_t>(text[i]);
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size()) {
            auto low = static_cast<uint32_t>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (code >= 0xD800 && code <= 0xDFFF)
            return false;
        AppendUtf8(bytes, code);
    }
    return true;
}
