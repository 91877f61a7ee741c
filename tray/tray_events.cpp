#include "tray/tray_events.h"

namespace {
constexpr uint32_t kLeftButtonUp = 0x202;
constexpr uint32_t kLeftButtonDoubleClick = 0x203;
constexpr uint32_t kRightButtonUp = 0x205;
} // namespace

TrayAction DecodeTrayEvent(uint32_t lParam) {
    switch (lParam & 0xFFFF) {
    case kLeftButtonUp:
    case kLeftButtonDoubleClick:
        return TrayAction::ShowWindow;
    case kRightButtonUp:
        return TrayAction::PopupMenu;
    default:
        return TrayAction::None;
    }
}
