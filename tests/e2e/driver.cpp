// kvdriver: drives a running Kelvarion from a second process for the end-to-end tests, and
// stands in for what the fault cases need around it: a file held open, a notification area
// that refuses icons, a start with a chosen show state. Run under Wine in the same prefix;
// it prints to stdout and exits 0 on success, 1 when the check or wait fails, 2 on a usage
// error (the reason goes to stderr). Controls go by the names ui/control_ids.h gives them.
#include <windows.h>
#include <dlgs.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <set>
#include <string>
#include <vector>

#include "about/about_layout.h"
#include "tests/e2e/helpers/kvhold.h"
#include "ui/control_ids.h"

namespace {

const int kOk = 0;
const int kFailed = 1;
const int kUsage = 2;
// How long a message sent to the program may take. Generous: Wine's edit control takes
// many seconds over a text of megabytes on a loaded machine, and a busy program is not a
// hung one (so no SMTO_ABORTIFHUNG, which gives up on any thread busy for 5 s).
const UINT kAnswerMs = 120000;
// The tray callback the program registers, and its icon's id.
const UINT kTrayMessage = WM_APP + 1;
const UINT kTrayIconId = 1;

// The names of ui/control_ids.h, and the standard ids of the dialogs the program opens (a
// message box's buttons, the Open dialog's boxes). IDOK comes first: it is cmdOK too.
#define KV_WIDE(text) L##text
#define KV_CONTROL(name)                                                                           \
    { KV_WIDE(#name), ControlId::name }
struct NamedId {
    const wchar_t* name;
    int id;
};
const NamedId kControls[] = {
    {L"IDOK", IDOK},        {L"IDCANCEL", IDCANCEL},    {L"cmb1", cmb1},
    {L"cmb13", cmb13},      KV_CONTROL(Label1),         KV_CONTROL(Label2),
    KV_CONTROL(prgToRun),   KV_CONTROL(BrowseBut),      KV_CONTROL(Label3),
    KV_CONTROL(everyNMins), KV_CONTROL(Label4),         KV_CONTROL(AboutBut),
    KV_CONTROL(Close),      KV_CONTROL(butExit),        KV_CONTROL(mPopRestore),
    KV_CONTROL(mPopExit),   KV_CONTROL(cmdOK),          KV_CONTROL(picIcon),
    KV_CONTROL(cmdSysInfo), KV_CONTROL(lblDescription), KV_CONTROL(lblDisclaimer),
    KV_CONTROL(lblTitle),   KV_CONTROL(lblVersion),
};

// --pid: the copy of the program to drive, when two run; 0 takes the first main window.
DWORD gProgramPid = 0;

// --- output -----------------------------------------------------------------

std::string toUtf8(const std::wstring& text) {
    if (text.empty()) {
        return std::string();
    }
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], size,
                        nullptr, nullptr);
    return bytes;
}

void write(DWORD stdHandle, const std::wstring& text) {
    // Raw bytes, so Wine passes UTF-8 through to the Linux side unchanged.
    std::string bytes = toUtf8(text);
    DWORD written = 0;
    WriteFile(GetStdHandle(stdHandle), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
              nullptr);
}

void println(const std::wstring& text) {
    write(STD_OUTPUT_HANDLE, text + L"\n");
}

int fail(const std::wstring& why) {
    write(STD_ERROR_HANDLE, L"kvdriver: " + why + L"\n");
    return kFailed;
}

int usage(const std::wstring& why);

std::wstring hex(const void* p) {
    wchar_t buf[32];
    wsprintfW(buf, L"0x%08lx", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(p)));
    return buf;
}

// Wide enough for a size_t on either width, so no count is narrowed on its way.
std::wstring num(unsigned long long n) {
    return std::to_wstring(n);
}

bool parseNumber(const std::wstring& text, long* value) {
    if (text.empty()) {
        return false;
    }
    wchar_t* end = nullptr;
    long n = wcstol(text.c_str(), &end, 10);
    if (*end != L'\0') {
        return false;
    }
    *value = n;
    return true;
}

bool parseControl(const std::wstring& name, int* id) {
    for (const NamedId& c : kControls) {
        if (name == c.name) {
            *id = c.id;
            return true;
        }
    }
    return false;
}

std::wstring controlName(HWND control) {
    int id = GetDlgCtrlID(control);
    for (const NamedId& c : kControls) {
        if (id == c.id) {
            return c.name;
        }
    }
    return num(static_cast<unsigned long>(id));
}

// --- windows ----------------------------------------------------------------

std::wstring className(HWND hwnd) {
    wchar_t buf[256] = L"";
    GetClassNameW(hwnd, buf, 256);
    return buf;
}

// WM_GETTEXT works across processes, unlike GetWindowText on a foreign edit box.
bool windowText(HWND hwnd, std::wstring* text) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, kAnswerMs, &length)) {
        return false;
    }
    std::vector<wchar_t> buf(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()),
                             SMTO_NORMAL, kAnswerMs, &copied)) {
        return false;
    }
    text->assign(buf.data(), copied);
    return true;
}

std::wstring windowText(HWND hwnd) {
    std::wstring text;
    windowText(hwnd, &text);
    return text;
}

DWORD processOf(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return pid;
}

std::vector<HWND> mainWindows() {
    std::vector<HWND> found;
    for (HWND hwnd = FindWindowExW(nullptr, nullptr, kForm1Class, kForm1Caption); hwnd;
         hwnd = FindWindowExW(nullptr, hwnd, kForm1Class, kForm1Caption)) {
        if (!gProgramPid || processOf(hwnd) == gProgramPid) {
            found.push_back(hwnd);
        }
    }
    return found;
}

HWND mainWindow() {
    std::vector<HWND> found = mainWindows();
    return found.empty() ? nullptr : found.front();
}

