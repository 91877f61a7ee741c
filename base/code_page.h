// How to ask WideCharToMultiByte for a code page without losing text.
#pragma once

#include <cstdint>

// The system's values (WC_NO_BEST_FIT_CHARS, WC_ERR_INVALID_CHARS).
constexpr uint32_t kNoBestFitChars = 0x400;
constexpr uint32_t kErrInvalidChars = 0x80;

struct AnsiConversion {
    uint32_t flags;
    // lpUsedDefaultChar may be passed and tells of a character that did not fit.
    bool reportsDefaultChar;
    // Only converting back shows what was lost (a best fit or a default character).
    bool checkByRoundTrip;
};

// Some code pages refuse flags or default-character pointers outright
// (ERROR_INVALID_FLAGS, ERROR_INVALID_PARAMETER), so every save would fail.
AnsiConversion AnsiConversionFor(uint32_t codePage);
