#include "ui/form1.h"

#include <utility>

#include "about/frm_about.h"
#include "app/environment_win32.h"
#include "app/launcher_win32.h"
#include "app/module1.h"
#include "app/single_instance.h"
#include "base/controls_win32.h"
#include "base/dpi_win32.h"
#include "base/text.h"
#include "base/text_win32.h"
#include "config/config_path.h"
#include "resources/resource_ids.h"
#include "tray/tray_events.h"
#include "ui/browse_win32.h"
#include "ui/control_ids.h"
#include "ui/form1_layout.h"
#include "ui/settings_win32.h"

namespace {

constexpr UINT_PTR kTimer1 = 1;
constexpr UINT kTimer1Interval = 60000;
constexpr UINT_PTR kTrayRetryTimer = 2;
// A start's outcome, posted from the thread pool; the error code in wParam.
constexpr UINT kStartOutcomeMessage = WM_APP + 2;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;
// Marks the main window with the hash of its config.kv's folder, for a second
// copy to find; and the message that copy sends it.
constexpr const wchar_t* kFolderProperty = L"KelvarionFolder";
constexpr const wchar_t* kShowMessageName = L"Kelvarion.ShowWindow";

bool HasClass(HWND window, const wchar_t* name) {
    wchar_t className[32] = L"";
    GetClassNameW(window, className, 32);
    return lstrcmpW(className, name) == 0;
}

// Dialogs, message boxes and the Open dialog alike are cancelled.
BOOL CALLBACK CancelDialog(HWND window, LPARAM) {
    if (HasClass(window, L"#32770"))
        PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
}

template <typename Test> BOOL CALLBACK StopAt(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<std::pair<Test*, HWND>*>(param);
    if (!(*search->first)(window))
        return TRUE;
    search->second = window;
    return FALSE;
}

// The first window the test holds for: of this thread's, or of all top-level
// windows where thread is 0.
template <typename Test> HWND FirstWindow(DWORD thread, Test test) {
    std::pair<Test*, HWND> search{&test, nullptr};
    LPARAM param = reinterpret_cast<LPARAM>(&search);
    if (thread != 0)
        EnumThreadWindows(thread, StopAt<Test>, param);
    else
        EnumWindows(StopAt<Test>, param);
    return search.second;
}

// The low 32 bits: what a window property holds for builds of either width.
HANDLE FolderMark(uint64_t folderHash) {
    return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(static_cast<uint32_t>(folderHash)));
}

} // namespace

bool Form1::Register(HINSTANCE instance) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_KV_APP));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kForm1Class;
    return RegisterClassExW(&windowClass) != 0;
}

bool Form1::Create(HINSTANCE instance, const std::wstring& folder, uint64_t folderHash) {
    instance_ = instance;
    startFolder_ = folder;
    configPath_ = ConfigPathIn(startFolder_);
    ticksAreMinutes_ = GetEnvironmentVariableW(L"KV_E2E_TICK_CLOCK", nullptr, 0) != 0;
    CreateWindowExW(kExStyle, kForm1Class, kForm1Caption, kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                    CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this);
    if (hwnd_)
        SetPropW(hwnd_, kFolderProperty, FolderMark(folderHash));
    return hwnd_ != nullptr;
}

bool Form1::ShowRunningCopy(uint64_t folderHash) {
    auto isCopy = [folderHash](HWND window) {
        return HasClass(window, kForm1Class) &&
               IsFolderMark(reinterpret_cast<uintptr_t>(GetPropW(window, kFolderProperty)),
                            folderHash);
    };
    // That copy may be starting still (a /tray start at log-on), its mutex
    // taken but its window not made yet.
    HWND copy = FirstWindow(0, isCopy);
    for (DWORD waited = 0; !copy && waited < kHandOverWaitMs; waited += 100) {
        Sleep(100);
        copy = FirstWindow(0, isCopy);
    }
    if (!copy)
        return false;
    // The user started us: the right to come to the front passes to that copy.
    DWORD process = 0;
    GetWindowThreadProcessId(copy, &process);
    AllowSetForegroundWindow(process);
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(copy, RegisterWindowMessageW(kShowMessageName), 0, 0, SMTO_ABORTIFHUNG,
                        10000, &answer);
    return true;
}