BOOL CALLBACK collectWindow(HWND hwnd, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
    return TRUE;
}

bool matches(const std::wstring& pattern, const std::wstring& value) {
    return pattern == L"*" || pattern == value;
}

std::vector<HWND> visibleTopLevel(const std::wstring& cls, const std::wstring& title) {
    std::vector<HWND> all;
    EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&all));
    std::vector<HWND> found;
    for (HWND hwnd : all) {
        if (IsWindowVisible(hwnd) && matches(cls, className(hwnd)) &&
            matches(title, windowText(hwnd))) {
            found.push_back(hwnd);
        }
    }
    return found;
}

// Visible top-level windows that belong neither to the program nor to this driver.
std::set<HWND> foreignWindows(DWORD programPid) {
    std::set<HWND> found;
    for (HWND hwnd : visibleTopLevel(L"*", L"*")) {
        DWORD pid = processOf(hwnd);
        if (pid != programPid && pid != GetCurrentProcessId()) {
            found.insert(hwnd);
        }
    }
    return found;
}

std::wstring describe(HWND hwnd) {
    return hex(hwnd) + L" " + num(processOf(hwnd)) + L" " + className(hwnd) + L" \"" +
           windowText(hwnd) + L"\"";
}

std::wstring rectText(RECT r) {
    return std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " +
           std::to_wstring(r.right - r.left) + L" " + std::to_wstring(r.bottom - r.top);
}

// Polls until done() holds; false after timeoutMs.
template <typename Condition> bool waitFor(long timeoutMs, Condition done) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (static_cast<long>(GetTickCount() - start) >= timeoutMs) {
            return false;
        }
        Sleep(10);
    }
    return true;
}

// --- processes and files ----------------------------------------------------

struct Child {
    DWORD pid;
    std::wstring exe;
};

std::vector<Child> childrenOf(DWORD parentPid) {
    std::vector<Child> found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return found;
    }
    PROCESSENTRY32W entry;
    entry.dwSize = sizeof(entry);
    for (BOOL ok = Process32FirstW(snapshot, &entry); ok; ok = Process32NextW(snapshot, &entry)) {
        if (entry.th32ParentProcessID == parentPid) {
            found.push_back({entry.th32ProcessID, entry.szExeFile});
        }
    }
    CloseHandle(snapshot);
    return found;
}

// Wine gives a hidden console program its own conhost.exe, started by the parent:
// that is plumbing, not a launch.
bool isLaunch(const Child& child) {
    return lstrcmpiW(child.exe.c_str(), L"conhost.exe") != 0;
}

bool fileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Without best fit, as the program saves: a character the code page lacks is an error.
bool toAnsi(const std::wstring& text, std::string* bytes) {
    bytes->clear();
    if (text.empty()) {
        return true;
    }
    BOOL lossy = FALSE;
    int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(),
                                   static_cast<int>(text.size()), nullptr, 0, nullptr, &lossy);
    if (size <= 0 || lossy) {
        return false;
    }
    bytes->resize(static_cast<size_t>(size));
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                        &(*bytes)[0], size, nullptr, &lossy);
    return !lossy;
}

std::wstring fromAnsi(const std::string& bytes) {
    if (bytes.empty()) {
        return std::wstring();
    }
    int size =
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], size);
    return text;
}

// --- the main window --------------------------------------------------------

using Args = std::vector<std::wstring>;

int needControl(HWND window, const std::wstring& name, HWND* control) {
    int id = 0;
    if (!parseControl(name, &id)) {
        return usage(L"not a control name of ui/control_ids.h: " + name);
    }
    *control = GetDlgItem(window, id);
    return *control ? kOk : fail(L"no control " + name);
}

// Finds the first visible top-level window matching cls/title, or fails with the reason.
int needTopLevel(const std::wstring& cls, const std::wstring& title, HWND* window) {
    std::vector<HWND> found = visibleTopLevel(cls, title);
    if (found.empty()) {
        return fail(L"no visible window of class \"" + cls + L"\" titled \"" + title + L"\"");
    }
    *window = found.front();
    return kOk;
}

// A sent message overtakes posted ones, so a WM_NULL round trip does not prove that
// posted messages ran. A posted marker does: the queue is first in, first out, and only a
// message loop takes posted messages. The marker sets the modified flag of the minutes
// box (cleared first; the program does not use it, and WM_SETTEXT only clears it); the
// flag is put back afterwards.
int waitPostedHandled(HWND main) {
    HWND box = GetDlgItem(main, ControlId::everyNMins);
    if (!box) {
        return fail(L"no minutes box to mark the message queue");
    }
    DWORD_PTR before = 0;
    if (!SendMessageTimeoutW(box, EM_GETMODIFY, 0, 0, SMTO_NORMAL, kAnswerMs, &before) ||
        !SendMessageTimeoutW(box, EM_SETMODIFY, FALSE, 0, SMTO_NORMAL, kAnswerMs, nullptr)) {
        return fail(L"the program does not answer");
    }
    PostMessageW(box, EM_SETMODIFY, TRUE, 0);
    bool answering = true;
    bool handled = waitFor(kAnswerMs, [&] {
        DWORD_PTR now = 0;
        answering = SendMessageTimeoutW(box, EM_GETMODIFY, 0, 0, SMTO_NORMAL, kAnswerMs, &now);
        return !answering || now;
    });
    if (!answering) {
        return fail(L"the program stopped answering while handling posted messages");
    }
    if (!handled) {
        return fail(L"posted messages were not handled within " + num(kAnswerMs / 1000) + L" s");
    }
    SendMessageTimeoutW(box, EM_SETMODIFY, before, 0, SMTO_NORMAL, kAnswerMs, nullptr);
    return kOk;
}

