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
// "Local\Kelvarion-" and the hash in hex: one per folder in each session.
std::wstring InstanceMutexName(uint64_t folderHash);

enum class StartAction {
    Run,             // no other copy runs on this config.kv
    ShowRunningCopy, // the other copy shows its window; this one ends
    End,             // started into the tray: the other copy is left as it is
};

// What a start does, from CreateMutex's outcome: its handle (or none) and the
// error it left. The mutex already there, or held by an elevated copy that
// denies us access, means another copy runs; any other failure cannot tell,
// and the program runs rather than never start.
StartAction DecideStart(bool gotMutex, uint32_t lastError, bool inTray);