LRESULT CALLBACK Form1::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Form1*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Form1*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT Form1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        Form1_Create();
        return 0;
    case WM_TIMER:
        if (wParam == kTimer1)
            Timer1_Timer();
        else if (wParam == kTrayRetryTimer)
            TrayRetry_Timer();
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED)
            OnCommand(LOWORD(wParam));
        return 0;
    case WM_SIZE:
        Form1_Resize(wParam);
        return 0;
    case WM_ACTIVATE:
        Form1_Activate(wParam);
        return 0;
    case WM_SYSCOMMAND:
        return Form1_SysCommand(wParam, lParam);
    case WM_CLOSE:
        Form1_Unload();
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        Form1_EndSession(wParam != FALSE);
        return 0;
    case WM_DESTROY:
        Form1_Destroy();
        return 0;
    case WM_SETTINGCHANGE:
        Form1_SettingChange(lParam);
        return 0;
    case WM_DPICHANGED:
        Form1_DpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case kTrayCallbackMessage:
        HandleTrayMessage(lParam);
        return 0;
    case kStartOutcomeMessage:
        Timer1_StartOutcome(static_cast<DWORD>(wParam));
        return 0;
    default:
        if (message == taskbarCreatedMessage_ && message != 0) {
            TaskbarCreated();
            return 0;
        }
        if (message == showMessage_ && message != 0) {
            if (!waysOut_.Leaving())
                ShowConfigurationWindow();
            return 0;
        }
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

void Form1::Form1_Create() {
    dpi_ = WindowDpi(hwnd_);
    icons_.Load(instance_, dpi_);
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icons_.appBig.get()));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icons_.appSmall.get()));
    for (size_t i = 0; i < kForm1ControlCount; ++i)
        CreateControl(hwnd_, instance_, kForm1Controls[i]);
    LayOut();

    mPopupSys_.reset(CreatePopupMenu());
    AppendMenuW(mPopupSys_.get(), MF_STRING, ControlId::mPopRestore, L"&Configuration...");
    AppendMenuW(mPopupSys_.get(), MF_STRING, ControlId::mPopExit, L"&Exit");

    shell_.emplace(hwnd_, icons_);
    tray_.emplace(module1.trayIconData, *shell_);
    taskbarCreatedMessage_ = RegisterWindowMessageW(L"TaskbarCreated");
    showMessage_ = RegisterWindowMessageW(kShowMessageName);
    // Run as administrator, the window would not hear the unelevated shell, nor
    // an unelevated second copy: messages above WM_USER from a lower integrity
    // level are dropped unless let in.
    for (UINT message : {taskbarCreatedMessage_, showMessage_, UINT{kTrayCallbackMessage}})
        ChangeWindowMessageFilterEx(hwnd_, message, MSGFLT_ALLOW, nullptr);
}

void Form1::LayOut() {
    fonts_ = LayOutControls(hwnd_, kForm1Controls, kForm1ControlCount, kForm1ClientWidth,
                            kForm1ClientHeight, kStyle, kExStyle, dpi_);
}

void Form1::Form1_Load(int showCommand, bool inTray) {
    // The minutes count from the moment the timer starts.
    StartSchedule(module1.tickCounter, module1.scheduleClock, Now());
    SetTimer(hwnd_, kTimer1, kTimer1Interval, nullptr);
    if (inTray) {
        // Windows applies the start's show state to the program's first
        // ShowWindow: spent here on a window that stays hidden, it cannot
        // minimize the first real show from the tray.
        ShowWindow(hwnd_, SW_HIDE);
    } else {
        ShowWindow(hwnd_, showCommand);
        UpdateWindow(hwnd_);
    }
    if (!tray_->AddTrayIcon(HandleBits(hwnd_)))
        SetTimer(hwnd_, kTrayRetryTimer, kTrayAddRetryMs, nullptr);
    HWND prgToRun = Control(ControlId::prgToRun);
    HWND everyNMins = Control(ControlId::everyNMins);
    ConfigRead read = LoadConfiguration(configPath_, module1.savedProgram, module1.savedMinutes,
                                        module1.savedEncoding, prgToRun, everyNMins);
    if (read.error != 0) {
        // Held by a scanner or a backup at log-on, perhaps: its settings are
        // not ours to overwrite with the defaults.
        configRetry_.Unreadable(read.error, GetText(prgToRun), GetText(everyNMins));
        tray_->ShowNotice(L"Kelvarion could not read its settings",
                          BalloonText(configPath_, SystemErrorText(read.error)));
    }
    if (!inTray) // a hidden window takes the focus when it is first shown
        FocusWhereItBelongs();
}

