#include "views/win32/win_hook_messages.h"

#include <cstdint>

namespace tw::win {

namespace {

// XBUTTON1 and XBUTTON2 in the high word become the button values 8 and 16
// (the key flags in the low word are far too small to round up).
int32_t ExtraButton(WPARAM wParam) {
    const uint64_t w = static_cast<uint32_t>(wParam);
    return static_cast<int32_t>((w * 8 + 32768) / 65536);
}

}  // namespace

std::optional<HookEvent> DecodeHookMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    using K = HookEvent::Kind;
    switch (message) {
    // All 32 bits: a control's notification, with its code in the high
    // word, then matches no menu identifier.
    case WM_COMMAND: return HookEvent{K::MenuCommand, static_cast<int32_t>(static_cast<uint32_t>(wParam))};
    case WM_INITMENUPOPUP: return HookEvent{K::MenuOpened, 0};
    case WM_UNINITMENUPOPUP: return HookEvent{K::MenuClosed, 0};
    case WM_MOUSEWHEEL: return HookEvent{K::Wheel, static_cast<int16_t>((wParam >> 16) & 0xFFFF)};
    case WM_XBUTTONDOWN:
    case WM_XBUTTONDBLCLK:  // a double click is a second press
        return HookEvent{K::ExtraButtonDown, ExtraButton(wParam)};
    case WM_XBUTTONUP: return HookEvent{K::ExtraButtonUp, ExtraButton(wParam)};
    case kTrayMessage: return HookEvent{K::TrayIcon, static_cast<int32_t>(static_cast<uint32_t>(lParam))};
    default: return std::nullopt;
    }
}

}  // namespace tw::win