int setText(HWND control, const std::wstring& text) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                             SMTO_NORMAL, kAnswerMs, &result) ||
        !result) {
        return fail(L"WM_SETTEXT failed");
    }
    // Catches a text mangled on its way through the command line, or a box that refuses it.
    std::wstring now;
    if (!windowText(control, &now)) {
        return fail(L"the text cannot be read back");
    }
    if (now == text) {
        return kOk;
    }
    return fail(text.size() > 200 ? L"the text reads back with " + num(now.size()) +
                                        L" characters instead of " + num(text.size())
                                  : L"the text reads back as \"" + now + L"\"");
}

int cmdWaitWindow(HWND, const Args& a) {
    long timeoutMs = 10000;
    if (a.size() == 1 && !parseNumber(a[0], &timeoutMs)) {
        return usage(L"wait-window [MS]");
    }
    // The window exists before its controls do, and the program loads config.kv only
    // after that: it is ready once it takes posted messages in its message loop.
    HWND hwnd = nullptr;
    if (!waitFor(timeoutMs, [&] {
            hwnd = mainWindow();
            return hwnd && GetDlgItem(hwnd, ControlId::everyNMins);
        })) {
        return fail(L"main window did not appear within " + num(timeoutMs) + L" ms");
    }
    if (int rc = waitPostedHandled(hwnd)) {
        return rc;
    }
    println(hex(hwnd) + L" " + num(processOf(hwnd)));
    return kOk;
}

int cmdGetText(HWND control, const Args&) {
    println(windowText(control));
    return kOk;
}

int cmdSetText(HWND control, const Args& a) {
    return setText(control, a[0]);
}

// Texts longer than a command line, or as the bytes the program itself would save.
int cmdSetTextAnsi(HWND control, const Args& a) {
    HANDLE file = CreateFileW(a[0].c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return fail(L"cannot open " + a[0]);
    }
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    BOOL ok = bytes.empty() ||
              ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    if (!ok || read != bytes.size()) {
        return fail(L"cannot read " + a[0]);
    }
    return setText(control, fromAnsi(bytes));
}

int cmdGetTextAnsi(HWND control, const Args& a) {
    std::wstring text;
    if (!windowText(control, &text)) {
        return fail(L"cannot read the control's text");
    }
    std::string bytes;
    if (!toAnsi(text, &bytes)) {
        return fail(L"the text does not fit the ANSI code page");
    }
    HANDLE file = CreateFileW(a[0].c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return fail(L"cannot create " + a[0]);
    }
    DWORD written = 0;
    BOOL ok = bytes.empty() ||
              WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size() ? kOk : fail(L"cannot write " + a[0]);
}

// kvhold.dll's counters; the mapping stays while the DLL in the program holds it.
KvHold* startCounters() {
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        sizeof(KvHold), KV_HOLD_MAPPING);
    return mapping ? static_cast<KvHold*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0))
                   : nullptr;
}

int cmdTick(HWND main, const Args& a) {
    long count = 1;
    long watchMs = 0;
    long every = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] == L"--watch" && i + 1 < a.size() && parseNumber(a[i + 1], &watchMs)) {
            ++i;
        } else if (a[i] == L"--paced" && i + 1 < a.size() && parseNumber(a[i + 1], &every) &&
                   every > 0) {
            ++i;
        } else if (!parseNumber(a[i], &count) || count < 1) {
            return usage(L"tick [N] [--watch MS] [--paced M]");
        }
    }
    // One start at a time: a tick due while the last start is out starts nothing. Paced,
    // every M-th tick waits, as a minute would, until its start's outcome is back.
    if (every > 0) {
        KvHold* starts = startCounters();
        if (!starts || !starts->patched) {
            return fail(L"tick --paced needs watch-starts first");
        }
        for (long i = 1; i <= count; ++i) {
            long before = starts->outcomes;
            if (!PostMessageW(main, WM_TIMER, 1, 0)) {
                return fail(L"PostMessage WM_TIMER failed, error " + num(GetLastError()));
            }
            if (i % every != 0) {
                continue;
            }
            if (!waitFor(30000, [&] { return starts->outcomes > before; })) {
                return fail(L"no start's outcome within 30 s of tick " + num(i));
            }
            // Posted before the marker, so handled before it.
            if (int rc = waitPostedHandled(main)) {
                return rc;
            }
        }
        return waitPostedHandled(main);
    }
    DWORD programPid = processOf(main);
    std::set<DWORD> oldChildren;
    for (const Child& c : childrenOf(programPid)) {
        oldChildren.insert(c.pid);
    }
    std::set<HWND> seenWindows = foreignWindows(programPid);

    for (long i = 0; i < count; ++i) {
        if (!PostMessageW(main, WM_TIMER, 1, 0)) {
            return fail(L"PostMessage WM_TIMER failed, error " + num(GetLastError()));
        }
    }
    if (int rc = waitPostedHandled(main)) {
        return rc;
    }

    // Watch for children the ticks started and for windows that showed up meanwhile.
    std::vector<Child> launched;
    std::vector<std::wstring> newWindows;
    DWORD start = GetTickCount();
    do {
        for (const Child& c : childrenOf(programPid)) {
            if (oldChildren.insert(c.pid).second && isLaunch(c)) {
                launched.push_back(c);
            }
        }
        for (HWND hwnd : foreignWindows(programPid)) {
            if (seenWindows.insert(hwnd).second) {
                newWindows.push_back(describe(hwnd));
            }
        }
        Sleep(20);
    } while (static_cast<long>(GetTickCount() - start) < watchMs);

    println(L"launched " + num(launched.size()));
    for (const Child& c : launched) {
        println(L"  child " + num(c.pid) + L" " + c.exe);
    }
    println(L"new-windows " + num(newWindows.size()));
    for (const std::wstring& w : newWindows) {
        println(L"  window " + w);
    }
    return kOk;
}

