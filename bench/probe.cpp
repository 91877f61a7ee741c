// probe: the benchmark's hands inside Wine. Starts a program and times it until its
// window is shown and its tray icon is on screen, closes it again, and posts timer ticks.
// Prints to stdout; exits 0 on success, 1 when a wait fails, 2 on a usage error.
#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

const int kOk = 0;
const int kFailed = 1;
const int kUsage = 2;

const wchar_t kUsageText[] =
    L"usage: probe COMMAND [ARGS]\n"
    L"  start EXE WORKDIR [MS]   start EXE in WORKDIR; print \"winpid P window_ms W tray_ms T\n"
    L"                           ready_ms R\": from CreateProcess until a visible top-level\n"
    L"                           window of the process exists, until an icon is drawn in the\n"
    L"                           first tray slot, and the later of both\n"
    L"  launch EXE WORKDIR [MS]  start EXE in WORKDIR, wait for a visible top-level window;\n"
    L"                           print \"winpid P\" (for programs started side by side)\n"
    L"  close CLASS [MS]         post WM_CLOSE to the window of CLASS, wait until its process\n"
    L"                           has ended\n"
    L"  hide CLASS               hide the window of CLASS, as a tray program hides itself\n"
    L"  ticks N FILE [MS]        post N WM_TIMER 1 to Kelvarion, one at a time, each time\n"
    L"                           waiting until FILE has grown by a byte; print \"launched K\n"
    L"                           ms M\"\n"
    L"  tray                     print the icon pixels in the first tray slot\n";

// An icon in the slot makes hundreds of such pixels; the e2e tests use the same bound.
const int kIconPixels = 20;

void write(DWORD stdHandle, const std::wstring& text) {
    std::string bytes(text.begin(), text.end()); // ASCII only
    DWORD written = 0;
    WriteFile(GetStdHandle(stdHandle), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
              nullptr);
}

void println(const std::wstring& text) { write(STD_OUTPUT_HANDLE, text + L"\n"); }

int fail(const std::wstring& why) {
    write(STD_ERROR_HANDLE, L"probe: " + why + L"\n");
    return kFailed;
}

int usage(const std::wstring& why) {
    write(STD_ERROR_HANDLE, L"probe: " + why + L"\n" + kUsageText);
    return kUsage;
}

bool parseNumber(const std::wstring& text, long* value) {
    if (text.empty()) {
        return false;
    }
    wchar_t* end = nullptr;
    long n = wcstol(text.c_str(), &end, 10);
    if (*end != L'\0' || n < 0) {
        return false;
    }
    *value = n;
    return true;
}

std::wstring fixed1(double value) {
    long tenths = static_cast<long>(value * 10.0 + 0.5);
    return std::to_wstring(tenths / 10) + L"." + std::to_wstring(tenths % 10);
}

class Clock {
public:
    Clock() {
        QueryPerformanceFrequency(&frequency_);
        QueryPerformanceCounter(&start_);
    }
    double ms() const {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return static_cast<double>(now.QuadPart - start_.QuadPart) * 1000.0 /
               static_cast<double>(frequency_.QuadPart);
    }

private:
    LARGE_INTEGER frequency_;
    LARGE_INTEGER start_;
};

// --- the tray slot ----------------------------------------------------------

