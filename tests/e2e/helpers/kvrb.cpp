// kvrb: what the fault, bad-input and soak cases need beyond kvdriver: many window round
// trips in one process (a Wine start costs ~0.1 s), texts longer than a command line, texts
// as the bytes the program itself would save, one copy of the program out of two, a start
// with a chosen show state, and a notification area that refuses icons.
// Exit code 0 on success, 1 when a check or wait fails, 2 on a usage error.
#include <windows.h>
#include <shellapi.h>

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

// The tray callback the program registers, and the mouse events it reacts to.
const UINT kTrayMessage = WM_APP + 1;
const UINT kTrayIconId = 1;
const LPARAM kLeftButtonUp = WM_LBUTTONUP;
const LPARAM kRightButtonUp = WM_RBUTTONUP;
// Generous: a loaded machine slows Wine down a lot, and only a failure waits this long.
const DWORD kWaitMs = 60000;

const char kUsageText[] =
    "usage: kvrb COMMAND [ARGS]\n"
    "  ui-cycles N                 N times: About opened and closed, tray menu opened and\n"
    "                              cancelled, the window hidden (minimize or Close, in turn)\n"
    "                              and brought back by a tray click\n"
    "  set-text-ansi ID PATH       set control ID to the text of PATH, read in the ANSI code page\n"
    "  get-text-ansi ID PATH       write the text of control ID to PATH in the ANSI code page\n"
    "  mains                       print \"hwnd pid\" of every main window\n"
    "  wait-ready PID              wait until that copy takes posted messages in its loop\n"
    "  get-text-pid PID ID         print the text of control ID of the main window of PID\n"
    "  set-text-pid PID ID TEXT    set control ID of the main window of process PID\n"
    "  click-pid PID ID            post BM_CLICK to button ID of that window\n"
    "  start-shown SHOW PROGRAM [ARGS...]\n"
    "                              start PROGRAM in this folder with the show state SHOW in\n"
    "                              its STARTUPINFO, as a shortcut does; wait for it to end and\n"
    "                              exit with its exit code\n"
    "  refuse-tray RELEASE         stand in for the notification area, refusing every icon,\n"
    "                              until a file named RELEASE appears; prints \"refusing\"\n"
    "                              once in place and \"released\" at the end\n";

std::string toUtf8(const std::wstring& text) {
    if (text.empty())
        return std::string();
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                   nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], size,
                        nullptr, nullptr);
    return bytes;
}

// Without best fit, as the program saves: a character the code page lacks is an error.
bool toCodePage(UINT codePage, const std::wstring& text, std::string* bytes) {
    bytes->clear();
    if (text.empty())
        return true;
    BOOL lossy = FALSE;
    int size = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text.data(),
                                   static_cast<int>(text.size()), nullptr, 0, nullptr, &lossy);
    if (size <= 0 || lossy)
        return false;
    bytes->resize(static_cast<size_t>(size));
    WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                        &(*bytes)[0], size, nullptr, &lossy);
    return !lossy;
}

std::wstring fromCodePage(UINT codePage, const std::string& bytes) {
    if (bytes.empty())
        return std::wstring();
    int size = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()),
                                   nullptr, 0);
    std::wstring text(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], size);
    return text;
}

void write(DWORD stdHandle, const std::string& bytes) {
    DWORD written = 0;
    WriteFile(GetStdHandle(stdHandle), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
              nullptr);
}

int fail(const std::wstring& why) {
    write(STD_ERROR_HANDLE, "kvrb: " + toUtf8(why) + "\n");
    return kFailed;
}

int usage(const std::string& why) {
    write(STD_ERROR_HANDLE, "kvrb: " + why + "\n" + kUsageText);
    return kUsage;
}

bool parseNumber(const std::wstring& text, long* value) {
    if (text.empty())
        return false;
    wchar_t* end = nullptr;
    long n = wcstol(text.c_str(), &end, 10);
    if (*end != L'\0')
        return false;
    *value = n;
    return true;
}

std::wstring hex(const void* p) {
    wchar_t buf[32];
    wsprintfW(buf, L"0x%08lx", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(p)));
    return buf;
}

DWORD processOf(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return pid;
}

std::wstring className(HWND hwnd) {
    wchar_t buf[256] = L"";
    GetClassNameW(hwnd, buf, 256);
    return buf;
}

// WM_GETTEXT works across processes, unlike GetWindowText on a foreign edit box.
bool windowText(HWND hwnd, std::wstring* text) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, kAnswerMs, &length))
        return false;
    std::vector<wchar_t> buf(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()),
                             SMTO_NORMAL, kAnswerMs, &copied))
        return false;
    text->assign(buf.data(), copied);
    return true;
}

