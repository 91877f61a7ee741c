/* Loaded into the program through kvdriver's WH_GETMESSAGE hook (watch-starts). The first
   time the hook runs there, it points two of the exe's imports at functions of its own:
   CreateProcessW counts the call and, while the driver holds starts, waits (a start on a
   share that does not answer, without suspending a thread of the program); PostMessageW
   counts the posts from other threads than the window's, the starts' outcomes. */
#include <windows.h>

#include <string.h>

#include "kvhold.h"

typedef BOOL(WINAPI* PostMessageWFn)(HWND, UINT, WPARAM, LPARAM);
typedef BOOL(WINAPI* CreateProcessWFn)(LPCWSTR, LPWSTR, LPSECURITY_ATTRIBUTES,
                                       LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID, LPCWSTR,
                                       LPSTARTUPINFOW, LPPROCESS_INFORMATION);

static KvHold* shared;
static DWORD windowThread;
static CreateProcessWFn realCreateProcessW;
static PostMessageWFn realPostMessageW;

static BOOL WINAPI HeldCreateProcessW(LPCWSTR application, LPWSTR commandLine,
                                      LPSECURITY_ATTRIBUTES process, LPSECURITY_ATTRIBUTES thread,
                                      BOOL inherit, DWORD flags, LPVOID environment,
                                      LPCWSTR folder, LPSTARTUPINFOW startup,
                                      LPPROCESS_INFORMATION information) {
    InterlockedIncrement(&shared->calls);
    while (shared->holding)
        Sleep(20);
    return realCreateProcessW(application, commandLine, process, thread, inherit, flags,
                              environment, folder, startup, information);
}

static BOOL WINAPI CountedPostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    BOOL posted = realPostMessageW(window, message, wParam, lParam);
    if (GetCurrentThreadId() != windowThread)
        InterlockedIncrement(&shared->outcomes);
    return posted;
}

/* Points an import slot at replacement; what it pointed at goes to *real. */
static void Replace(IMAGE_THUNK_DATA* slot, void* replacement, void** real) {
    DWORD old;
    *real = (void*)slot->u1.Function;
    VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE, &old);
    slot->u1.Function = (ULONG_PTR)replacement;
    VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, old, &old);
}

static void PatchImport(void) {
    BYTE* base = (BYTE*)GetModuleHandleW(NULL);
    IMAGE_NT_HEADERS* nt = (IMAGE_NT_HEADERS*)(base + ((IMAGE_DOS_HEADER*)base)->e_lfanew);
    DWORD imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    IMAGE_IMPORT_DESCRIPTOR* module = (IMAGE_IMPORT_DESCRIPTOR*)(base + imports);
    for (; imports && module->Name; ++module) {
        IMAGE_THUNK_DATA* names = (IMAGE_THUNK_DATA*)(base + module->OriginalFirstThunk);
        IMAGE_THUNK_DATA* slots = (IMAGE_THUNK_DATA*)(base + module->FirstThunk);
        for (; module->OriginalFirstThunk && names->u1.AddressOfData; ++names, ++slots) {
            const char* name;
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            name = (const char*)((IMAGE_IMPORT_BY_NAME*)(base + names->u1.AddressOfData))->Name;
            if (strcmp(name, "CreateProcessW") == 0)
                Replace(slots, (void*)HeldCreateProcessW, (void**)&realCreateProcessW);
            else if (strcmp(name, "PostMessageW") == 0)
                Replace(slots, (void*)CountedPostMessageW, (void**)&realPostMessageW);
        }
    }
    if (realCreateProcessW && realPostMessageW)
        InterlockedExchange(&shared->patched, 1);
}

__declspec(dllexport) LRESULT CALLBACK HoldHook(int code, WPARAM wParam, LPARAM lParam) {
    static LONG once;
    if (!InterlockedExchange(&once, 1)) {
        HANDLE mapping = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, KV_HOLD_MAPPING);
        HMODULE self;
        shared = mapping ? (KvHold*)MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0) : NULL;
        /* Kept when the driver's hook goes: the patched import points into this DLL. */
        if (shared && GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                             GET_MODULE_HANDLE_EX_FLAG_PIN,
                                         (LPCWSTR)(void*)HoldHook, &self))
        {
            windowThread = GetCurrentThreadId();
            PatchImport();
        }
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}
