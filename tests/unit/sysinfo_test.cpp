#include "about/sysinfo.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

struct StoredValue {
    uint32_t type;
    std::vector<uint8_t> bytes;
};

std::vector<uint8_t> Bytes(const std::string& text, bool withNul) {
    std::vector<uint8_t> bytes(text.begin(), text.end());
    if (withNul)
        bytes.push_back(0);
    return bytes;
}

using Keys = std::map<std::string, std::map<std::string, StoredValue>>;

// A stand-in registry that checks keys are opened read-only and closed once.
// Under WOW64 it has two views, as 64-bit Windows shows a 32-bit process.
class FakeRegistry : public IRegistry {
public:
    long OpenKey(uint32_t root, const std::string& keyName, uint32_t access,
                 uint32_t& key) override {
        accessAsked.push_back(access);
        bool view64 = !wow64 || (access & kKeyWow64_64Key);
        Keys& view = view64 ? keys : keys32;
        if (root != kHKeyLocalMachine || view.count(keyName) == 0)
            return 2;
        if (access & ~(kKeyRead | kKeyWow64_64Key)) // write rights: what HKLM gives a standard user
            return 5;
        key = nextHandle++;
        openKeys[key] = {&view, keyName};
        return 0;
    }
    long QueryValue(uint32_t key, const std::string& valueName, uint32_t& type,
                    std::vector<uint8_t>& data) override {
        auto& values = (*openKeys.at(key).first)[openKeys.at(key).second];
        auto found = values.find(valueName);
        if (found == values.end())
            return 2;
        if (found->second.bytes.size() > data.size())
            return 234; // more data
        type = found->second.type;
        data = found->second.bytes;
        return 0;
    }
    void CloseKey(uint32_t key) override {
        EXPECT_EQ(openKeys.erase(key), 1u) << "closed a key that was not open";
    }
    // The environment of 32-bit Windows, or of a 32-bit process under WOW64.
    std::string ExpandEnvironment(const std::string& text) override {
        std::map<std::string, std::string> variables = {
            {"ProgramFiles", "C:\\Program Files"},
            {"CommonProgramFiles", "C:\\Program Files\\Common Files"},
            {"SystemRoot", "C:\\Windows"}};
        if (wow64) {
            variables = {{"ProgramFiles", "C:\\Program Files (x86)"},
                         {"CommonProgramFiles", "C:\\Program Files (x86)\\Common Files"},
                         {"ProgramFiles(x86)", "C:\\Program Files (x86)"},
                         {"ProgramW6432", "C:\\Program Files"},
                         {"CommonProgramW6432", "C:\\Program Files\\Common Files"},
                         {"SystemRoot", "C:\\Windows"}};
        }
        std::string result = text;
        for (const auto& [name, value] : variables) {
            for (size_t at; (at = result.find("%" + name + "%")) != std::string::npos;)
                result.replace(at, name.size() + 2, value);
        }
        return result;
    }
    bool RunsUnderWow64() override { return wow64; }

    bool wow64 = false;
    Keys keys;   // the 64-bit view; the only one outside WOW64
    Keys keys32; // what a 32-bit process opens without asking for the 64-bit view
    std::map<uint32_t, std::pair<Keys*, std::string>> openKeys;
    std::vector<uint32_t> accessAsked;
    uint32_t nextHandle = 100;
};

class FakeFiles : public IFileCheck {
public:
    bool FileExists(const std::string& path) override { return files.count(path) != 0; }
    std::set<std::string> files;
};

const char* kPathKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const char* kFolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
const std::string kTool = "C:\\Program Files\\Common Files\\Microsoft Shared\\MSInfo\\msinfo32.exe";

} // namespace

TEST(GetKeyValue, DecodesEachValueType) {
    FakeRegistry registry;
    registry.keys["K"] = {
        {"withNul", {kRegString, Bytes("abc", true)}},
        {"withoutNul", {kRegString, Bytes("abc", false)}},
        {"oneNul", {kRegString, Bytes("", true)}},
        {"empty", {kRegString, {}}},
        {"expand", {kRegExpandString, Bytes("%ProgramFiles%\\x.exe", true)}},
        {"number", {kRegNumber, {0x2A, 0x01, 0x00, 0x00}}},
        {"bigNumber", {kRegNumber, {0xFF, 0xFF, 0xFF, 0xFF}}},
        {"highByte", {kRegNumber, {0x00, 0x00, 0x00, 0x01}}},
        {"binary", {3, {1, 2, 3}}},
        {"long", {kRegString, Bytes(std::string(1500, 'x'), true)}},
    };
    struct Case {
        const char* value;
        bool found;
        std::string text;
    };
    const Case cases[] = {
        {"withNul", true, "abc"},         {"withoutNul", true, "abc"},
        {"oneNul", true, ""},             {"empty", false, ""},
        {"expand", true, "C:\\Program Files\\x.exe"},
        {"number", true, "298"},          {"bigNumber", true, "4294967295"},
        {"highByte", true, "16777216"},   {"binary", true, "as passed"},
        {"long", false, ""},              {"missing", false, ""},
    };
    for (const Case& c : cases) {
        std::string text = "as passed";
        EXPECT_EQ(GetKeyValue(registry, kHKeyLocalMachine, "K", c.value, text), c.found) << c.value;
        EXPECT_EQ(text, c.text) << c.value;
    }
    EXPECT_TRUE(registry.openKeys.empty()) << "a key was left open";
    for (uint32_t access : registry.accessAsked)
        EXPECT_EQ(access & ~kKeyWow64_64Key, kKeyRead);
}

