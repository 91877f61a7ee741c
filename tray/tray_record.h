// The tray icon's record as the shell reads it, and the operations on it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/tray_state.h"

// The shell's first ANSI notification record in its 32-bit form, 88 bytes.
// It is the program's state whatever the build; ToShellRecord makes the
// record a build of the other width hands to the shell.
struct TrayIconData {
    uint32_t cbSize;
    uint32_t hWnd;
    uint32_t uID;
    uint32_t uFlags;
    uint32_t uCallbackMessage;
    uint32_t hIcon;
    char szTip[64];
};
static_assert(sizeof(TrayIconData) == 88, "the shell reads exactly 88 bytes");

constexpr uint32_t kTrayIconId = 1;
constexpr uint32_t kTrayFlags = 7;                  // message + icon + tip
constexpr uint32_t kTrayCallbackMessage = 0x8000 + 1; // WM_APP + 1: never a real mouse message

// The same record as the shell of a build with pointerBytes-wide pointers
// reads it (4: the same 88 bytes; 8: 104 bytes, handles sign-extended).
struct ShellRecord {
    std::array<unsigned char, 104> bytes{};
    size_t size = 0;
};
constexpr size_t ShellRecordSize(size_t pointerBytes) { return pointerBytes == 8 ? 104 : 88; }
ShellRecord ToShellRecord(const TrayIconData& record, size_t pointerBytes);

// SetFocus is NIM_SETFOCUS, which the first record form takes as it is.
enum class TrayOp : uint32_t { Add = 0, Modify = 1, Delete = 2, SetFocus = 3 };

// Fixed-length text assignment: the text and one NUL, then blanks to 64
// bytes; longer text is cut at 64.
void FillTip(TrayIconData& record, std::string_view tip);

const char* TipFor(TrayState state);

// What the icon shows: the application's picture until the first start, then
// that of the state.
enum class TrayPicture { App, Waiting, Running };

// What the tray needs from the shell and the window.
class ITrayShell {
public:
    virtual ~ITrayShell() = default;
    virtual bool NotifyIcon(TrayOp op, const TrayIconData& record) = 0;
    // Makes the picture the window's icon, as loaded now; returns the handle
    // of the same picture at the tray's own size.
    virtual uint32_t ShowPicture(TrayPicture picture) = 0;
    // A balloon on the icon the record names.
    virtual void ShowBalloon(const TrayIconData& record, const std::wstring& title,
                             const std::wstring& text) = 0;
};

// At log-on the taskbar may refuse the first add and never announce itself
// afterwards: a refused add is tried again this often, for five minutes.
constexpr unsigned kTrayAddRetryMs = 5000;
constexpr int kTrayAddRetries = 60;

class Tray {
public:
    Tray(TrayIconData& record, ITrayShell& shell) : record_(record), shell_(shell) {}

    // Adds the icon, Waiting, with the application's picture. True when the
    // shell took it.
    bool AddTrayIcon(uint32_t window);
    // Tries a refused add again, in the current state. True while further
    // tries are due.
    bool RetryAdd();
    // A balloon on the icon. Until the shell has taken the icon it is held
    // (a newer notice replacing it, as it would replace a shown one) and
    // shown once an add succeeds.
    void ShowNotice(const std::wstring& title, const std::wstring& text);
    void SetTrayState(TrayState state);
    // The pictures were loaded again (a new DPI): the window and the tray
    // show the same picture in its new images.
    void Refresh();
    // The keyboard goes back to the notification area, as after a menu
    // closed with nothing chosen.
    void ReturnFocus();
    // Ends the tray presence: no later retry brings the icon back.
    void RemoveTrayIcon();
    // The shell's notification area was re-created, perhaps for a new
    // display scaling: register again, as we are, in the images loaded now.
    // True when the shell has the icon.
    bool AddAgain();
    // Every retry was refused and the icon is still not there: the window is
    // then the only way in. A notice held for the icon is dropped by then.
    bool GaveUp() const { return !added_ && !removed_ && retriesLeft_ <= 0; }
    TrayPicture Picture() const;

private:
    struct Notice {
        std::wstring title, text;
    };
    // An add, or a modify where the shell has the icon already.
    void AddOrUpdate();
    void ShowHeldNotice();

    TrayIconData& record_;
    ITrayShell& shell_;
    TrayState state_ = TrayState::Waiting;
    bool started_ = false; // a start has shown Running: the state's picture from then on
    bool added_ = false;
    bool removed_ = false;
    int retriesLeft_ = kTrayAddRetries;
    std::optional<Notice> heldNotice_;
};
