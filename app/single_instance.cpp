#include "app/single_instance.h"

namespace {

constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorAlreadyExists = 183;

constexpr uint64_t kFnvBasis = 0xCBF29CE484222325ULL;

// FNV-1a, a byte at a time.
uint64_t Mix(uint64_t hash, unsigned byte) {
    return (hash ^ (byte & 0xFF)) * 0x100000001B3ULL;
}

} // namespace

uint64_t FolderHash(std::wstring_view folderKey) {
    // The UTF-16 code units, low byte first.
    uint64_t hash = kFnvBasis;
    for (wchar_t c : folderKey) {
        auto unit = static_cast<uint16_t>(c);
        hash = Mix(Mix(hash, unit), unit >> 8);
    }
    return hash;
}

uint64_t FolderIdHash(uint64_t volumeSerial, const uint8_t (&fileId)[16]) {
    uint64_t hash = kFnvBasis;
    for (int shift = 0; shift < 64; shift += 8)
        hash = Mix(hash, static_cast<unsigned>(volumeSerial >> shift));
    bool anyId = false;
    for (uint8_t byte : fileId) {
        hash = Mix(hash, byte);
        anyId = anyId || byte != 0;
    }
    return volumeSerial != 0 && anyId ? hash : 0;
}

bool IsFolderMark(uint64_t property, uint64_t folderHash) {
    return static_cast<uint32_t>(property) == static_cast<uint32_t>(folderHash);
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