struct Search {
    std::wstring cls;
    std::wstring title; // empty: any
    DWORD pid;          // 0: any
    std::vector<HWND> found;
};

BOOL CALLBACK collect(HWND hwnd, LPARAM param) {
    Search* s = reinterpret_cast<Search*>(param);
    std::wstring title;
    if (IsWindowVisible(hwnd) && className(hwnd) == s->cls && (!s->pid || processOf(hwnd) == s->pid) &&
        (s->title.empty() || (windowText(hwnd, &title) && title == s->title)))
        s->found.push_back(hwnd);
    return TRUE;
}

std::vector<HWND> visibleWindows(const std::wstring& cls, const std::wstring& title, DWORD pid) {
    Search s{cls, title, pid, {}};
    EnumWindows(collect, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

std::vector<HWND> mainWindows() {
    std::vector<HWND> found;
    for (HWND hwnd = FindWindowExW(nullptr, nullptr, kForm1Class, kForm1Caption); hwnd;
         hwnd = FindWindowExW(nullptr, hwnd, kForm1Class, kForm1Caption))
        found.push_back(hwnd);
    return found;
}

// Polls until done() holds; false after kWaitMs.
template <typename Condition> bool waitFor(Condition done) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > kWaitMs)
            return false;
        Sleep(5);
    }
    return true;
}

bool shown(HWND hwnd) { return IsWindowVisible(hwnd) && !IsIconic(hwnd); }

// --- one round trip each ----------------------------------------------------

int aboutRoundTrip(HWND main, DWORD pid) {
    HWND button = GetDlgItem(main, ControlId::AboutBut);
    if (!button || !PostMessageW(button, BM_CLICK, 0, 0))
        return fail(L"could not click About");
    HWND about = nullptr;
    if (!waitFor([&] {
            std::vector<HWND> found = visibleWindows(L"#32770", L"About Kelvarion", pid);
            about = found.empty() ? nullptr : found.front();
            return about != nullptr;
        }))
        return fail(L"the About box did not open");
    if (visibleWindows(L"#32770", L"", pid).size() != 1)
        return fail(L"more than one dialog is open with the About box");
    HWND ok = GetDlgItem(about, IDOK);
    if (!ok || !PostMessageW(ok, BM_CLICK, 0, 0))
        return fail(L"the About box has no OK button");
    if (!waitFor([&] { return !IsWindow(about) || !IsWindowVisible(about); }))
        return fail(L"the About box did not close after OK");
    return kOk;
}

int menuRoundTrip(HWND main, DWORD pid) {
    if (!PostMessageW(main, kTrayMessage, kTrayIconId, kRightButtonUp))
        return fail(L"could not post the tray right click");
    HWND menu = nullptr;
    if (!waitFor([&] {
            std::vector<HWND> found = visibleWindows(L"#32768", L"", pid);
            menu = found.empty() ? nullptr : found.front();
            return menu != nullptr;
        }))
        return fail(L"the tray menu did not open");
    // What a click elsewhere does: DefWindowProc ends the menu's modal loop.
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(main, WM_CANCELMODE, 0, 0, SMTO_NORMAL, kAnswerMs, &result))
        return fail(L"WM_CANCELMODE was not answered while the menu was open");
    if (!waitFor([&] { return visibleWindows(L"#32768", L"", pid).empty(); }))
        return fail(L"the tray menu did not close");
    return kOk;
}

int hideAndBringBack(HWND main, bool minimize) {
    if (minimize) {
        if (!SendMessageTimeoutW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0, SMTO_NORMAL, kAnswerMs,
                                 nullptr))
            return fail(L"SC_MINIMIZE was not answered");
    } else {
        HWND close = GetDlgItem(main, ControlId::Close);
        if (!close || !PostMessageW(close, BM_CLICK, 0, 0))
            return fail(L"could not click Close");
    }
    if (!waitFor([&] { return !IsWindowVisible(main); }))
        return fail(minimize ? L"the window is still visible after a minimize"
                             : L"the window is still visible after Close");
    if (!PostMessageW(main, kTrayMessage, kTrayIconId, kLeftButtonUp))
        return fail(L"could not post the tray click");
    if (!waitFor([&] { return shown(main); }))
        return fail(L"a tray click did not bring the window back");
    return kOk;
}

// --- commands ---------------------------------------------------------------

using Args = std::vector<std::wstring>;

