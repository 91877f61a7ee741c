// Handles kept in 32-bit fields, and their native width.
#pragma once

#include <cstdint>

// Windows keeps window, icon and kernel handles 32-bit significant, so that
// 32- and 64-bit programs can share them. A 64-bit program widens them with
// the sign, as the system's headers do for the predefined registry roots:
// HKEY_LOCAL_MACHINE is 0x80000002 to a 32-bit program and
// 0xFFFFFFFF80000002 to a 64-bit one.
constexpr uint64_t WidenHandle(uint32_t bits) {
    return static_cast<uint64_t>(static_cast<int64_t>(static_cast<int32_t>(bits)));
}