TEST(GetKeyValue, MissingKeyIsNotFoundAndNothingIsClosed) {
    FakeRegistry registry;
    std::string text = "old";
    EXPECT_FALSE(GetKeyValue(registry, kHKeyLocalMachine, "nope", "PATH", text));
    EXPECT_EQ(text, "");
    EXPECT_EQ(registry.nextHandle, 100u); // nothing opened, and CloseKey would have failed
}

TEST(FindSysInfo, PrefersTheFullPathThenTheFolder) {
    FakeRegistry registry;
    FakeFiles files;
    // Both absent.
    EXPECT_FALSE(FindSysInfo(registry, files).has_value());

    // Only the folder, without and with the tool in it.
    registry.keys[kFolderKey]["MSINFO"] = {kRegString, Bytes("C:\\Tools\\MSInfo", true)};
    EXPECT_FALSE(FindSysInfo(registry, files).has_value());
    files.files.insert("C:\\Tools\\MSInfo\\MSINFO32.EXE");
    EXPECT_EQ(FindSysInfo(registry, files).value_or(""), "C:\\Tools\\MSInfo\\MSINFO32.EXE");
    // A folder written with its trailing backslash names the same file.
    registry.keys[kFolderKey]["MSINFO"] = {kRegString, Bytes("C:\\Tools\\MSInfo\\", true)};
    EXPECT_EQ(FindSysInfo(registry, files).value_or(""), "C:\\Tools\\MSInfo\\MSINFO32.EXE");

    // The full path wins, stored with or without its NUL, and is not checked
    // here: a failed start is reported by the caller.
    registry.keys[kPathKey]["PATH"] = {kRegString, Bytes(kTool, false)};
    EXPECT_EQ(FindSysInfo(registry, files).value_or(""), kTool);
    registry.keys[kPathKey]["PATH"] = {kRegString, Bytes(kTool, true)};
    EXPECT_EQ(FindSysInfo(registry, files).value_or(""), kTool);

    // An empty full path falls back to the folder.
    registry.keys[kPathKey]["PATH"] = {kRegString, {}};
    EXPECT_EQ(FindSysInfo(registry, files).value_or(""), "C:\\Tools\\MSInfo\\MSINFO32.EXE");
    EXPECT_TRUE(registry.openKeys.empty());
}

TEST(FindSysInfo, A32BitProcessOn64BitWindowsReadsThe64BitViewAndItsProgramFiles) {
    FakeRegistry registry;
    FakeFiles files;
    registry.wow64 = true;
    // Its own view names a copy that is not there.
    registry.keys32[kPathKey]["PATH"] = {kRegString,
                                         Bytes("C:\\Program Files (x86)\\gone.exe", true)};
    registry.keys[kPathKey]["PATH"] = {
        kRegExpandString,
        Bytes("%CommonProgramFiles%\\Microsoft Shared\\MSInfo\\msinfo32.exe", true)};
    EXPECT_EQ(FindSysInfo(registry, files).value_or(""),
              "C:\\Program Files\\Common Files\\Microsoft Shared\\MSInfo\\msinfo32.exe");

    // Expandable folders name what a 64-bit process means by them; other names,
    // Program Files (x86) among them, expand as they are.
    struct Case {
        bool wow64;
        const char* value;
        const char* expanded;
    };
    const Case cases[] = {
        {true, "%programfiles%\\MSInfo", "C:\\Program Files\\MSInfo"},
        {true, "%ProgramFiles(x86)%\\MSInfo", "C:\\Program Files (x86)\\MSInfo"},
        {true, "%SystemRoot%\\System32", "C:\\Windows\\System32"},
        {true, "%CommonProgramFiles", "%CommonProgramFiles"},
        {false, "%ProgramFiles%\\MSInfo", "C:\\Program Files\\MSInfo"},
    };
    registry.keys32.clear();
    registry.keys.erase(kPathKey);
    for (const Case& c : cases) {
        registry.wow64 = c.wow64;
        registry.keys[kFolderKey]["MSINFO"] = {kRegExpandString, Bytes(c.value, true)};
        std::string folder;
        EXPECT_TRUE(GetKeyValue(registry, kHKeyLocalMachine, kFolderKey, "MSINFO", folder));
        EXPECT_EQ(folder, c.expanded) << c.value;
    }
    EXPECT_TRUE(registry.openKeys.empty());
}
