// The two-line "config.kv": program text, then minutes text, each ending CR LF.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct ConfigValues {
    std::optional<std::wstring> program; // absent: keep the window's default
    std::optional<std::wstring> minutes;
    std::optional<int16_t> minutesValue; // the second line as a number, when it is one
};

// Reads what a file holds. Lines may end in CR LF or LF; lines past the
// second are ignored. A second line that is a number shows as its rounded
// 16-bit decimal form ("05" -> "5", "7.5" -> "8"); any other second line is
// kept as written, so nothing the user saved is lost.
ConfigValues DecodeConfig(std::wstring_view text, wchar_t decimalSeparator);

// A read refused for a while only: another program holds the file (a virus
// scanner, a backup), or its cloud provider has not brought it yet. Such a
// read is tried again later; any other error is final. A provider that timed
// out (426) is not asked again: the next read would hold a tick for a minute.
bool ReadMayBeRetried(uint32_t error);

std::wstring EncodeConfig(const std::wstring& program, const std::wstring& minutes);