// Reads the first tray slot of Wine's virtual-desktop taskbar (bottom right) off the
// screen, as a screenshot would, and counts the pixels that are neither the taskbar's
// white nor the desktop's colour.
class TraySlot {
public:
    TraySlot() {
        screen_ = GetDC(nullptr);
        memory_ = CreateCompatibleDC(screen_);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = kSize;
        info.bmiHeader.biHeight = -kSize;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(memory_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        bits_ = static_cast<const uint32_t*>(bits);
        old_ = SelectObject(memory_, bitmap_);
        width_ = GetSystemMetrics(SM_CXSCREEN);
        height_ = GetSystemMetrics(SM_CYSCREEN);
    }
    ~TraySlot() {
        SelectObject(memory_, old_);
        DeleteObject(bitmap_);
        DeleteDC(memory_);
        ReleaseDC(nullptr, screen_);
    }
    TraySlot(const TraySlot&) = delete;
    TraySlot& operator=(const TraySlot&) = delete;

    bool ok() const { return bits_ != nullptr; }

    int iconPixels() {
        COLORREF desktop = GetPixel(screen_, width_ - 1, 0);
        uint32_t desktopRgb = (GetRValue(desktop) << 16) | (GetGValue(desktop) << 8) |
                              GetBValue(desktop);
        BitBlt(memory_, 0, 0, kSize, kSize, screen_, width_ - 20, height_ - 19, SRCCOPY);
        GdiFlush();
        int count = 0;
        for (int i = 0; i < kSize * kSize; ++i) {
            uint32_t rgb = bits_[i] & 0xFFFFFFu;
            if (rgb != 0xFFFFFFu && rgb != desktopRgb) {
                ++count;
            }
        }
        return count;
    }

    bool waitEmpty(long timeoutMs) {
        Clock clock;
        while (iconPixels() >= kIconPixels) {
            if (clock.ms() >= static_cast<double>(timeoutMs)) {
                return false;
            }
            Sleep(20);
        }
        return true;
    }

private:
    static const int kSize = 18;
    HDC screen_ = nullptr;
    HDC memory_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    const uint32_t* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

// --- windows and processes --------------------------------------------------

struct WindowSearch {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK findShownWindow(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == search->pid && IsWindowVisible(hwnd) && !GetWindow(hwnd, GW_OWNER)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

bool hasShownWindow(DWORD pid) {
    WindowSearch search{pid, nullptr};
    EnumWindows(findShownWindow, reinterpret_cast<LPARAM>(&search));
    return search.found != nullptr;
}

int childCount(DWORD parentPid) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return -1;
    }
    int count = 0;
    PROCESSENTRY32W entry;
    entry.dwSize = sizeof entry;
    for (BOOL ok = Process32FirstW(snapshot, &entry); ok; ok = Process32NextW(snapshot, &entry)) {
        if (entry.th32ParentProcessID == parentPid) {
            ++count;
        }
    }
    CloseHandle(snapshot);
    return count;
}

long long fileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return 0;
    }
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// --- commands ---------------------------------------------------------------

using Args = std::vector<std::wstring>;

bool startProcess(const std::wstring& exe, const std::wstring& workDir,
                  PROCESS_INFORMATION* process) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    return CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                          workDir.c_str(), &startup, process) != FALSE;
}

int cmdStart(const Args& a) {
    long timeoutMs = 30000;
    if (a.size() < 2 || a.size() > 3 || (a.size() == 3 && !parseNumber(a[2], &timeoutMs))) {
        return usage(L"start EXE WORKDIR [MS]");
    }
    TraySlot tray;
    if (!tray.ok()) {
        return fail(L"cannot read the screen");
    }
    // A leftover icon would be taken for the new one.
    if (!tray.waitEmpty(timeoutMs)) {
        return fail(L"the first tray slot is not empty");
    }
    PROCESS_INFORMATION process{};
    Clock clock;
    if (!startProcess(a[0], a[1], &process)) {
        return fail(L"CreateProcess failed, error " + std::to_wstring(GetLastError()));
    }
    double windowMs = -1;
    double trayMs = -1;
    // Polled every few ms: finer polling would take CPU from the program being timed.
    while (windowMs < 0 || trayMs < 0) {
        if (windowMs < 0 && hasShownWindow(process.dwProcessId)) {
            windowMs = clock.ms();
        }
        if (trayMs < 0 && tray.iconPixels() >= kIconPixels) {
            trayMs = clock.ms();
        }
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) {
            return fail(L"the program ended during start-up");
        }
        if (clock.ms() >= static_cast<double>(timeoutMs)) {
            return fail(L"not ready within " + std::to_wstring(timeoutMs) + L" ms (window " +
                        (windowMs < 0 ? L"no" : L"yes") + L", tray icon " +
                        (trayMs < 0 ? L"no" : L"yes") + L")");
        }
        Sleep(4);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    println(L"winpid " + std::to_wstring(process.dwProcessId) + L" window_ms " +
            fixed1(windowMs) + L" tray_ms " + fixed1(trayMs) + L" ready_ms " +
            fixed1(windowMs > trayMs ? windowMs : trayMs));
    return kOk;
}

int cmdLaunch(const Args& a) {
    long timeoutMs = 30000;
    if (a.size() < 2 || a.size() > 3 || (a.size() == 3 && !parseNumber(a[2], &timeoutMs))) {
        return usage(L"launch EXE WORKDIR [MS]");
    }
    PROCESS_INFORMATION process{};
    if (!startProcess(a[0], a[1], &process)) {
        return fail(L"CreateProcess failed, error " + std::to_wstring(GetLastError()));
    }
    Clock clock;
    while (!hasShownWindow(process.dwProcessId)) {
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) {
            return fail(L"the program ended during start-up");
        }
        if (clock.ms() >= static_cast<double>(timeoutMs)) {
            return fail(L"no window within " + std::to_wstring(timeoutMs) + L" ms");
        }
        Sleep(20);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    println(L"winpid " + std::to_wstring(process.dwProcessId));
    return kOk;
}