// Posted, because a button that opens a modal dialog would hold a SendMessage.
int cmdClick(HWND button, const Args&) {
    return PostMessageW(button, BM_CLICK, 0, 0) ? kOk : fail(L"PostMessage BM_CLICK failed");
}

// Clicks, then waits for the button's window to close, so that a window seen afterwards
// is a new one.
int cmdPress(HWND button, const Args&) {
    HWND window = GetAncestor(button, GA_ROOT);
    if (int rc = cmdClick(button, {})) {
        return rc;
    }
    if (!waitFor(30000, [&] { return !IsWindow(window) || !IsWindowVisible(window); })) {
        return fail(L"the window is still open 30 s after the press");
    }
    return kOk;
}

int cmdClose(HWND main, const Args&) {
    return PostMessageW(main, WM_CLOSE, 0, 0)
               ? kOk
               : fail(L"PostMessage failed, error " + num(GetLastError()));
}

int cmdMinimize(HWND main, const Args&) {
    // Sent, so the window state is settled when this returns.
    if (!SendMessageTimeoutW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0, SMTO_NORMAL, kAnswerMs,
                             nullptr)) {
        return fail(L"WM_SYSCOMMAND SC_MINIMIZE was not answered");
    }
    return kOk;
}

int cmdState(HWND main, const Args&) {
    println(L"visible=" + num(IsWindowVisible(main) ? 1 : 0) + L" iconic=" +
            num(IsIconic(main) ? 1 : 0));
    return kOk;
}

int cmdEndSession(HWND main, const Args& a) {
    long timeoutMs = 10000;
    LPARAM reason = 0;
    WPARAM ending = TRUE;
    bool tickQueued = false;
    for (const std::wstring& arg : a) {
        if (arg == L"--closeapp") {
            reason = ENDSESSION_CLOSEAPP;
        } else if (arg == L"--cancel") {
            ending = FALSE;
        } else if (arg == L"--tick-queued") {
            tickQueued = true;
        } else if (!parseNumber(arg, &timeoutMs)) {
            return usage(L"end-session [MS] [--closeapp] [--cancel] [--tick-queued]");
        }
    }
    UINT ms = static_cast<UINT>(timeoutMs);
    DWORD_PTR mayEnd = 0;
    if (!SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, reason, SMTO_ABORTIFHUNG, ms, &mayEnd)) {
        return fail(L"WM_QUERYENDSESSION was not answered");
    }
    println(L"queryendsession " + num(static_cast<unsigned long>(mayEnd)));
    // A tick that comes while WM_ENDSESSION is on its way: a sent message is always
    // taken before a posted one, so the program has begun to leave when it sees the tick.
    if (tickQueued) {
        if (!SendNotifyMessageW(main, WM_ENDSESSION, ending, reason) ||
            !PostMessageW(main, WM_TIMER, 1, 0)) {
            return fail(L"could not queue WM_ENDSESSION and a tick, error " + num(GetLastError()));
        }
        println(L"endsession queued with a tick behind it");
        return kOk;
    }
    // Windows sends WM_ENDSESSION with the verdict of all programs.
    if (!SendMessageTimeoutW(main, WM_ENDSESSION, ending, reason, SMTO_ABORTIFHUNG, ms, nullptr)) {
        return fail(L"WM_ENDSESSION was not answered within " + num(timeoutMs) + L" ms");
    }
    println(L"endsession done");
    return kOk;
}

int cmdRects(HWND main, const Args&) {
    for (HWND child = GetWindow(main, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
        println(controlName(child) + L" " + className(child) + L" " + rectText(r));
    }
    return kOk;
}

int cmdTexts(HWND main, const Args&) {
    for (HWND child = GetWindow(main, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        println(controlName(child) + L" " + windowText(child));
    }
    return kOk;
}

int cmdClient(HWND main, const Args&) {
    RECT r;
    GetClientRect(main, &r);
    println(std::to_wstring(r.right - r.left) + L" " + std::to_wstring(r.bottom - r.top));
    return kOk;
}

int cmdEnabled(HWND main, const Args&) {
    println(L"enabled=" + num(IsWindowEnabled(main) ? 1 : 0));
    return kOk;
}

// GetFocus sees only this thread; GetGUIThreadInfo reads the program's thread.
int cmdFocus(HWND main, const Args&) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info)) {
        return fail(L"GetGUIThreadInfo failed, error " + num(GetLastError()));
    }
    if (info.hwndFocus && IsChild(main, info.hwndFocus)) {
        println(controlName(info.hwndFocus));
    } else {
        println(L"other " + (info.hwndFocus ? describe(info.hwndFocus) : std::wstring(L"none")));
    }
    return kOk;
}

int cmdStyle(HWND main, const Args&) {
    LONG style = GetWindowLongW(main, GWL_STYLE);
    println(L"sizable=" + num((style & WS_THICKFRAME) ? 1 : 0) + L" minimizebox=" +
            num((style & WS_MINIMIZEBOX) ? 1 : 0) + L" maximizebox=" +
            num((style & WS_MAXIMIZEBOX) ? 1 : 0));
    return kOk;
}

int cmdSync(HWND main, const Args&) {
    return waitPostedHandled(main);
}

