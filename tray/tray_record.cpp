#include "tray/tray_record.h"

#include <cstring>

#include "base/handle_bits.h"

namespace {

void Put(ShellRecord& out, size_t offset, uint64_t value, size_t width) {
    for (size_t i = 0; i < width; ++i)
        out.bytes[offset + i] = static_cast<unsigned char>(value >> (8 * i));
}

} // namespace

ShellRecord ToShellRecord(const TrayIconData& record, size_t pointerBytes) {
    // Fields in order, each handle aligned to its own width.
    const size_t w = pointerBytes == 8 ? 8 : 4;
    ShellRecord out;
    out.size = ShellRecordSize(w);
    Put(out, 0, out.size, 4);
    size_t at = w;
    Put(out, at, WidenHandle(record.hWnd), w);
    at += w;
    Put(out, at, record.uID, 4);
    Put(out, at + 4, record.uFlags, 4);
    Put(out, at + 8, record.uCallbackMessage, 4);
    at = (at + 12 + w - 1) / w * w;
    Put(out, at, WidenHandle(record.hIcon), w);
    at += w;
    std::memcpy(&out.bytes[at], record.szTip, sizeof record.szTip);
    return out;
}

void FillTip(TrayIconData& record, std::string_view tip) {
    std::memset(record.szTip, ' ', sizeof record.szTip);
    size_t length = tip.size() < sizeof record.szTip ? tip.size() : sizeof record.szTip;
    std::memcpy(record.szTip, tip.data(), length);
    if (length < sizeof record.szTip)
        record.szTip[length] = '\0';
}

const char* TipFor(TrayState state) {
    return state == TrayState::Running ? "Kelvarion: Running" : "Kelvarion: Waiting";
}

TrayPicture Tray::Picture() const {
    if (!started_)
        return TrayPicture::App;
    return state_ == TrayState::Running ? TrayPicture::Running : TrayPicture::Waiting;
}

bool Tray::AddTrayIcon(uint32_t window) {
    record_.cbSize = sizeof(TrayIconData);
    record_.hWnd = window;
    record_.uID = kTrayIconId;
    record_.uFlags = kTrayFlags;
    record_.uCallbackMessage = kTrayCallbackMessage;
    state_ = TrayState::Waiting;
    record_.hIcon = shell_.ShowPicture(Picture());
    FillTip(record_, TipFor(state_));
    added_ = shell_.NotifyIcon(TrayOp::Add, record_);
    ShowHeldNotice();
    return added_;
}

void Tray::AddOrUpdate() {
    // An add may fail after its wait for a busy shell and the icon appear all
    // the same; another add is then refused as "already there", a modify is not.
    added_ = shell_.NotifyIcon(TrayOp::Add, record_) || shell_.NotifyIcon(TrayOp::Modify, record_);
    ShowHeldNotice();
}

bool Tray::RetryAdd() {
    if (added_ || retriesLeft_ <= 0)
        return false;
    --retriesLeft_;
    AddOrUpdate();
    if (GaveUp()) // the window shows instead, and is enough
        heldNotice_.reset();
    return !added_ && retriesLeft_ > 0;
}

void Tray::ShowNotice(const std::wstring& title, const std::wstring& text) {
    heldNotice_ = Notice{title, text};
    ShowHeldNotice();
}

void Tray::ShowHeldNotice() {
    // A balloon is a modify of the icon: before the shell has it, it is lost.
    if (!added_ || !heldNotice_)
        return;
    shell_.ShowBalloon(record_, heldNotice_->title, heldNotice_->text);
    heldNotice_.reset();
}

void Tray::Refresh() {
    record_.hIcon = shell_.ShowPicture(Picture());
    shell_.NotifyIcon(TrayOp::Modify, record_);
}

void Tray::SetTrayState(TrayState state) {
    state_ = state;
    started_ = true;
    record_.hIcon = shell_.ShowPicture(Picture());
    FillTip(record_, TipFor(state));
    shell_.NotifyIcon(TrayOp::Modify, record_);
}

void Tray::ReturnFocus() {
    if (added_)
        shell_.NotifyIcon(TrayOp::SetFocus, record_);
}

void Tray::RemoveTrayIcon() {
    retriesLeft_ = 0;
    added_ = false;
    removed_ = true;
    heldNotice_.reset();
    shell_.NotifyIcon(TrayOp::Delete, record_);
}

bool Tray::AddAgain() {
    record_.hIcon = shell_.ShowPicture(Picture());
    // Where the old icon survived (Wine keeps it), the add is refused and the
    // modify brings it up to date instead.
    AddOrUpdate();
    return added_;
}
