#include "base/code_page.h"

AnsiConversion AnsiConversionFor(uint32_t codePage) {
    switch (codePage) {
    case 65001: // UTF-8, the "Beta: Use Unicode UTF-8" setting
    case 54936: // GB18030
        // Both hold every character; only broken surrogate pairs cannot go.
        return {kErrInvalidChars, false, false};
    case 42:    // Symbol
    case 50220: // ISO-2022 Japanese and Korean
    case 50221:
    case 50222:
    case 50225:
    case 50227: // ISO-2022 Chinese
    case 50229:
    case 52936: // HZ-GB2312
    case 65000: // UTF-7
        return {0, false, true};
    default:
        if (codePage >= 57002 && codePage <= 57011) // ISCII
            return {0, false, true};
        return {kNoBestFitChars, true, false};
    }
}