// Mouse moves over the client area at x = FROM..TO, at y, posted as the window manager
// posts them: for the points a person cannot reach on a window this small.
int cmdMouseMoves(HWND main, const Args& a) {
    long from = 0, to = 0, y = 0;
    if (!parseNumber(a[0], &from) || !parseNumber(a[1], &to) || !parseNumber(a[2], &y) ||
        from > to) {
        return usage(L"mouse-moves FROM TO Y");
    }
    for (long x = from; x <= to; ++x) {
        PostMessageW(main, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    }
    return waitPostedHandled(main);
}

// NtQuerySystemInformation(SystemHandleInformation): GetProcessHandleCount returns 0
// under Wine, this list does not.
struct HandleEntry {
    USHORT pid;
    USHORT backTraceIndex;
    UCHAR objectType;
    UCHAR attributes;
    USHORT value;
    PVOID object;
    ULONG access;
};
struct HandleTable {
    ULONG count;
    HandleEntry entries[1];
};
using NtQuerySystemInformationFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

int cmdHandles(HWND main, const Args&) {
    DWORD pid = processOf(main);
    auto query = reinterpret_cast<NtQuerySystemInformationFn>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) {
        return fail(L"NtQuerySystemInformation not found");
    }
    const ULONG kSystemHandleInformation = 16;
    const LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004L);
    std::vector<BYTE> buf(1 << 16);
    LONG status = 0;
    for (;;) {
        ULONG needed = 0;
        status =
            query(kSystemHandleInformation, buf.data(), static_cast<ULONG>(buf.size()), &needed);
        if (status != kInfoLengthMismatch) {
            break;
        }
        buf.resize(needed > buf.size() ? needed + 4096 : buf.size() * 2);
    }
    if (status < 0) {
        return fail(L"NtQuerySystemInformation failed, status " +
                    hex(reinterpret_cast<void*>(static_cast<UINT_PTR>(status))));
    }
    const HandleTable* table = reinterpret_cast<const HandleTable*>(buf.data());
    unsigned long count = 0;
    for (ULONG i = 0; i < table->count; ++i) {
        // The table keeps only the low 16 bits of a process id.
        if (table->entries[i].pid == static_cast<USHORT>(pid)) {
            ++count;
        }
    }
    // Every live process holds handles: none means no such process.
    if (count == 0) {
        return fail(L"no handles belong to process " + num(pid));
    }
    println(num(count));
    return kOk;
}

// --- what the soak repeats: one round trip each -----------------------------

bool shown(HWND hwnd) {
    return IsWindowVisible(hwnd) && !IsIconic(hwnd);
}

HWND dialogOf(DWORD pid, const std::wstring& cls, const std::wstring& title) {
    for (HWND hwnd : visibleTopLevel(cls, title)) {
        if (processOf(hwnd) == pid) {
            return hwnd;
        }
    }
    return nullptr;
}

int aboutRoundTrip(HWND main, DWORD pid) {
    HWND button = GetDlgItem(main, ControlId::AboutBut);
    if (!button || !PostMessageW(button, BM_CLICK, 0, 0)) {
        return fail(L"could not click About");
    }
    HWND about = nullptr;
    if (!waitFor(60000, [&] { return (about = dialogOf(pid, L"#32770", L"About Kelvarion")); })) {
        return fail(L"the About box did not open");
    }
    size_t dialogs = 0;
    for (HWND hwnd : visibleTopLevel(L"#32770", L"*")) {
        dialogs += processOf(hwnd) == pid;
    }
    if (dialogs != 1) {
        return fail(L"more than one dialog is open with the About box");
    }
    HWND ok = GetDlgItem(about, IDOK);
    if (!ok || !PostMessageW(ok, BM_CLICK, 0, 0)) {
        return fail(L"the About box has no OK button");
    }
    if (!waitFor(60000, [&] { return !IsWindow(about) || !IsWindowVisible(about); })) {
        return fail(L"the About box did not close after OK");
    }
    return kOk;
}

int menuRoundTrip(HWND main, DWORD pid) {
    if (!PostMessageW(main, kTrayMessage, kTrayIconId, WM_RBUTTONUP)) {
        return fail(L"could not post the tray right click");
    }
    if (!waitFor(60000, [&] { return dialogOf(pid, L"#32768", L"*") != nullptr; })) {
        return fail(L"the tray menu did not open");
    }
    // What a click elsewhere does: DefWindowProc ends the menu's modal loop.
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(main, WM_CANCELMODE, 0, 0, SMTO_NORMAL, kAnswerMs, &result)) {
        return fail(L"WM_CANCELMODE was not answered while the menu was open");
    }
    if (!waitFor(60000, [&] { return dialogOf(pid, L"#32768", L"*") == nullptr; })) {
        return fail(L"the tray menu did not close");
    }
    return kOk;
}

int hideAndBringBack(HWND main, bool minimize) {
    if (minimize) {
        if (int rc = cmdMinimize(main, {})) {
            return rc;
        }
    } else {
        HWND close = GetDlgItem(main, ControlId::Close);
        if (!close || !PostMessageW(close, BM_CLICK, 0, 0)) {
            return fail(L"could not click Close");
        }
    }
    if (!waitFor(60000, [&] { return !IsWindowVisible(main); })) {
        return fail(minimize ? L"the window is still visible after a minimize"
                             : L"the window is still visible after Close");
    }
    if (!PostMessageW(main, kTrayMessage, kTrayIconId, WM_LBUTTONUP)) {
        return fail(L"could not post the tray click");
    }
    if (!waitFor(60000, [&] { return shown(main); })) {
        return fail(L"a tray click did not bring the window back");
    }
    return kOk;
}

int cmdUiCycles(HWND main, const Args& a) {
    long cycles = 0;
    if (!parseNumber(a[0], &cycles) || cycles < 1) {
        return usage(L"ui-cycles N");
    }
    DWORD pid = processOf(main);
    if (!shown(main)) {
        return fail(L"the window is not shown at the start of a cycle");
    }
    for (long i = 0; i < cycles; ++i) {
        if (int rc = aboutRoundTrip(main, pid)) {
            return rc;
        }
        if (int rc = menuRoundTrip(main, pid)) {
            return rc;
        }
        if (int rc = hideAndBringBack(main, i % 2 == 0)) {
            return rc;
        }
    }
    return kOk;
}