int cmdClose(const Args& a) {
    long timeoutMs = 15000;
    if (a.empty() || a.size() > 2 || (a.size() == 2 && !parseNumber(a[1], &timeoutMs))) {
        return usage(L"close CLASS [MS]");
    }
    HWND hwnd = FindWindowW(a[0].c_str(), nullptr);
    if (!hwnd) {
        return fail(L"no window of class " + a[0]);
    }
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!process) {
        return fail(L"cannot open process " + std::to_wstring(pid));
    }
    PostMessageW(hwnd, WM_CLOSE, 0, 0);
    DWORD waited = WaitForSingleObject(process, static_cast<DWORD>(timeoutMs));
    CloseHandle(process);
    if (waited != WAIT_OBJECT_0) {
        return fail(L"process " + std::to_wstring(pid) + L" still runs after WM_CLOSE");
    }
    println(L"closed " + std::to_wstring(pid));
    return kOk;
}

int cmdHide(const Args& a) {
    if (a.size() != 1) {
        return usage(L"hide CLASS");
    }
    HWND hwnd = FindWindowW(a[0].c_str(), nullptr);
    if (!hwnd) {
        return fail(L"no window of class " + a[0]);
    }
    ShowWindow(hwnd, SW_HIDE);
    Clock clock;
    while (IsWindowVisible(hwnd)) {
        if (clock.ms() > 5000) {
            return fail(L"the window is still visible");
        }
        Sleep(10);
    }
    return kOk;
}

int cmdTicks(const Args& a) {
    long count = 0;
    long timeoutMs = 20000;
    if (a.size() < 2 || a.size() > 3 || !parseNumber(a[0], &count) ||
        (a.size() == 3 && !parseNumber(a[2], &timeoutMs))) {
        return usage(L"ticks N FILE [MS]");
    }
    HWND hwnd = FindWindowW(L"KelvarionForm1", L"Kelvarion");
    if (!hwnd) {
        return fail(L"Kelvarion's window not found");
    }
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    const std::wstring& file = a[1];
    long long base = fileSize(file);
    Clock clock;
    // One launch at a time: a burst of posted ticks would start hundreds of Wine
    // processes at once and measure the machine rather than the program.
    for (long i = 1; i <= count; ++i) {
        if (!PostMessageW(hwnd, WM_TIMER, 1, 0)) {
            return fail(L"PostMessage WM_TIMER failed, error " + std::to_wstring(GetLastError()));
        }
        Clock wait;
        while (fileSize(file) < base + i) {
            if (wait.ms() >= static_cast<double>(timeoutMs)) {
                return fail(L"tick " + std::to_wstring(i) + L" launched nothing within " +
                            std::to_wstring(timeoutMs) + L" ms");
            }
            Sleep(1);
        }
    }
    double elapsed = clock.ms();
    // Let the last launched programs end before anyone measures.
    Clock settle;
    while (childCount(pid) > 0 && settle.ms() < static_cast<double>(timeoutMs)) {
        Sleep(20);
    }
    println(L"launched " + std::to_wstring(fileSize(file) - base) + L" ms " + fixed1(elapsed) +
            L" children-left " + std::to_wstring(childCount(pid)));
    return kOk;
}

int cmdTray(const Args& a) {
    if (!a.empty()) {
        return usage(L"tray takes no arguments");
    }
    TraySlot tray;
    if (!tray.ok()) {
        return fail(L"cannot read the screen");
    }
    println(std::to_wstring(tray.iconPixels()));
    return kOk;
}

struct Command {
    const wchar_t* name;
    int (*run)(const Args&);
};

const Command kCommands[] = {
    {L"start", cmdStart},
    {L"launch", cmdLaunch},
    {L"close", cmdClose},
    {L"hide", cmdHide},
    {L"ticks", cmdTicks},
    {L"tray", cmdTray},
};

} // namespace

int main() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 2) {
        return usage(L"no command");
    }
    std::wstring name = argv[1];
    Args args(argv + 2, argv + argc);
    LocalFree(argv);
    for (const Command& c : kCommands) {
        if (name == c.name) {
            return c.run(args);
        }
    }
    return usage(L"unknown command " + name);
}