HWND theMainWindow() {
    std::vector<HWND> found = mainWindows();
    return found.size() == 1 ? found.front() : nullptr;
}

HWND mainWindowOf(const std::wstring& pidText) {
    long pid = 0;
    if (!parseNumber(pidText, &pid))
        return nullptr;
    for (HWND hwnd : mainWindows()) {
        if (processOf(hwnd) == static_cast<DWORD>(pid))
            return hwnd;
    }
    return nullptr;
}

int cmdUiCycles(const Args& a) {
    long cycles = 0;
    if (a.size() != 1 || !parseNumber(a[0], &cycles) || cycles < 1)
        return usage("ui-cycles N");
    HWND main = theMainWindow();
    if (!main)
        return fail(L"not exactly one main window");
    DWORD pid = processOf(main);
    if (!shown(main))
        return fail(L"the window is not shown at the start of a cycle");
    for (long i = 0; i < cycles; ++i) {
        if (int rc = aboutRoundTrip(main, pid))
            return rc;
        if (int rc = menuRoundTrip(main, pid))
            return rc;
        if (int rc = hideAndBringBack(main, i % 2 == 0))
            return rc;
    }
    return kOk;
}

int setText(HWND control, const std::wstring& text) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                             SMTO_NORMAL, kAnswerMs, &result) ||
        !result)
        return fail(L"WM_SETTEXT failed");
    std::wstring now;
    if (!windowText(control, &now))
        return fail(L"the text cannot be read back");
    return now == text ? kOk
                       : fail(L"the text reads back with " + std::to_wstring(now.size()) +
                              L" characters instead of " + std::to_wstring(text.size()));
}