// --- other windows ----------------------------------------------------------

int cmdWaitTop(HWND, const Args& a) {
    long timeoutMs = 5000;
    if (a.size() == 3 && !parseNumber(a[2], &timeoutMs)) {
        return usage(L"wait-top CLASS TITLE [MS]");
    }
    HWND hwnd = nullptr;
    if (!waitFor(timeoutMs, [&] {
            std::vector<HWND> found = visibleTopLevel(a[0], a[1]);
            hwnd = found.empty() ? nullptr : found.front();
            return hwnd != nullptr;
        })) {
        return fail(L"no visible window of class \"" + a[0] + L"\" titled \"" + a[1] +
                    L"\" within " + num(timeoutMs) + L" ms");
    }
    println(hex(hwnd) + L" " + num(processOf(hwnd)));
    return kOk;
}

int cmdCountTop(HWND, const Args& a) {
    println(num(visibleTopLevel(a[0], a[1]).size()));
    return kOk;
}

int cmdDialogText(HWND window, const Args&) {
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        std::wstring text = windowText(child);
        if (lstrcmpiW(className(child).c_str(), L"Static") == 0 && !text.empty()) {
            println(text);
        }
    }
    return kOk;
}

int cmdWindows(HWND, const Args&) {
    for (HWND hwnd : visibleTopLevel(L"*", L"*")) {
        println(describe(hwnd));
    }
    return kOk;
}

int cmdMains(HWND, const Args&) {
    for (HWND hwnd : mainWindows()) {
        println(hex(hwnd) + L" " + num(processOf(hwnd)));
    }
    return kOk;
}

int broadcast(UINT msg, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(HWND_BROADCAST, msg, 0, lParam, SMTO_ABORTIFHUNG, 5000, &result)) {
        return fail(L"broadcast failed, error " + num(GetLastError()));
    }
    return kOk;
}

int cmdTaskbarCreated(HWND, const Args&) {
    return broadcast(RegisterWindowMessageW(L"TaskbarCreated"), 0);
}

// As System Properties or setx do after changing a variable: "Environment".
int cmdSettingChange(HWND, const Args& a) {
    return broadcast(WM_SETTINGCHANGE, reinterpret_cast<LPARAM>(a[0].c_str()));
}

int cmdForeground(HWND, const Args&) {
    HWND hwnd = GetForegroundWindow();
    println(hwnd ? describe(hwnd) : std::wstring(L"none"));
    return kOk;
}

int cmdRect(HWND window, const Args&) {
    RECT r;
    GetWindowRect(window, &r);
    println(rectText(r));
    return kOk;
}

int cmdButtons(HWND window, const Args&) {
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (lstrcmpiW(className(child).c_str(), L"Button") != 0 || !IsWindowVisible(child)) {
            continue;
        }
        LONG type = GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK;
        println(controlName(child) + (type == BS_DEFPUSHBUTTON ? L" default " : L" push ") +
                windowText(child));
    }
    return kOk;
}

