// GetKeyValue against a registry whose answers the fuzzer chooses.
// Input: byte 0 picks failures and WOW64, byte 1 is the value type, the rest its bytes.
#include "about/sysinfo.h"
#include "tests/fuzz/check.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kHandle = 0x4b56;
constexpr long kNotFound = 2;
constexpr long kAccessDenied = 5;
constexpr long kMoreData = 234;

class ScriptedRegistry : public IRegistry {
public:
    long openResult = 0;
    long queryResult = 0;
    uint32_t type = 0;
    std::vector<uint8_t> value;

    int opens = 0, queries = 0, closes = 0, expansions = 0;
    std::string expandedFrom;

    long OpenKey(uint32_t root, const std::string& keyName, uint32_t access,
                 uint32_t& key) override {
        ++opens;
        KV_CHECK(root == kHKeyLocalMachine && keyName == "K");
        KV_CHECK((access & ~kKeyWow64_64Key) == kKeyRead);
        if (openResult == 0)
            key = kHandle;
        return openResult;
    }
    long QueryValue(uint32_t key, const std::string& valueName, uint32_t& typeOut,
                    std::vector<uint8_t>& data) override {
        ++queries;
        KV_CHECK(opens == 1 && openResult == 0 && closes == 0);
        KV_CHECK(key == kHandle && valueName == "V");
        KV_CHECK(data.size() == kValueBufferSize);
        if (queryResult != 0)
            return queryResult;
        if (value.size() > data.size())
            return kMoreData; // what the real registry says; the buffer is untouched
        typeOut = type;
        // A fresh, exactly sized buffer: any read past the value hits ASan.
        std::vector<uint8_t>(value).swap(data);
        return 0;
    }
    void CloseKey(uint32_t key) override {
        ++closes;
        KV_CHECK(key == kHandle);
    }
    std::string ExpandEnvironment(const std::string& text) override {
        ++expansions;
        expandedFrom = text;
        return "<" + text + ">";
    }
    bool RunsUnderWow64() override { return wow64; }
    bool wow64 = false;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    ScriptedRegistry registry;
    uint8_t failures = data[0];
    registry.openResult = (failures & 1) ? ((failures & 4) ? kAccessDenied : kNotFound) : 0;
    registry.queryResult = (failures & 2) ? ((failures & 8) ? kMoreData : kNotFound) : 0;
    registry.wow64 = (failures & 16) != 0;
    registry.type = data[1];
    registry.value.assign(data + 2, data + size);

    const std::string passed = "as passed";
    std::string keyVal = passed;
    bool found = GetKeyValue(registry, kHKeyLocalMachine, "K", "V", keyVal);

    KV_CHECK(registry.opens == 1);
    KV_CHECK(registry.closes == (registry.openResult == 0 ? 1 : 0));
    if (registry.openResult != 0)
        KV_CHECK(registry.queries == 0);

    const std::vector<uint8_t>& value = registry.value;
    bool readable = registry.openResult == 0 && registry.queryResult == 0 && !value.empty() &&
                    value.size() <= kValueBufferSize;
    KV_CHECK(found == readable);
    if (!found) {
        KV_CHECK(keyVal.empty());
        KV_CHECK(registry.expansions == 0);
        return 0;
    }

    // One terminating NUL is not part of the text.
    std::string text(value.begin(), value.end());
    if (text.back() == '\0')
        text.pop_back();
    KV_CHECK(registry.expansions == (registry.type == kRegExpandString ? 1 : 0));
    switch (registry.type) {
    case kRegString:
        KV_CHECK(keyVal == text);
        break;
    case kRegExpandString:
        KV_CHECK(keyVal == "<" + registry.expandedFrom + ">");
        if (!registry.wow64 || text.find('%') == std::string::npos) {
            KV_CHECK(registry.expandedFrom == text);
        } else {
            // Only names between percent signs change under WOW64.
            KV_CHECK(std::count(text.begin(), text.end(), '%') ==
                     std::count(registry.expandedFrom.begin(), registry.expandedFrom.end(), '%'));
        }
        break;
    case kRegNumber: {
        uint32_t number = 0;
        for (size_t i = 0; i < value.size() && i < 4; ++i)
            number |= static_cast<uint32_t>(value[i]) << (8 * i);
        KV_CHECK(keyVal == std::to_string(number));
        break;
    }
    default:
        KV_CHECK(keyVal == passed);
    }
    return 0;
}
