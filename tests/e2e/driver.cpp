// kvdriver: drives a running Kelvarion from a second process for the end-to-end tests.
// Run under Wine in the same prefix; it prints to stdout and exits 0 on success,
// 1 when the check or wait fails, 2 on a usage error (the reason goes to stderr).
#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <set>
#include <string>
#include <vector>

#include "ui/control_ids.h"

namespace {

const int kOk = 0;
const int kFailed = 1;
const int kUsage = 2;
// How long a message sent to the program may take. Generous: Wine's edit control takes
// many seconds over a text of megabytes on a loaded machine, and a busy program is not a
// hung one (so no SMTO_ABORTIFHUNG, which gives up on any thread busy for 5 s).
const UINT kAnswerMs = 120000;

const wchar_t kUsageText[] =
    L"usage: kvdriver COMMAND [ARGS]\n"
    L"  wait-window [MS]            wait until the main window is up and the program idles\n"
    L"                              in its message loop; print \"hwnd pid\"\n"
    L"  pid                         print the program's process id\n"
    L"  get-text ID                 print the text of control ID\n"
    L"  set-text ID TEXT            set the text of control ID\n"
    L"  tick [N] [--watch MS]       post N timer ticks and wait until they are handled;\n"
    L"                              print \"launched K\" and \"new-windows K\" seen within MS\n"
    L"  click ID                    post BM_CLICK to button ID\n"
    L"  close                       post WM_CLOSE\n"
    L"  minimize                    post WM_SYSCOMMAND SC_MINIMIZE\n"
    L"  state                       print \"visible=0|1 iconic=0|1\"\n"
    L"  end-session [MS] [--closeapp] [--cancel] [--tick-queued]\n"
    L"                              send WM_QUERYENDSESSION, then WM_ENDSESSION TRUE, with\n"
    L"                              ENDSESSION_CLOSEAPP as the Restart Manager sends it, or\n"
    L"                              FALSE: the session end was cancelled; --tick-queued posts\n"
    L"                              a timer tick right behind WM_ENDSESSION and returns at once\n"
    L"  wait-top CLASS TITLE [MS]   wait for a visible top-level window; print \"hwnd pid\"\n"
    L"  count-top CLASS TITLE       print how many visible top-level windows match\n"
    L"  dialog-text CLASS TITLE     print the static texts of a matching window, one a line\n"
    L"  press CLASS TITLE ID        click button ID of a matching window, wait for it to close\n"
    L"  windows                     list visible top-level windows: hwnd pid class title\n"
    L"  count-foreign               count visible top-level windows of other processes\n"
    L"  rects                       print \"id class x y w h\" of each control, client coords\n"
    L"  taskbar-created             broadcast the \"TaskbarCreated\" message\n"
    L"  setting-change AREA         broadcast WM_SETTINGCHANGE naming AREA\n"
    L"  handles [PID]               print the kernel handle count of PID (default: program)\n"
    L"  client                      print \"w h\" of the main window's client area\n"
    L"  enabled                     print \"enabled=0|1\" of the main window\n"
    L"  focus                       print the id of the main window's control that has the\n"
    L"                              keyboard focus, or \"other\" and the window that has it\n"
    L"  foreground                  print \"hwnd pid class title\" of the foreground window\n"
    L"  rect CLASS TITLE            print \"x y w h\" of a matching window, screen coords\n"
    L"  item-text CLASS TITLE ID    print the text of control ID of a matching window\n"
    L"  buttons CLASS TITLE         print \"id default|push text\" of a matching window's\n"
    L"                              visible buttons\n"
    L"  post-click CLASS TITLE ID   post BM_CLICK to button ID of a matching window; no wait\n"
    L"  texts                       print \"id text\" of each control of the main window\n"
    L"  style                       print \"sizable=0|1 minimizebox=0|1 maximizebox=0|1\"\n"
    L"  sync                        wait until the program has handled what was posted to it\n"
    L"  mouse-moves FROM TO Y       post WM_MOUSEMOVE at x = FROM..TO, y = Y, and wait for them\n"
    L"  syscolor INDEX              print GetSysColor(INDEX) as #RRGGBB\n"
    L"CLASS or TITLE \"*\" matches any.\n";

// --- output -----------------------------------------------------------------

std::string toUtf8(const std::wstring& text) {
    if (text.empty()) {
        return std::string();
    }
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                   nullptr, 0, nullptr, nullptr);
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

void println(const std::wstring& text) { write(STD_OUTPUT_HANDLE, text + L"\n"); }

int fail(const std::wstring& why) {
    write(STD_ERROR_HANDLE, L"kvdriver: " + why + L"\n");
    return kFailed;
}

int usage(const std::wstring& why) {
    write(STD_ERROR_HANDLE, L"kvdriver: " + why + L"\n" + kUsageText);
    return kUsage;
}

std::wstring hex(const void* p) {
    wchar_t buf[32];
    wsprintfW(buf, L"0x%08lx", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(p)));
    return buf;
}

