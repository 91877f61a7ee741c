#include "about/sysinfo.h"

#include "app/environment.h"
#include "base/text.h"

namespace {

const char* const kToolPathKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const char* const kToolPathValue = "PATH";
const char* const kToolFolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
const char* const kToolFolderValue = "MSINFO";
const char* const kToolFile = "\\MSINFO32.EXE";

// A value of the 64-bit view names the 64-bit Program Files, which a 32-bit
// process on 64-bit Windows knows as %ProgramW6432% and %CommonProgramW6432%
// (Windows 7 and later); its own %ProgramFiles% is "Program Files (x86)".
// Their WOW64 twins are what the 64-bit view means.
std::string ForThe64BitView(const std::string& text) {
    std::string result;
    for (size_t at = 0;;) {
        size_t open = text.find('%', at);
        size_t close = open == std::string::npos ? open : text.find('%', open + 1);
        if (close == std::string::npos)
            return result.append(text, at, std::string::npos);
        std::string_view name(text.data() + open + 1, close - open - 1);
        result.append(text, at, close - at - name.size()); // through the first '%'
        if (const wchar_t* twin = Wow64FolderTwin(name))
            result.append(twin, twin + std::wstring_view(twin).size()); // ASCII
        else
            result.append(name);
        result += '%';
        at = close + 1;
    }
}

std::string DecodeValue(uint32_t type, const std::vector<uint8_t>& data, IRegistry& registry,
                        const std::string& asPassed) {
    // A terminating NUL is not part of the value; a value stored without one
    // keeps all its characters.
    size_t size = data.size();
    if (data[size - 1] == 0)
        --size;
    switch (type) {
    case kRegString:
        return std::string(data.begin(), data.begin() + static_cast<long>(size));
    case kRegExpandString: {
        std::string text(data.begin(), data.begin() + static_cast<long>(size));
        return registry.ExpandEnvironment(registry.RunsUnderWow64() ? ForThe64BitView(text) : text);
    }
    case kRegNumber: {
        // Little-endian; the bytes are read as stored, whatever the trim did.
        uint32_t number = 0;
        for (size_t i = data.size() < 4 ? data.size() : 4; i > 0; --i)
            number = number << 8 | data[i - 1];
        return ToDecimal<char>(number);
    }
    default:
        return asPassed;
    }
}

} // namespace

bool GetKeyValue(IRegistry& registry, uint32_t KeyRoot, const std::string& KeyName,
                 const std::string& SubKeyRef, std::string& KeyVal) {
    uint32_t key = 0;
    if (registry.OpenKey(KeyRoot, KeyName, kKeyRead | kKeyWow64_64Key, key) != 0) {
        KeyVal.clear();
        return false;
    }
    uint32_t type = 0;
    std::vector<uint8_t> data(kValueBufferSize, 0);
    long result = registry.QueryValue(key, SubKeyRef, type, data);
    registry.CloseKey(key);
    if (result != 0 || data.empty()) {
        KeyVal.clear();
        return false;
    }
    KeyVal = DecodeValue(type, data, registry, KeyVal);
    return true;
}

std::optional<std::string> FindSysInfo(IRegistry& registry, IFileCheck& files) {
    std::string path;
    if (GetKeyValue(registry, kHKeyLocalMachine, kToolPathKey, kToolPathValue, path) &&
        !path.empty())
        return path;
    if (!GetKeyValue(registry, kHKeyLocalMachine, kToolFolderKey, kToolFolderValue, path))
        return std::nullopt;
    while (!path.empty() && (path.back() == '\\' || path.back() == '/'))
        path.pop_back();
    path += kToolFile;
    if (!files.FileExists(path))
        return std::nullopt;
    return path;
}
