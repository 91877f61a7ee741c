// Form1: the one configuration window, and the owner of the timer and tray.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "app/scheduler.h"
#include "app/ways_out.h"
#include "base/controls_win32.h"
#include "base/handles_win32.h"
#include "config/config_retry.h"
#include "tray/failure_notice.h"
#include "tray/tray_record.h"
#include "tray/tray_win32.h"

class Form1 : public ILaunchHost {
public:
    static bool Register(HINSTANCE instance);
    // Creates the window hidden; Form1_Load shows it, unless the start goes
    // quietly into the tray. folder: the working directory at start-up, where
    // config.kv lives; folderHash marks the window as the copy for it.
    bool Create(HINSTANCE instance, const std::wstring& folder, uint64_t folderHash);
    // A second start on the same config.kv: the copy running for it shows its
    // window, in front. False when no such window is found.
    static bool ShowRunningCopy(uint64_t folderHash);
    void Form1_Load(int showCommand, bool inTray);
    HWND Handle() const { return hwnd_; }

    // ILaunchHost
    void SetTrayState(TrayState state) override;
    uint32_t BeginStart(const std::wstring& programText) override;
    bool Leaving() override { return waysOut_.Leaving(); }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // Window events
    void Form1_Create();
    void Form1_Resize(WPARAM sizeType);
    void Form1_Unload();
    void Form1_EndSession(bool ending);
    void Form1_Destroy();
    void Form1_Activate(WPARAM state);
    LRESULT Form1_SysCommand(WPARAM command, LPARAM lParam);
    void Form1_DpiChanged(int dpi, const RECT& suggested);
    void Form1_SettingChange(LPARAM area);
    void Timer1_Timer();
    void Timer1_StartOutcome(DWORD error);
    void ReportStart(const TickOutcome& outcome);
    void TrayRetry_Timer();
    void OnCommand(int id);
    void BrowseBut_Click();
    void AboutBut_Click();
    void Close_Click();
    void butExit_Click();
    void mPopExit_Click();
    void TaskbarCreated();
    void ConfigRetry_Timer();

    // Tray
    void HandleTrayMessage(LPARAM event);
    void ShowConfigurationWindow();
    void ShowTrayMenu();

    template <typename Dialog> void RunModal(Dialog dialog);
    void CloseModalWindows();
    HWND OpenModalWindow() const;
    void LayOut();
    void FocusWhereItBelongs();
    void ReloadIcons();
    uint64_t Now() const;
    void StopTimers();
    void SaveOnce();
    void SaveAndReport();
    HWND Control(int id) const { return GetDlgItem(hwnd_, id); }

    HWND hwnd_ = nullptr;
    HINSTANCE instance_ = nullptr;
    std::wstring startFolder_; // the working directory at start-up
    std::wstring configPath_;  // config.kv in it
    int dpi_ = USER_DEFAULT_SCREEN_DPI;
    LayoutFonts fonts_;
    UniqueMenu mPopupSys_;
    IconSet icons_;
    std::optional<Win32TrayShell> shell_;
    std::optional<Tray> tray_;
    FailureNotice failureNotice_;
    std::wstring startingProgram_; // the text of the last start, for its notice
    HWND focus_ = nullptr;
    // The end-to-end tests post WM_TIMER rather than wait a minute: with
    // KV_E2E_TICK_CLOCK set, the clock moves on a minute at every tick.
    bool ticksAreMinutes_ = false;
    uint64_t testClock_ = 0;
    UINT taskbarCreatedMessage_ = 0;
    UINT showMessage_ = 0; // from a second copy started on our config.kv
    WaysOut waysOut_;
    ConfigRetry configRetry_;
};