// Wide enough for a size_t on either width, so no count is narrowed on its way.
std::wstring num(unsigned long long n) { return std::to_wstring(n); }

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

// --- windows ----------------------------------------------------------------

std::wstring className(HWND hwnd) {
    wchar_t buf[256] = L"";
    GetClassNameW(hwnd, buf, 256);
    return buf;
}

// WM_GETTEXT works across processes, unlike GetWindowText on a foreign edit box.
std::wstring windowText(HWND hwnd) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, kAnswerMs, &length)) {
        return std::wstring();
    }
    std::vector<wchar_t> buf(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()),
                        SMTO_NORMAL, kAnswerMs, &copied);
    return std::wstring(buf.data(), copied);
}

DWORD processOf(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return pid;
}

HWND mainWindow() { return FindWindowW(kForm1Class, kForm1Caption); }

BOOL CALLBACK collectWindow(HWND hwnd, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
    return TRUE;
}

std::vector<HWND> topLevelWindows() {
    std::vector<HWND> found;
    EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

bool matches(const std::wstring& pattern, const std::wstring& value) {
    return pattern == L"*" || pattern == value;
}

std::vector<HWND> visibleTopLevel(const std::wstring& cls, const std::wstring& title) {
    std::vector<HWND> found;
    for (HWND hwnd : topLevelWindows()) {
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

// --- processes --------------------------------------------------------------

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
bool isLaunch(const Child& child) { return lstrcmpiW(child.exe.c_str(), L"conhost.exe") != 0; }

// --- commands ---------------------------------------------------------------

using Args = std::vector<std::wstring>;

int needMainWindow(HWND* hwnd) {
    *hwnd = mainWindow();
    return *hwnd ? kOk : fail(L"main window not found");
}

int needControl(const std::wstring& idText, HWND* control) {
    long id = 0;
    if (!parseNumber(idText, &id)) {
        return usage(L"not a control id: " + idText);
    }
    HWND main = nullptr;
    if (int rc = needMainWindow(&main)) {
        return rc;
    }
    *control = GetDlgItem(main, static_cast<int>(id));
    return *control ? kOk : fail(L"no control with id " + idText);
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
    DWORD start = GetTickCount();
    for (;;) {
        DWORD_PTR now = 0;
        if (!SendMessageTimeoutW(box, EM_GETMODIFY, 0, 0, SMTO_NORMAL, kAnswerMs, &now)) {
            return fail(L"the program stopped answering while handling posted messages");
        }
        if (now) {
            break;
        }
        if (GetTickCount() - start > kAnswerMs) {
            return fail(L"posted messages were not handled within " + num(kAnswerMs / 1000) + L" s");
        }
        Sleep(5);
    }
    SendMessageTimeoutW(box, EM_SETMODIFY, before, 0, SMTO_NORMAL, kAnswerMs, nullptr);
    return kOk;
}

// Waits for a visible top-level window matching cls/title, polling.
HWND waitTopLevel(const std::wstring& cls, const std::wstring& title, long timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        std::vector<HWND> found = visibleTopLevel(cls, title);
        if (!found.empty()) {
            return found.front();
        }
        if (static_cast<long>(GetTickCount() - start) >= timeoutMs) {
            return nullptr;
        }
        Sleep(25);
    }
}

int cmdWaitWindow(const Args& a) {
    long timeoutMs = 10000;
    if (a.size() > 1 || (a.size() == 1 && !parseNumber(a[0], &timeoutMs))) {
        return usage(L"wait-window [MS]");
    }
    // The window exists before its controls do, and the program loads config.kv only
    // after that: it is ready once it takes posted messages in its message loop.
    DWORD start = GetTickCount();
    HWND hwnd = nullptr;
    while (!(hwnd = mainWindow()) || !GetDlgItem(hwnd, ControlId::everyNMins)) {
        if (static_cast<long>(GetTickCount() - start) >= timeoutMs) {
            return fail(L"main window did not appear within " + num(timeoutMs) + L" ms");
        }
        Sleep(25);
    }
    if (int rc = waitPostedHandled(hwnd)) {
        return rc;
    }
    println(hex(hwnd) + L" " + num(processOf(hwnd)));
    return kOk;
}

int cmdPid(const Args& a) {
    if (!a.empty()) {
        return usage(L"pid takes no arguments");
    }
    HWND main = nullptr;
    if (int rc = needMainWindow(&main)) {
        return rc;
    }
    println(num(processOf(main)));
    return kOk;
}

int cmdGetText(const Args& a) {
    if (a.size() != 1) {
        return usage(L"get-text ID");
    }
    HWND control = nullptr;
    if (int rc = needControl(a[0], &control)) {
        return rc;
    }
    println(windowText(control));
    return kOk;
}

int cmdSetText(const Args& a) {
    if (a.size() != 2) {
        return usage(L"set-text ID TEXT");
    }
    HWND control = nullptr;
    if (int rc = needControl(a[0], &control)) {
        return rc;
    }
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(a[1].c_str()),
                             SMTO_NORMAL, kAnswerMs, &result) ||
        !result) {
        return fail(L"WM_SETTEXT failed");
    }
    // Catches a text mangled on its way through the command line, or a box that refuses it.
    std::wstring now = windowText(control);
    return now == a[1] ? kOk : fail(L"the text reads back as \"" + now + L"\"");
}