void Form1::FocusWhereItBelongs() {
    SetFocus(focus_ && IsChild(hwnd_, focus_) ? focus_ : Control(ControlId::prgToRun));
}

void Form1::Form1_Resize(WPARAM sizeType) {
    // With no tray icon to bring it back, it stays a taskbar button instead.
    if (sizeType == SIZE_MINIMIZED && !tray_->GaveUp())
        ShowWindow(hwnd_, SW_HIDE);
}

LRESULT Form1::Form1_SysCommand(WPARAM command, LPARAM lParam) {
    // Alt+F4 on the hidden window, in front for the tray menu, is not the
    // user's way out; WM_CLOSE itself still is.
    if ((command & 0xFFF0) == SC_CLOSE && !IsWindowVisible(hwnd_))
        return 0;
    return DefWindowProcW(hwnd_, WM_SYSCOMMAND, command, lParam);
}

void Form1::Form1_Activate(WPARAM state) {
    // A plain window does not keep its focus across activation as a dialog does.
    if (LOWORD(state) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus))
            focus_ = focus;
    } else if (IsWindowVisible(hwnd_)) {
        FocusWhereItBelongs();
    } else {
        // Made foreground for the tray menu while hidden: what the user types
        // next must not land in a box nobody sees, or press a button.
        SetFocus(nullptr);
    }
}

void Form1::Form1_SettingChange(LPARAM area) {
    // Explorer rebuilds its environment now; the programs we start, and our
    // own search for them, must see the same.
    const auto* name = reinterpret_cast<const wchar_t*>(area);
    if (name && EqualsIgnoringCase(name, L"Environment"))
        RefreshEnvironment();
}

void Form1::Form1_DpiChanged(int dpi, const RECT& suggested) {
    dpi_ = dpi;
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    LayOut();
    ReloadIcons();
}

// Icons at the sizes of the new DPI, in the window and the tray (whose size
// follows the system's DPI, but its handles are new); the old ones go once
// nothing shows them.
void Form1::ReloadIcons() {
    IconSet old = std::move(icons_);
    icons_.Load(instance_, dpi_);
    tray_->Refresh();
}

