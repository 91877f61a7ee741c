// One Kelvarion per config.kv: a second copy started on the same file hands
// over to the one already running.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The folder that holds config.kv as the system compares names: its long
// form, upper-cased. Hashed, as a mutex name holds no further '\' and is
// limited in length; the same in both builds.
uint64_t FolderHash(std::wstring_view folderKey);
// The folder by its identity, as the file system reports it whatever name
// reached it (a subst or mapped drive, its UNC path, a junction, an 8.3 name):
// the volume's serial number and the folder's file ID, in their little-endian
// bytes. 0 when either is zero, as some servers report: the path must serve.
uint64_t FolderIdHash(uint64_t volumeSerial, const uint8_t (&fileId)[16]);
// "Local\Kelvarion-" and the hash in hex: one per folder in each session.
std::wstring InstanceMutexName(uint64_t folderHash);

// The running copy marks its window with the hash's low 32 bits: a value of
// either width's windows. A 64-bit copy may read a 32-bit copy's mark
// sign-extended, so only the low 32 bits are compared.
bool IsFolderMark(uint64_t property, uint64_t folderHash);

// A copy may still be starting, its window not made yet: the new copy looks
// for that window this long before it gives up.
constexpr uint32_t kHandOverWaitMs = 5000;

enum class StartAction {
    Run,             // no other copy runs on this config.kv
    ShowRunningCopy, // the other copy shows its window, once it has one; this one ends
    End,             // started into the tray: the other copy is left as it is
};

// What a start does, from CreateMutex's outcome: its handle (or none) and the
// error it left. The mutex already there, or held by an elevated copy that
// denies us access, means another copy runs; any other failure cannot tell,
// and the program runs rather than never start.
// A start into the tray has nothing to hand over, and ends at once.
StartAction DecideStart(bool gotMutex, uint32_t lastError, bool inTray);