int cmdTick(const Args& a) {
    long count = 1;
    long watchMs = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] == L"--watch" && i + 1 < a.size() && parseNumber(a[i + 1], &watchMs)) {
            ++i;
        } else if (!parseNumber(a[i], &count) || count < 1) {
            return usage(L"tick [N] [--watch MS]");
        }
    }
    HWND main = nullptr;
    if (int rc = needMainWindow(&main)) {
        return rc;
    }
    DWORD programPid = processOf(main);
    std::set<DWORD> oldChildren;
    for (const Child& c : childrenOf(programPid)) {
        oldChildren.insert(c.pid);
    }
    std::set<HWND> oldWindows = foreignWindows(programPid);

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
    std::set<HWND> seenWindows = oldWindows;
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

int postToMain(UINT msg, WPARAM wParam, LPARAM lParam) {
    HWND main = nullptr;
    if (int rc = needMainWindow(&main)) {
        return rc;
    }
    return PostMessageW(main, msg, wParam, lParam) ? kOk
                                                   : fail(L"PostMessage failed, error " +
                                                          num(GetLastError()));
}

int cmdClick(const Args& a) {
    if (a.size() != 1) {
        return usage(L"click ID");
    }
    HWND button = nullptr;
    if (int rc = needControl(a[0], &button)) {
        return rc;
    }
    // Posted, because a button that opens a modal dialog would hold a SendMessage.
    return PostMessageW(button, BM_CLICK, 0, 0) ? kOk : fail(L"PostMessage BM_CLICK failed");
}

int cmdClose(const Args& a) {
    return a.empty() ? postToMain(WM_CLOSE, 0, 0) : usage(L"close takes no arguments");
}

int cmdMinimize(const Args& a) {
    if (!a.empty()) {
        return usage(L"minimize takes no arguments");
    }
    HWND main = nullptr;
    if (int rc = needMainWindow(&main)) {
        return rc;
    }
    // Sent, so the window state is settled when this returns.
    if (!SendMessageTimeoutW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0, SMTO_NORMAL, kAnswerMs,
                             nullptr)) {
        return fail(L"WM_SYSCOMMAND SC_MINIMIZE was not answered");
    }
    return kOk;
}

int cmdState(const Args& a) {
    if (!a.empty()) {
        return usage(L"state takes no arguments");
    }
    HWND main = nullptr;
    if (int rc = needMainWindow(&main)) {
        return rc;
    }
    println(L"visible=" + num(IsWindowVisible(main) ? 1 : 0) + L" iconic=" +
            num(IsIconic(main) ? 1 : 0));
    return kOk;
}

