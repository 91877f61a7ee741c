// Finding the system-information tool through the registry.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

constexpr uint32_t kHKeyLocalMachine = 0x80000002;
constexpr uint32_t kKeyRead = 0x20019; // read only: HKLM refuses write rights to most users
// KEY_WOW64_64KEY: the 64-bit view, where 64-bit Windows registers its own
// tool, also from a 32-bit process; a 64-bit process's own view, and ignored
// by 32-bit Windows.
constexpr uint32_t kKeyWow64_64Key = 0x0100;

constexpr uint32_t kRegString = 1;
constexpr uint32_t kRegExpandString = 2;
constexpr uint32_t kRegNumber = 4;
constexpr uint32_t kValueBufferSize = 1024;

// The registry as GetKeyValue uses it: ANSI names and values, results as
// the system's error codes (0 = success).
class IRegistry {
public:
    virtual ~IRegistry() = default;
    virtual long OpenKey(uint32_t root, const std::string& keyName, uint32_t access,
                         uint32_t& key) = 0;
    // data holds the buffer's capacity on entry and the bytes read on return.
    virtual long QueryValue(uint32_t key, const std::string& valueName, uint32_t& type,
                            std::vector<uint8_t>& data) = 0;
    virtual void CloseKey(uint32_t key) = 0;
    virtual std::string ExpandEnvironment(const std::string& text) = 0;
    // True in a 32-bit process on 64-bit Windows (WOW64), whose %ProgramFiles%
    // and %CommonProgramFiles% name the 32-bit folders.
    virtual bool RunsUnderWow64() = 0;
};

// Reads one value of the 64-bit view as text: strings (expandable ones
// expanded, their Program Files the 64-bit ones the value was written for)
// and numbers in decimal. KeyVal is "" when nothing was read; any other type
// leaves it as passed. An empty value counts as not found.
bool GetKeyValue(IRegistry& registry, uint32_t KeyRoot, const std::string& KeyName,
                 const std::string& SubKeyRef, std::string& KeyVal);

class IFileCheck {
public:
    virtual ~IFileCheck() = default;
    virtual bool FileExists(const std::string& path) = 0;
};

// The tool's path: the first key's full path, else the second key's folder
// when it holds the tool; nothing when neither does. The file check is the
// caller's, Sysnative included.
std::optional<std::string> FindSysInfo(IRegistry& registry, IFileCheck& files);