int cmdSysColor(HWND, const Args& a) {
    long index = 0;
    if (!parseNumber(a[0], &index)) {
        return usage(L"syscolor INDEX");
    }
    COLORREF c = GetSysColor(static_cast<int>(index));
    wchar_t buf[16];
    wsprintfW(buf, L"#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    println(buf);
    return kOk;
}

// --- stand-ins --------------------------------------------------------------

// Shares nothing, so no other process may read, write, replace or delete the file.
int cmdLock(HWND, const Args& a) {
    HANDLE file = CreateFileW(a[0].c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return fail(L"cannot open " + a[0] + L", error " + num(GetLastError()));
    }
    println(L"locked");
    while (!fileExists(a[1])) {
        Sleep(20);
    }
    CloseHandle(file);
    println(L"released");
    return kOk;
}

// As a shortcut does; waits for the program and exits with its exit code, so that it
// stands for the program. Each argument is quoted (none here holds a quote).
int cmdStartShown(HWND, const Args& a) {
    long show = 0;
    if (!parseNumber(a[0], &show)) {
        return usage(L"start-shown SHOW PROGRAM [ARGS...]");
    }
    std::wstring commandLine;
    for (size_t i = 1; i < a.size(); ++i) {
        commandLine += (i > 1 ? L" \"" : L"\"") + a[i] + L"\"";
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(a[1].c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return fail(L"CreateProcess failed, error " + num(GetLastError()));
    }
    CloseHandle(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = kFailed;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hProcess);
    return static_cast<int>(exitCode);
}

// Wine's Shell_NotifyIcon sends its request as WM_COPYDATA to the first top-level
// window of class "Shell_TrayWnd" and passes the answer on: a hidden, topmost one of ours
// comes before the taskbar's, and answers no.
LRESULT CALLBACK refusingTrayProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        return FALSE;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

int cmdRefuseTray(HWND, const Args& a) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = refusingTrayProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"Shell_TrayWnd";
    if (!RegisterClassW(&windowClass)) {
        return fail(L"RegisterClass failed, error " + num(GetLastError()));
    }
    HWND tray =
        CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, windowClass.lpszClassName, nullptr,
                        WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!tray) {
        return fail(L"CreateWindowEx failed, error " + num(GetLastError()));
    }
    SetWindowPos(tray, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (FindWindowW(windowClass.lpszClassName, nullptr) != tray) {
        return fail(L"the taskbar's notification area is still found first");
    }
    println(L"refusing");
    while (!fileExists(a[0])) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    DestroyWindow(tray);
    println(L"released");
    return kOk;
}

int cmdWatchStarts(HWND main, const Args& a) {
    if (a.size() == 2 && a[1] != L"--hold") {
        return usage(L"watch-starts DLL [--hold]");
    }
    KvHold* hold = startCounters();
    if (hold) {
        InterlockedExchange(&hold->holding, a.size() == 2 ? 1 : 0);
    }
    HMODULE dll = LoadLibraryW(a[0].c_str());
    auto hook = reinterpret_cast<HOOKPROC>(
        reinterpret_cast<void*>(dll ? GetProcAddress(dll, "HoldHook") : nullptr));
    if (!hold || !hook) {
        return fail(L"cannot load the hold from " + a[0] + L", error " + num(GetLastError()));
    }
    HHOOK installed =
        SetWindowsHookExW(WH_GETMESSAGE, hook, dll, GetWindowThreadProcessId(main, nullptr));
    bool patched = installed && PostMessageW(main, WM_NULL, 0, 0) &&
                   waitFor(10000, [&] { return hold->patched != 0; });
    if (installed) {
        UnhookWindowsHookEx(installed);
    }
    return patched ? kOk : fail(L"the program's imports were not pointed at " + a[0]);
}

int cmdStarts(HWND, const Args& a) {
    KvHold* hold = startCounters();
    if (!hold || !hold->patched) {
        return fail(L"no counters: watch-starts first");
    }
    if (!a.empty()) {
        if (a[0] != L"--release") {
            return usage(L"starts [--release]");
        }
        InterlockedExchange(&hold->holding, 0);
    }
    println(L"calls " + num(static_cast<unsigned long>(hold->calls)) + L" outcomes " +
            num(static_cast<unsigned long>(hold->outcomes)));
    return kOk;
}

// --- commands ---------------------------------------------------------------

// What a command acts on, found before it runs from the first arguments: the main window,
// a control of it (CONTROL), a visible top-level window (CLASS TITLE), or a control of one
// (CLASS TITLE CONTROL).
enum class Target { None, Main, MainControl, Window, WindowControl };

struct Command {
    const wchar_t* name;
    Target target;
    const wchar_t* args;
    size_t minArgs;
    size_t maxArgs;
    int (*run)(HWND target, const Args& rest);
    const wchar_t* help;
};

const size_t kAny = 1000;

const Command kCommands[] = {
    {L"wait-window", Target::None, L"[MS]", 0, 1, cmdWaitWindow,
     L"wait until the main window is up and the program idles in its message loop; print "
     L"\"hwnd pid\""},
    {L"get-text", Target::MainControl, L"CONTROL", 1, 1, cmdGetText, L"print the text of CONTROL"},
    {L"set-text", Target::MainControl, L"CONTROL TEXT", 2, 2, cmdSetText,
     L"set the text of CONTROL"},
    {L"set-text-ansi", Target::MainControl, L"CONTROL PATH", 2, 2, cmdSetTextAnsi,
     L"set CONTROL to the text of PATH, read in the ANSI code page"},
    {L"get-text-ansi", Target::MainControl, L"CONTROL PATH", 2, 2, cmdGetTextAnsi,
     L"write the text of CONTROL to PATH in the ANSI code page"},
    {L"click", Target::MainControl, L"CONTROL", 1, 1, cmdClick, L"post BM_CLICK to CONTROL"},
    {L"tick", Target::Main, L"[N] [--watch MS] [--paced M]", 0, 3, cmdTick,
     L"post N timer ticks and wait until they are handled; print \"launched K\" and "
     L"\"new-windows K\" seen within MS; or, --paced, wait after every M-th tick until the "
     L"outcome of the start it made is back (watch-starts first), and print nothing"},
    {L"close", Target::Main, L"", 0, 0, cmdClose, L"post WM_CLOSE"},
    {L"minimize", Target::Main, L"", 0, 0, cmdMinimize, L"send WM_SYSCOMMAND SC_MINIMIZE"},
    {L"state", Target::Main, L"", 0, 0, cmdState, L"print \"visible=0|1 iconic=0|1\""},
    {L"end-session", Target::Main, L"[MS] [--closeapp] [--cancel] [--tick-queued]", 0, 4,
     cmdEndSession,
     L"send WM_QUERYENDSESSION, then WM_ENDSESSION TRUE, with ENDSESSION_CLOSEAPP as the "
     L"Restart Manager sends it, or FALSE: the session end was cancelled; --tick-queued posts "
     L"a timer tick right behind WM_ENDSESSION and returns at once"},
    {L"rects", Target::Main, L"", 0, 0, cmdRects,
     L"print \"CONTROL class x y w h\" of each control, client coords"},
    {L"texts", Target::Main, L"", 0, 0, cmdTexts, L"print \"CONTROL text\" of each control"},
    {L"client", Target::Main, L"", 0, 0, cmdClient, L"print \"w h\" of the client area"},
    {L"enabled", Target::Main, L"", 0, 0, cmdEnabled, L"print \"enabled=0|1\""},
    {L"focus", Target::Main, L"", 0, 0, cmdFocus,
     L"print the CONTROL that has the keyboard focus, or \"other\" and the window that has it"},
    {L"style", Target::Main, L"", 0, 0, cmdStyle,
     L"print \"sizable=0|1 minimizebox=0|1 maximizebox=0|1\""},
    {L"sync", Target::Main, L"", 0, 0, cmdSync,
     L"wait until the program has handled what was posted to it"},
    {L"mouse-moves", Target::Main, L"FROM TO Y", 3, 3, cmdMouseMoves,
     L"post WM_MOUSEMOVE at x = FROM..TO, y = Y, and wait for them"},
    {L"handles", Target::Main, L"", 0, 0, cmdHandles, L"print the program's kernel handle count"},
    {L"ui-cycles", Target::Main, L"N", 1, 1, cmdUiCycles,
     L"N times: About opened and closed, tray menu opened and cancelled, the window hidden "
     L"(minimize or Close, in turn) and brought back by a tray click"},
    {L"item-text", Target::WindowControl, L"CLASS TITLE CONTROL", 3, 3, cmdGetText,
     L"print the text of CONTROL of a matching window"},
    {L"post-click", Target::WindowControl, L"CLASS TITLE CONTROL", 3, 3, cmdClick,
     L"post BM_CLICK to CONTROL of a matching window"},
    {L"press", Target::WindowControl, L"CLASS TITLE CONTROL", 3, 3, cmdPress,
     L"the same, then wait for the window to close"},
    {L"dialog-text", Target::Window, L"CLASS TITLE", 2, 2, cmdDialogText,
     L"print the static texts of a matching window, one a line"},
    {L"buttons", Target::Window, L"CLASS TITLE", 2, 2, cmdButtons,
     L"print \"CONTROL default|push text\" of a matching window's visible buttons"},
    {L"rect", Target::Window, L"CLASS TITLE", 2, 2, cmdRect,
     L"print \"x y w h\" of a matching window, screen coords"},
    {L"wait-top", Target::None, L"CLASS TITLE [MS]", 2, 3, cmdWaitTop,
     L"wait for a visible top-level window; print \"hwnd pid\""},
    {L"count-top", Target::None, L"CLASS TITLE", 2, 2, cmdCountTop,
     L"print how many visible top-level windows match"},
    {L"windows", Target::None, L"", 0, 0, cmdWindows,
     L"list visible top-level windows: hwnd pid class \"title\""},
    {L"mains", Target::None, L"", 0, 0, cmdMains, L"print \"hwnd pid\" of every main window"},
    {L"foreground", Target::None, L"", 0, 0, cmdForeground,
     L"print \"hwnd pid class title\" of the foreground window"},
    {L"taskbar-created", Target::None, L"", 0, 0, cmdTaskbarCreated,
     L"broadcast the \"TaskbarCreated\" message"},
    {L"setting-change", Target::None, L"AREA", 1, 1, cmdSettingChange,
     L"broadcast WM_SETTINGCHANGE naming AREA"},
    {L"syscolor", Target::None, L"INDEX", 1, 1, cmdSysColor,
     L"print GetSysColor(INDEX) as #RRGGBB"},
    {L"lock", Target::None, L"FILE RELEASE", 2, 2, cmdLock,
     L"hold FILE open sharing nothing until a file named RELEASE appears; print \"locked\" "
     L"once it holds it and \"released\" at the end"},
    {L"start-shown", Target::None, L"SHOW PROGRAM [ARGS...]", 2, kAny, cmdStartShown,
     L"start PROGRAM in this folder with the show state SHOW in its STARTUPINFO, wait for it "
     L"to end and exit with its exit code"},
    {L"watch-starts", Target::Main, L"DLL [--hold]", 1, 2, cmdWatchStarts,
     L"put DLL (kvhold.dll) into the program to count its starts and their outcomes; with "
     L"--hold, each start waits inside CreateProcessW until released"},
    {L"starts", Target::None, L"[--release]", 0, 1, cmdStarts,
     L"print \"calls N outcomes K\" of the program's starts; --release lets held ones go"},
    {L"refuse-tray", Target::None, L"RELEASE", 1, 1, cmdRefuseTray,
     L"stand in for the notification area, refusing every icon, until a file named RELEASE "
     L"appears; print \"refusing\" once in place and \"released\" at the end"},
};

int usage(const std::wstring& why) {
    std::wstring text = L"kvdriver: " + why + L"\nusage: kvdriver [--pid PID] COMMAND [ARGS]\n";
    for (const Command& c : kCommands) {
        text += L"  " + std::wstring(c.name) + L" " + c.args + L"\n      " + c.help + L"\n";
    }
    text +=
        L"--pid drives the copy of the program running as PID. CONTROL is a name of "
        L"ui/control_ids.h, or IDOK, IDCANCEL, cmb1, cmb13. CLASS or TITLE \"*\" matches any.\n";
    write(STD_ERROR_HANDLE, text);
    return kUsage;
}

} // namespace

