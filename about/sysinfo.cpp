#include "about/sysinfo.h"

namespace {

const char* const kToolPathKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const char* const kToolPathValue = "PATH";
const char* const kToolFolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
const char* const kToolFolderValue = "MSINFO";
const char* const kToolFile = "\\MSINFO32.EXE";

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
    case kRegExpandString:
        return registry.ExpandEnvironment(
            std::string(data.begin(), data.begin() + static_cast<long>(size)));
    case kRegNumber: {
        // Little-endian; the bytes are read as stored, whatever the trim did.
        uint32_t number = 0;
        for (size_t i = data.size() < 4 ? data.size() : 4; i > 0; --i)
            number = number << 8 | data[i - 1];
        std::string digits;
        do {
            digits.insert(digits.begin(), static_cast<char>('0' + number % 10));
            number /= 10;
        } while (number != 0);
        return digits;
    }
    default:
        return asPassed;
    }
}

} // namespace

bool GetKeyValue(IRegistry& registry, uint32_t KeyRoot, const std::string& KeyName,
                 const std::string& SubKeyRef, std::string& KeyVal) {
    uint32_t key = 0;
    if (registry.OpenKey(KeyRoot, KeyName, kKeyRead, key) != 0) {
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