void Form1::SaveAndReport() {
    HWND prgToRun = Control(ControlId::prgToRun);
    HWND everyNMins = Control(ControlId::everyNMins);
    // A file unreadable at start keeps its settings until the user makes new ones.
    if (configRetry_.KeepsFile(GetText(prgToRun), GetText(everyNMins)))
        return;
    DWORD error = SaveConfiguration(configPath_, module1.savedEncoding, prgToRun, everyNMins);
    if (error == 0 || !waysOut_.TellSaveFailure())
        return;
    RunModal([&] {
        MessageBoxW(hwnd_, SaveFailureMessage(configPath_, error).c_str(), kForm1Caption,
                    MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
    });
}

// Modal loops run inside our handlers. Ending the program from the tray
// while one is open first closes it; the exit completes once it has returned.
template <typename Dialog> void Form1::RunModal(Dialog dialog) {
    waysOut_.ModalOpened();
    dialog();
    if (waysOut_.ModalClosed())
        PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void Form1::CloseModalWindows() {
    EnumThreadWindows(GetCurrentThreadId(), CancelDialog, 0);
}

// From the moment a way out begins nothing more is started, not even by a
// tick already queued or one arriving while a message box is up.
void Form1::StopTimers() {
    waysOut_.Begin();
    KillTimer(hwnd_, kTimer1);
    KillTimer(hwnd_, kTrayRetryTimer);
}

void Form1::SaveOnce() {
    if (!waysOut_.TakeLastSave())
        return;
    SaveAndReport();
    tray_->RemoveTrayIcon();
}

void Form1::Form1_Unload() {
    StopTimers();
    if (waysOut_.CloseRequested() == WaysOut::Close::CloseDialogs) {
        CloseModalWindows();
        return;
    }
    SaveOnce();
    DestroyWindow(hwnd_);
}

void Form1::Form1_EndSession(bool ending) {
    if (!ending) // the session end was cancelled: carry on
        return;
    StopTimers();
    // At log-off Windows may end the process as soon as this returns: the
    // settings are saved first, with no message to hold up the sign-out.
    waysOut_.SessionEnds();
    SaveOnce();
    // The Restart Manager (ENDSESSION_CLOSEAPP) waits for us to go by ourselves.
    Form1_Unload();
}

void Form1::Form1_Destroy() {
    StopTimers();
    RemovePropW(hwnd_, kFolderProperty);
    PostQuitMessage(0);
}

void Form1::TrayRetry_Timer() {
    if (tray_->RetryAdd())
        return;
    KillTimer(hwnd_, kTrayRetryTimer);
    // Never left running with no way in: without an icon, the window is the way.
    if (tray_->GaveUp() && !IsWindowVisible(hwnd_))
        ShowConfigurationWindow();
}

// Milliseconds that run on during sleep and never jump with the time of day.
uint64_t Form1::Now() const {
    return ticksAreMinutes_ ? testClock_ : GetTickCount64();
}

void Form1::Timer1_Timer() {
    if (waysOut_.Leaving())
        return;
    if (ticksAreMinutes_)
        testClock_ += kMinuteMs;
    if (configRetry_.Due())
        ConfigRetry_Timer();
    ReportStart(OnTick(module1.tickCounter, module1.scheduleClock, Now(),
                       GetText(Control(ControlId::everyNMins)),
                       GetText(Control(ControlId::prgToRun)), LocaleDecimalSeparator(), *this));
}

// An outcome that comes after a way out has begun changes nothing.
void Form1::Timer1_StartOutcome(DWORD error) {
    if (waysOut_.StartReturned())
        ReportStart(OnStartOutcome(module1.scheduleClock, Now(), error, *this));
}

void Form1::ReportStart(const TickOutcome& outcome) {
    if (outcome.result != TickResult::Launched && outcome.result != TickResult::Failed)
        return;
    if (outcome.retrying) // told only if the second try fails too
        return;
    if (failureNotice_.ShouldTell(startingProgram_, outcome.result == TickResult::Failed)) {
        tray_->ShowNotice(L"Kelvarion could not start the program",
                          BalloonText(startingProgram_, SystemErrorText(outcome.error)));
    }
}

// config.kv, held at start-up, is read once it is let go, into the boxes the
// user has not changed since; the minutes counted so far stay counted.
void Form1::ConfigRetry_Timer() {
    HWND prgToRun = Control(ControlId::prgToRun);
    HWND everyNMins = Control(ControlId::everyNMins);
    ConfigRead read = LoadConfiguration(
        configPath_, module1.savedProgram, module1.savedMinutes, module1.savedEncoding,
        configRetry_.MayFillProgram(GetText(prgToRun)) ? prgToRun : nullptr,
        configRetry_.MayFillMinutes(GetText(everyNMins)) ? everyNMins : nullptr);
    configRetry_.Read(read.error, read.Found());
}

void Form1::SetTrayState(TrayState state) { tray_->SetTrayState(state); }

// The start may wait a minute on a share that does not answer: it is made on
// the thread pool, with the start folder and the environment as they are now.
uint32_t Form1::BeginStart(const std::wstring& programText) {
    startingProgram_ = programText;
    DWORD error = StartInBackground(MakeStartRequest(programText, startFolder_, SW_HIDE), hwnd_,
                                    kStartOutcomeMessage);
    if (error == 0)
        waysOut_.StartBegan();
    return error;
}

void Form1::OnCommand(int id) {
    switch (id) {
    case ControlId::BrowseBut:
        BrowseBut_Click();
        break;
    case ControlId::AboutBut:
        AboutBut_Click();
        break;
    case ControlId::Close:
        Close_Click();
        break;
    case ControlId::butExit:
        butExit_Click();
        break;
    case ControlId::mPopRestore:
        ShowConfigurationWindow();
        break;
    case ControlId::mPopExit:
        mPopExit_Click();
        break;
    }
}

void Form1::BrowseBut_Click() {
    HWND prgToRun = Control(ControlId::prgToRun);
    std::optional<std::wstring> chosen;
    RunModal([&] {
        Win32OpenDialog dialog(hwnd_);
        Win32ProgramLookup lookup(startFolder_);
        Win32WorkingDirectory workingDirectory;
        chosen = BrowseForProgram(GetText(prgToRun), Win32OpenDialog::kCapacity, dialog, lookup,
                                  workingDirectory);
    });
    if (chosen && !waysOut_.Leaving())
        SetWindowTextW(prgToRun, chosen->c_str());
}

void Form1::AboutBut_Click() {
    RunModal([&] { ShowAbout(instance_, hwnd_); });
}

void Form1::Close_Click() {
    ShowWindow(hwnd_, tray_->GaveUp() ? SW_MINIMIZE : SW_HIDE);
}

void Form1::butExit_Click() {
    StopTimers();
    SaveAndReport();
    if (waysOut_.Saved()) // the program was ended while the failure message was up
        return;
    tray_->RemoveTrayIcon();
    SendMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void Form1::mPopExit_Click() { SendMessageW(hwnd_, WM_CLOSE, 0, 0); }

void Form1::TaskbarCreated() {
    if (waysOut_.Leaving())
        return;
    // It also comes after a change of the display scaling: the pictures are
    // made again at the size the notification area now draws them. The old
    // ones go once the shell has the new.
    TrayIcons old = std::move(icons_.tray);
    icons_.tray.Load(instance_);
    if (tray_->AddAgain())
        KillTimer(hwnd_, kTrayRetryTimer);
    else // refused by the new taskbar too: tried again, as at log-on
        SetTimer(hwnd_, kTrayRetryTimer, kTrayAddRetryMs, nullptr);
}

void Form1::HandleTrayMessage(LPARAM event) {
    switch (DecodeTrayEvent(static_cast<uint32_t>(event))) {
    case TrayAction::ShowWindow:
        ShowConfigurationWindow();
        break;
    case TrayAction::PopupMenu:
        ShowTrayMenu();
        break;
    case TrayAction::None:
        break;
    }
}

void Form1::ShowConfigurationWindow() {
    // Shows a hidden window and un-minimizes one, normal-sized. Unlike SW_SHOW,
    // Windows never swaps it for the start's show state, should that be unspent.
    ShowWindow(hwnd_, SW_RESTORE);
    // With a modal dialog open, it comes to the front with the window.
    HWND modal = waysOut_.ModalOpen() ? OpenModalWindow() : nullptr;
    SetForegroundWindow(modal ? modal : hwnd_);
    if (!modal)
        FocusWhereItBelongs();
}

// The dialog that takes input now: of this thread's windows, the one shown
// and enabled (a message box over the About box leaves the About box disabled).
HWND Form1::OpenModalWindow() const {
    return FirstWindow(GetCurrentThreadId(), [this](HWND window) {
        return window != hwnd_ && IsWindowVisible(window) && IsWindowEnabled(window);
    });
}

void Form1::ShowTrayMenu() {
    // Without the foreground the menu would not close on a click elsewhere.
    SetForegroundWindow(hwnd_);
    POINT at{};
    GetCursorPos(&at);
    UINT align = GetSystemMetrics(SM_MENUDROPALIGNMENT) ? TPM_RIGHTALIGN : TPM_LEFTALIGN;
    UINT chosen = static_cast<UINT>(TrackPopupMenuEx(
        mPopupSys_.get(), align | TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y, hwnd_, nullptr));
    PostMessageW(hwnd_, WM_NULL, 0, 0);
    if (chosen != 0) {
        PostMessageW(hwnd_, WM_COMMAND, chosen, 0); // as the menu itself would
        return;
    }
    // Closed with Esc or a click on nothing: the keyboard goes back to the
    // notification area, unless the user has gone on to another window.
    if (!IsWindowVisible(hwnd_) && GetForegroundWindow() == hwnd_)
        tray_->ReturnFocus();
}