int cmdEndSession(const Args& a) {
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
    HWND main = nullptr;
    if (int rc = needMainWindow(&main)) {
        return rc;
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

int cmdWaitTop(const Args& a) {
    long timeoutMs = 5000;
    if (a.size() < 2 || a.size() > 3 || (a.size() == 3 && !parseNumber(a[2], &timeoutMs))) {
        return usage(L"wait-top CLASS TITLE [MS]");
    }
    HWND hwnd = waitTopLevel(a[0], a[1], timeoutMs);
    if (!hwnd) {
        return fail(L"no visible window of class \"" + a[0] + L"\" titled \"" + a[1] +
                    L"\" within " + num(timeoutMs) + L" ms");
    }
    println(hex(hwnd) + L" " + num(processOf(hwnd)));
    return kOk;
}

int cmdCountTop(const Args& a) {
    if (a.size() != 2) {
        return usage(L"count-top CLASS TITLE");
    }
    println(num(visibleTopLevel(a[0], a[1]).size()));
    return kOk;
}

int cmdDialogText(const Args& a) {
    if (a.size() != 2) {
        return usage(L"dialog-text CLASS TITLE");
    }
    std::vector<HWND> found = visibleTopLevel(a[0], a[1]);
    if (found.empty()) {
        return fail(L"no visible window of class \"" + a[0] + L"\" titled \"" + a[1] + L"\"");
    }
    for (HWND child = GetWindow(found.front(), GW_CHILD); child;
         child = GetWindow(child, GW_HWNDNEXT)) {
        std::wstring text = windowText(child);
        if (lstrcmpiW(className(child).c_str(), L"Static") == 0 && !text.empty()) {
            println(text);
        }
    }
    return kOk;
}

int cmdPress(const Args& a) {
    long id = 0;
    if (a.size() != 3 || !parseNumber(a[2], &id)) {
        return usage(L"press CLASS TITLE ID");
    }
    std::vector<HWND> found = visibleTopLevel(a[0], a[1]);
    if (found.empty()) {
        return fail(L"no visible window of class \"" + a[0] + L"\" titled \"" + a[1] + L"\"");
    }
    HWND window = found.front();
    HWND button = GetDlgItem(window, static_cast<int>(id));
    if (!button) {
        return fail(L"that window has no control with id " + a[2]);
    }
    if (!PostMessageW(button, BM_CLICK, 0, 0)) {
        return fail(L"PostMessage BM_CLICK failed");
    }
    // Wait for it to close, so that a window seen afterwards is a new one.
    DWORD start = GetTickCount();
    while (IsWindow(window) && IsWindowVisible(window)) {
        if (GetTickCount() - start > 30000) {
            return fail(L"the window is still open 30 s after the press");
        }
        Sleep(10);
    }
    return kOk;
}

int cmdWindows(const Args& a) {
    if (!a.empty()) {
        return usage(L"windows takes no arguments");
    }
    for (HWND hwnd : visibleTopLevel(L"*", L"*")) {
        println(describe(hwnd));
    }
    return kOk;
}

int cmdCountForeign(const Args& a) {
    if (!a.empty()) {
        return usage(L"count-foreign takes no arguments");
    }
    HWND main = mainWindow();
    println(num(foreignWindows(main ? processOf(main) : 0).size()));
    return kOk;
}

int cmdRects(const Args& a) {
    if (!a.empty()) {
        return usage(L"rects takes no arguments");
    }
    HWND main = nullptr;
    if (int rc = needMainWindow(&main)) {
        return rc;
    }
    for (HWND child = GetWindow(main, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
        println(num(static_cast<unsigned long>(GetDlgCtrlID(child))) + L" " + className(child) +
                L" " + std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " +
                std::to_wstring(r.right - r.left) + L" " + std::to_wstring(r.bottom - r.top));
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

int cmdTaskbarCreated(const Args& a) {
    if (!a.empty()) {
        return usage(L"taskbar-created takes no arguments");
    }
    return broadcast(RegisterWindowMessageW(L"TaskbarCreated"), 0);
}

// As System Properties or setx do after changing a variable: "Environment".
int cmdSettingChange(const Args& a) {
    if (a.size() != 1) {
        return usage(L"setting-change AREA");
    }
    return broadcast(WM_SETTINGCHANGE, reinterpret_cast<LPARAM>(a[0].c_str()));
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

int cmdHandles(const Args& a) {
    long pid = 0;
    if (a.size() > 1 || (a.size() == 1 && !parseNumber(a[0], &pid))) {
        return usage(L"handles [PID]");
    }
    if (a.empty()) {
        HWND main = nullptr;
        if (int rc = needMainWindow(&main)) {
            return rc;
        }
        pid = static_cast<long>(processOf(main));
    }
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
        status = query(kSystemHandleInformation, buf.data(), static_cast<ULONG>(buf.size()),
                       &needed);
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
        return fail(L"no handles belong to process " + num(static_cast<unsigned long>(pid)));
    }
    println(num(count));
    return kOk;
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

int cmdClient(const Args& a) {
    if (!a.empty()) {
        return usage(L"client takes no arguments");
    }
    HWND main = nullptr;
    if (int rc = needMainWindow(&main)) {
        return rc;
    }
    RECT r;
    GetClientRect(main, &r);
    println(std::to_wstring(r.right - r.left) + L" " + std::to_wstring(r.bottom - r.top));
    return kOk;
}

int cmdEnabled(const Args& a) {
    if (!a.empty()) {
        return usage(L"enabled takes no arguments");
    }
    HWND main = nullptr;
    if (int rc = needMainWindow(&main)) {
        return rc;
    }
    println(L"enabled=" + num(IsWindowEnabled(main) ? 1 : 0));
    return kOk;
}

// GetFocus sees only this thread; GetGUIThreadInfo reads the program's thread.
int cmdFocus(const Args& a) {
    if (!a.empty()) {
        return usage(L"focus takes no arguments");
    }
    HWND main = nullptr;
    if (int rc = needMainWindow(&main)) {
        return rc;
    }
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info)) {
        return fail(L"GetGUIThreadInfo failed, error " + num(GetLastError()));
    }
    if (info.hwndFocus && IsChild(main, info.hwndFocus)) {
        println(num(static_cast<unsigned long>(GetDlgCtrlID(info.hwndFocus))));
    } else {
        println(L"other " + (info.hwndFocus ? describe(info.hwndFocus) : std::wstring(L"none")));
    }
    return kOk;
}

int cmdForeground(const Args& a) {
    if (!a.empty()) {
        return usage(L"foreground takes no arguments");
    }
    HWND hwnd = GetForegroundWindow();
    println(hwnd ? describe(hwnd) : std::wstring(L"none"));
    return kOk;
}

int cmdRect(const Args& a) {
    if (a.size() != 2) {
        return usage(L"rect CLASS TITLE");
    }
    HWND window = nullptr;
    if (int rc = needTopLevel(a[0], a[1], &window)) {
        return rc;
    }
    RECT r;
    GetWindowRect(window, &r);
    println(std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " +
            std::to_wstring(r.right - r.left) + L" " + std::to_wstring(r.bottom - r.top));
    return kOk;
}

int cmdItemText(const Args& a) {
    long id = 0;
    if (a.size() != 3 || !parseNumber(a[2], &id)) {
        return usage(L"item-text CLASS TITLE ID");
    }
    HWND window = nullptr;
    if (int rc = needTopLevel(a[0], a[1], &window)) {
        return rc;
    }
    HWND item = GetDlgItem(window, static_cast<int>(id));
    if (!item) {
        return fail(L"that window has no control with id " + a[2]);
    }
    println(windowText(item));
    return kOk;
}

int cmdButtons(const Args& a) {
    if (a.size() != 2) {
        return usage(L"buttons CLASS TITLE");
    }
    HWND window = nullptr;
    if (int rc = needTopLevel(a[0], a[1], &window)) {
        return rc;
    }
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (lstrcmpiW(className(child).c_str(), L"Button") != 0 || !IsWindowVisible(child)) {
            continue;
        }
        LONG type = GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK;
        println(num(static_cast<unsigned long>(GetDlgCtrlID(child))) +
                (type == BS_DEFPUSHBUTTON ? L" default " : L" push ") + windowText(child));
    }
    return kOk;
}

// Unlike press, returns at once: the button may open a window of its own.
int cmdPostClick(const Args& a) {
    long id = 0;
    if (a.size() != 3 || !parseNumber(a[2], &id)) {
        return usage(L"post-click CLASS TITLE ID");
    }
    HWND window = nullptr;
    if (int rc = needTopLevel(a[0], a[1], &window)) {
        return rc;
    }
    HWND button = GetDlgItem(window, static_cast<int>(id));
    if (!button) {
        return fail(L"that window has no control with id " + a[2]);
    }
    return PostMessageW(button, BM_CLICK, 0, 0) ? kOk : fail(L"PostMessage BM_CLICK failed");
}

int cmdTexts(const Args& a) {
    if (!a.empty()) {
        return usage(L"texts takes no arguments");
    }
    HWND main = nullptr;
    if (int rc = needMainWindow(&main)) {
        return rc;
    }
    for (HWND child = GetWindow(main, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        println(num(static_cast<unsigned long>(GetDlgCtrlID(child))) + L" " + windowText(child));
    }
    return kOk;
}

int cmdStyle(const Args& a) {
    if (!a.empty()) {
        return usage(L"style takes no arguments");
    }
    HWND main = nullptr;
    if (int rc = needMainWindow(&main)) {
        return rc;
    }
    LONG style = GetWindowLongW(main, GWL_STYLE);
    println(L"sizable=" + num((style & WS_THICKFRAME) ? 1 : 0) + L" minimizebox=" +
            num((style & WS_MINIMIZEBOX) ? 1 : 0) + L" maximizebox=" +
            num((style & WS_MAXIMIZEBOX) ? 1 : 0));
    return kOk;
}

int cmdSync(const Args& a) {
    if (!a.empty()) {
        return usage(L"sync takes no arguments");
    }
    HWND main = nullptr;
    if (int rc = needMainWindow(&main)) {
        return rc;
    }
    return waitPostedHandled(main);
}

// Mouse moves over the client area at x = FROM..TO, at y, posted as the window manager
// posts them: for the points a person cannot reach on a window this small.
int cmdMouseMoves(const Args& a) {
    long from = 0, to = 0, y = 0;
    if (a.size() != 3 || !parseNumber(a[0], &from) || !parseNumber(a[1], &to) ||
        !parseNumber(a[2], &y) || from > to) {
        return usage(L"mouse-moves FROM TO Y");
    }
    HWND main = nullptr;
    if (int rc = needMainWindow(&main)) {
        return rc;
    }
    for (long x = from; x <= to; ++x) {
        PostMessageW(main, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    }
    return waitPostedHandled(main);
}

int cmdSysColor(const Args& a) {
    long index = 0;
    if (a.size() != 1 || !parseNumber(a[0], &index)) {
        return usage(L"syscolor INDEX");
    }
    COLORREF c = GetSysColor(static_cast<int>(index));
    wchar_t buf[16];
    wsprintfW(buf, L"#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    println(buf);
    return kOk;
}

struct Command {
    const wchar_t* name;
    int (*run)(const Args&);
};

const Command kCommands[] = {
    {L"wait-window", cmdWaitWindow},
    {L"pid", cmdPid},
    {L"get-text", cmdGetText},
    {L"set-text", cmdSetText},
    {L"tick", cmdTick},
    {L"click", cmdClick},
    {L"close", cmdClose},
    {L"minimize", cmdMinimize},
    {L"state", cmdState},
    {L"end-session", cmdEndSession},
    {L"wait-top", cmdWaitTop},
    {L"count-top", cmdCountTop},
    {L"dialog-text", cmdDialogText},
    {L"press", cmdPress},
    {L"windows", cmdWindows},
    {L"count-foreign", cmdCountForeign},
    {L"rects", cmdRects},
    {L"taskbar-created", cmdTaskbarCreated},
    {L"setting-change", cmdSettingChange},
    {L"handles", cmdHandles},
    {L"client", cmdClient},
    {L"enabled", cmdEnabled},
    {L"focus", cmdFocus},
    {L"foreground", cmdForeground},
    {L"rect", cmdRect},
    {L"item-text", cmdItemText},
    {L"buttons", cmdButtons},
    {L"post-click", cmdPostClick},
    {L"texts", cmdTexts},
    {L"style", cmdStyle},
    {L"sync", cmdSync},
    {L"mouse-moves", cmdMouseMoves},
    {L"syscolor", cmdSysColor},
};

} // namespace

int main() {
    // The wide command line keeps non-ASCII texts intact whatever the code page.
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
    return usage(L"unknown command: " + name);
}
