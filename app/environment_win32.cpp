#include "app/environment_win32.h"

#include <windows.h>

#include <vector>

#include "app/environment.h"
#include "base/handles_win32.h"

namespace {

// The string values of a key; none when it cannot be opened.
std::vector<EnvironmentValue> ReadValues(HKEY root, const wchar_t* path) {
    std::vector<EnvironmentValue> values;
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, path, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return values;
    UniqueRegKey key(opened);
    DWORD count = 0, longestName = 0, longestData = 0;
    if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                         &longestName, &longestData, nullptr, nullptr) != ERROR_SUCCESS)
        return values;
    std::vector<wchar_t> name(longestName + 1);
    std::vector<wchar_t> data(longestData / sizeof(wchar_t) + 1);
    for (DWORD i = 0; i < count; ++i) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD type = 0;
        DWORD bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        if (RegEnumValueW(key.get(), i, name.data(), &nameLength, nullptr, &type,
                          reinterpret_cast<BYTE*>(data.data()), &bytes) != ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ))
            continue;
        // Stored with or without its NUL; the text ends at the first one.
        std::wstring text(data.data(), bytes / sizeof(wchar_t));
        size_t end = text.find(L'\0');
        if (end != std::wstring::npos)
            text.resize(end);
        values.push_back({std::wstring(name.data(), nameLength), text, type == REG_EXPAND_SZ});
    }
    return values;
}

} // namespace

std::wstring EnvironmentBlock() {
    wchar_t* block = GetEnvironmentStringsW();
    if (!block)
        return {};
    const wchar_t* end = block;
    while (*end)
        end += lstrlenW(end) + 1;
    // The string's own NUL after the last one ends even an empty block.
    std::wstring copy(block, static_cast<size_t>(end - block) + 1);
    FreeEnvironmentStringsW(block);
    return copy;
}

void RefreshEnvironment() {
    Variables changes = EnvironmentChanges(
        BlockVariables(EnvironmentBlock().c_str()),
        ReadValues(HKEY_LOCAL_MACHINE,
                   L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment"),
        ReadValues(HKEY_CURRENT_USER, L"Environment"),
        ReadValues(HKEY_CURRENT_USER, L"Volatile Environment"));
    for (const auto& variable : changes)
        SetEnvironmentVariableW(variable.first.c_str(), variable.second.c_str());
}
