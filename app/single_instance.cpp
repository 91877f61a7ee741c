#include "app/single_instance.h"

namespace {

constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorAlreadyExists = 183;

} // namespace

uint64_t FolderHash(std::wstring_view folderKey) {
    // FNV-1a over the UTF-16 code units, low byte first.
    uint64_t hash = 0xCBF29CE484222325ULL;
    for (wchar_t c : folderKey) {
        auto unit = static_cast<uint16_t>(c);
        for (int shift : {0, 8}) {
            hash ^= (unit >> shift) & 0xFF;
            hash *= 0x100000001B3ULL;
        }
    }
    return hash;
}

std::wstring InstanceMutexName(uint64_t folderHash) {
    std::wstring name = L"Local\\Kelvarion-";
    for (int shift = 60; shift >= 0; shift -= 4)
        name += L"0123456789ABCDEF"[(folderHash >> shift) & 0xF];
    return name;
}

StartAction DecideStart(bool gotMutex, uint32_t lastError, bool inTray) {
    bool otherCopy = gotMutex ? lastError == kErrorAlreadyExists : lastError == kErrorAccessDenied;
    if (!otherCopy)
        return StartAction::Run;
    return inTray ? StartAction::End : StartAction::ShowRunningCopy;
}
