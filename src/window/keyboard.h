#pragma once
// The keyboard beyond the keyword box: the chord that summons the window
// from anywhere, and the media keys, which run the pads' player commands
// also while another program is in front.
//
// A media key reaches the program one of three ways: as its own hotkey
// where no other program holds it; as an application command when the
// window has the focus; or from the shell when another window has it. A
// key held as a hotkey never comes the other ways, so each press acts once.
#include <cstdint>
#include <string>

namespace tw {

struct AppContext;

enum class MediaKey { PlayPause, Stop, Next, Previous };
enum class KeySource { Hotkey, Window, Shell };

// Hotkey ids: the summoning chord, then the media keys in MediaKey order.
constexpr int kSummonHotkey = 1;
constexpr int kFirstMediaHotkey = 2;

// The virtual keys of the media keys, in MediaKey order.
constexpr int32_t kMediaKeyCodes[4] = {0xB3, 0xB2, 0xB0, 0xB1};

// "Ctrl+Alt+Space" and the like, for a chord as Settings keeps it.
std::string ChordName(int32_t chord);

// Takes the hotkey and the media keys as the settings ask, letting go of
// what was held before. A chord another program holds is said on the
// status line (at start-up with the banner); the media keys it cannot hold
// are left to the other two ways.
void ApplyKeyboard(AppContext& ctx, bool atStartUp);
// Lets go of all of it (the window is going).
void ReleaseKeyboard(AppContext& ctx);

// A hotkey fired: the summoning chord shows the window from any state,
// brings it to the front and puts the focus in the keyword box with its
// text selected, so that typing replaces the keyword.
void OnHotkey(AppContext& ctx, int id);

// A media key from one of the three ways; true when it was acted on, so
// the window need not pass it on.
bool OnMediaKey(AppContext& ctx, MediaKey key, KeySource source);

}  // namespace tw
