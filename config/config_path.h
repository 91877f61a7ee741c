// Where config.kv is: worked out once, from the folder Kelvarion started in.
#pragma once

#include <string>

constexpr const wchar_t* kConfigFileName = L"config.kv";

// config.kv in folder (the working directory as the system reports it: a
// full path, with a trailing separator only at a root). An empty folder (it
// could not be read) leaves the bare name.
std::wstring ConfigPathIn(const std::wstring& folder);

// A full path as the file calls take it: from MAX_PATH characters on, only
// its "\\?\" form opens. A bare name opened from the working directory had no
// such limit, so a deep start-up folder must not lose its settings.
std::wstring LongPathForm(const std::wstring& fullPath);