int cmdSetTextAnsi(const Args& a) {
    long id = 0;
    if (a.size() != 2 || !parseNumber(a[0], &id))
        return usage("set-text-ansi ID PATH");
    HWND main = theMainWindow();
    HWND control = main ? GetDlgItem(main, static_cast<int>(id)) : nullptr;
    if (!control)
        return fail(L"no control " + a[0] + L" in exactly one main window");
    HANDLE file = CreateFileW(a[1].c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return fail(L"cannot open " + a[1]);
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    BOOL ok = bytes.empty() || ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    if (!ok || read != bytes.size())
        return fail(L"cannot read " + a[1]);
    return setText(control, fromCodePage(CP_ACP, bytes));
}

int cmdGetTextAnsi(const Args& a) {
    long id = 0;
    if (a.size() != 2 || !parseNumber(a[0], &id))
        return usage("get-text-ansi ID PATH");
    HWND main = theMainWindow();
    HWND control = main ? GetDlgItem(main, static_cast<int>(id)) : nullptr;
    std::wstring text;
    if (!control || !windowText(control, &text))
        return fail(L"cannot read control " + a[0]);
    std::string bytes;
    if (!toCodePage(CP_ACP, text, &bytes))
        return fail(L"the text does not fit the ANSI code page");
    HANDLE file = CreateFileW(a[1].c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return fail(L"cannot create " + a[1]);
    DWORD written = 0;
    BOOL ok = bytes.empty() ||
              WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size() ? kOk : fail(L"cannot write " + a[1]);
}

int cmdMains(const Args& a) {
    if (!a.empty())
        return usage("mains takes no arguments");
    for (HWND hwnd : mainWindows())
        write(STD_OUTPUT_HANDLE, toUtf8(hex(hwnd) + L" " + std::to_wstring(processOf(hwnd))) + "\n");
    return kOk;
}

// As kvdriver's wait-window: a sent message may be handled before the program has read
// config.kv, a posted one only in the message loop, which starts after that. The marker is
// the modified flag of the minutes box, which the program does not use.
int cmdWaitReady(const Args& a) {
    if (a.size() != 1)
        return usage("wait-ready PID");
    HWND box = nullptr;
    if (!waitFor([&] {
            HWND main = mainWindowOf(a[0]);
            box = main ? GetDlgItem(main, ControlId::everyNMins) : nullptr;
            return box != nullptr;
        }))
        return fail(L"no main window with a minutes box for process " + a[0]);
    if (!SendMessageTimeoutW(box, EM_SETMODIFY, FALSE, 0, SMTO_NORMAL, kAnswerMs, nullptr) ||
        !PostMessageW(box, EM_SETMODIFY, TRUE, 0))
        return fail(L"process " + a[0] + L" does not answer");
    if (!waitFor([&] {
            DWORD_PTR modified = 0;
            return SendMessageTimeoutW(box, EM_GETMODIFY, 0, 0, SMTO_NORMAL, kAnswerMs,
                                       &modified) &&
                   modified;
        }))
        return fail(L"process " + a[0] + L" did not reach its message loop");
    SendMessageTimeoutW(box, EM_SETMODIFY, FALSE, 0, SMTO_NORMAL, kAnswerMs, nullptr);
    return kOk;
}

int cmdGetTextPid(const Args& a) {
    long id = 0;
    if (a.size() != 2 || !parseNumber(a[1], &id))
        return usage("get-text-pid PID ID");
    HWND main = mainWindowOf(a[0]);
    HWND control = main ? GetDlgItem(main, static_cast<int>(id)) : nullptr;
    std::wstring text;
    if (!control || !windowText(control, &text))
        return fail(L"cannot read control " + a[1] + L" of process " + a[0]);
    write(STD_OUTPUT_HANDLE, toUtf8(text) + "\n");
    return kOk;
}

int cmdSetTextPid(const Args& a) {
    long id = 0;
    if (a.size() != 3 || !parseNumber(a[1], &id))
        return usage("set-text-pid PID ID TEXT");
    HWND main = mainWindowOf(a[0]);
    HWND control = main ? GetDlgItem(main, static_cast<int>(id)) : nullptr;
    if (!control)
        return fail(L"no control " + a[1] + L" in a main window of process " + a[0]);
    return setText(control, a[2]);
}

int cmdClickPid(const Args& a) {
    long id = 0;
    if (a.size() != 2 || !parseNumber(a[1], &id))
        return usage("click-pid PID ID");
    HWND main = mainWindowOf(a[0]);
    HWND button = main ? GetDlgItem(main, static_cast<int>(id)) : nullptr;
    if (!button)
        return fail(L"no button " + a[1] + L" in a main window of process " + a[0]);
    return PostMessageW(button, BM_CLICK, 0, 0) ? kOk : fail(L"PostMessage BM_CLICK failed");
}

// A program's command line: each argument quoted (none here holds a quote).
int cmdStartShown(const Args& a) {
    long show = 0;
    if (a.size() < 2 || !parseNumber(a[0], &show))
        return usage("start-shown SHOW PROGRAM [ARGS...]");
    std::wstring commandLine;
    for (size_t i = 1; i < a.size(); ++i)
        commandLine += (i > 1 ? L" \"" : L"\"") + a[i] + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(a[1].c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return fail(L"CreateProcess failed, error " + std::to_wstring(GetLastError()));
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
    if (message == WM_COPYDATA)
        return FALSE;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

int cmdRefuseTray(const Args& a) {
    if (a.size() != 1)
        return usage("refuse-tray RELEASE");
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = refusingTrayProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"Shell_TrayWnd";
    if (!RegisterClassW(&windowClass))
        return fail(L"RegisterClass failed, error " + std::to_wstring(GetLastError()));
    HWND tray = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, windowClass.lpszClassName,
                                nullptr, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                windowClass.hInstance, nullptr);
    if (!tray)
        return fail(L"CreateWindowEx failed, error " + std::to_wstring(GetLastError()));
    SetWindowPos(tray, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (FindWindowW(windowClass.lpszClassName, nullptr) != tray)
        return fail(L"the taskbar's notification area is still found first");
    write(STD_OUTPUT_HANDLE, "refusing\n");
    while (GetFileAttributesW(a[0].c_str()) == INVALID_FILE_ATTRIBUTES) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    DestroyWindow(tray);
    write(STD_OUTPUT_HANDLE, "released\n");
    return kOk;
}

struct Command {
    const wchar_t* name;
    int (*run)(const Args&);
};

const Command kCommands[] = {
    {L"ui-cycles", cmdUiCycles},        {L"set-text-ansi", cmdSetTextAnsi},
    {L"get-text-ansi", cmdGetTextAnsi}, {L"mains", cmdMains},
    {L"wait-ready", cmdWaitReady},      {L"get-text-pid", cmdGetTextPid},
    {L"set-text-pid", cmdSetTextPid},   {L"click-pid", cmdClickPid},
    {L"start-shown", cmdStartShown},    {L"refuse-tray", cmdRefuseTray},
};

} // namespace

int main() {
    // The wide command line keeps non-ASCII texts intact whatever the code page.
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 2)
        return usage("no command");
    std::wstring name = argv[1];
    Args args(argv + 2, argv + argc);
    LocalFree(argv);
    for (const Command& c : kCommands) {
        if (name == c.name)
            return c.run(args);
    }
    return usage("unknown command");
}