int main() {
    // The wide command line keeps non-ASCII texts intact whatever the code page.
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) {
        return usage(L"no command line");
    }
    Args args(argv + 1, argv + argc);
    LocalFree(argv);
    if (args.size() >= 2 && args[0] == L"--pid") {
        long pid = 0;
        if (!parseNumber(args[1], &pid) || pid <= 0) {
            return usage(L"not a process id: " + args[1]);
        }
        gProgramPid = static_cast<DWORD>(pid);
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty()) {
        return usage(L"no command");
    }
    std::wstring name = args.front();
    args.erase(args.begin());
    for (const Command& c : kCommands) {
        if (name != c.name) {
            continue;
        }
        if (args.size() < c.minArgs || args.size() > c.maxArgs) {
            return usage(name + L" " + c.args);
        }
        HWND target = nullptr;
        size_t used = 0;
        if (c.target == Target::Window || c.target == Target::WindowControl) {
            if (int rc = needTopLevel(args[0], args[1], &target)) {
                return rc;
            }
            used = 2;
        } else if (c.target != Target::None && !(target = mainWindow())) {
            return fail(gProgramPid ? L"no main window of process " + num(gProgramPid)
                                    : std::wstring(L"main window not found"));
        }
        if (c.target == Target::MainControl || c.target == Target::WindowControl) {
            if (int rc = needControl(target, args[used], &target)) {
                return rc;
            }
            ++used;
        }
        return c.run(target, Args(args.begin() + static_cast<std::ptrdiff_t>(used), args.end()));
    }
    return usage(L"unknown command: " + name);
}
