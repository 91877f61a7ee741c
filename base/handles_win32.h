// One owning wrapper per handle kind. Shared handles (LoadIcon, stock
// objects) are never put in these.
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/handle_bits.h"

// A handle as the 32-bit field that holds it, and back at this build's width.
inline uint32_t HandleBits(const void* handle) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(handle));
}
template <typename Handle> Handle HandleFromBits(uint32_t bits) {
    return reinterpret_cast<Handle>(static_cast<uintptr_t>(WidenHandle(bits)));
}

template <typename T, typename Traits> class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(T handle) : handle_(handle) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }

    T get() const { return handle_; }
    explicit operator bool() const { return Traits::IsValid(handle_); }
    T release() {
        T handle = handle_;
        handle_ = Traits::Invalid();
        return handle;
    }
    void reset(T handle = Traits::Invalid()) {
        if (Traits::IsValid(handle_))
            Traits::Close(handle_);
        handle_ = handle;
    }

private:
    T handle_ = Traits::Invalid();
};

struct KernelHandleTraits {
    static HANDLE Invalid() { return nullptr; }
    static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct IconTraits {
    static HICON Invalid() { return nullptr; }
    static bool IsValid(HICON h) { return h != nullptr; }
    static void Close(HICON h) { DestroyIcon(h); }
};
struct FontTraits {
    static HFONT Invalid() { return nullptr; }
    static bool IsValid(HFONT h) { return h != nullptr; }
    static void Close(HFONT h) { DeleteObject(h); }
};
struct MenuTraits {
    static HMENU Invalid() { return nullptr; }
    static bool IsValid(HMENU h) { return h != nullptr; }
    static void Close(HMENU h) { DestroyMenu(h); }
};

struct RegKeyTraits {
    static HKEY Invalid() { return nullptr; }
    static bool IsValid(HKEY h) { return h != nullptr; }
    static void Close(HKEY h) { RegCloseKey(h); }
};

struct ModuleTraits {
    static HMODULE Invalid() { return nullptr; }
    static bool IsValid(HMODULE h) { return h != nullptr; }
    static void Close(HMODULE h) { FreeLibrary(h); }
};

// A function that not every Windows has, looked up at run time: null where
// the module or the function is missing.
template <typename Function> Function SystemFunction(HMODULE module, const char* name) {
    return module
               ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
               : nullptr;
}

// A DLL from the system folder only, never a namesake lying beside the exe
// or in the working directory; null where it cannot be loaded.
inline HMODULE LoadSystemLibrary(const wchar_t* name) {
    wchar_t path[MAX_PATH];
    UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length + 2 + static_cast<UINT>(lstrlenW(name)) > MAX_PATH)
        return nullptr;
    return LoadLibraryW(lstrcatW(lstrcatW(path, L"\\"), name));
}

using UniqueKernelHandle = UniqueHandle<HANDLE, KernelHandleTraits>;
using UniqueIcon = UniqueHandle<HICON, IconTraits>;
using UniqueFont = UniqueHandle<HFONT, FontTraits>;
using UniqueMenu = UniqueHandle<HMENU, MenuTraits>;
using UniqueModule = UniqueHandle<HMODULE, ModuleTraits>;
using UniqueRegKey = UniqueHandle<HKEY, RegKeyTraits>;
