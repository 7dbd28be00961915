#pragma once
// The main window's messages that its hook acts on, turned into the hook's
// events.
#include <optional>

#include "menus/window_hook.h"
#include "platform/win32/win_include.h"

namespace tw::win {

// The notification icon's own message to the main window.
constexpr UINT kTrayMessage = WM_USER + 1;

// The event a message carries for the hook; nothing for the messages the
// hook does not act on.
std::optional<HookEvent> DecodeHookMessage(UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace tw::win
