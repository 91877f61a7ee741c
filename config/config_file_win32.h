// "config.kv" in the folder Kelvarion started in: read at start, written at
// exit. Every call takes its full path, worked out once at start-up
// (ConfigPathIn), so a working directory moved meanwhile changes nothing.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "config/config_codec.h"
#include "config/config_encoding.h"

// What a read found.
struct ConfigRead {
    // 0 when the file was read or is not there, else the system's reason why
    // a file that is there could not be read.
    DWORD error = 0;
    std::optional<ConfigEncoding> encoding; // set when the file was read
    ConfigValues values;                    // its two lines as decoded
    // The file was read and held settings; gone or empty, it did not.
    bool Found() const { return values.program.has_value(); }
};

ConfigRead ReadConfiguration(const std::wstring& path);

// Writes the two texts in the encoding the file was read in; text the ANSI
// code page cannot hold makes it UTF-8 with a byte-order mark, from then on.
// The old file is replaced in one step, so it survives a failed write whole;
// the new one keeps its attributes, its permissions and a symbolic link to
// it. 0 on success, else the system's error code.
DWORD WriteConfiguration(const std::wstring& path, const std::wstring& program,
                         const std::wstring& minutes, ConfigEncoding& encoding);

wchar_t LocaleDecimalSeparator();
