#pragma once
// The player's place kept over a restart: the play list entry and the
// position it was left at.
#include <cstdint>
#include <string_view>

namespace tw {

struct AppContext;

// A check of a play list entry's path, to tell it from another entry.
int32_t PathCheck(std::string_view path);

// Notes the current entry and its position in the settings, for the next
// start; notes nothing when the setting is off or the list is empty.
void KeepResumePoint(AppContext& ctx);

// At start: makes the noted entry current again (found by its path when
// the list has changed since), at the noted position when its file is still
// there and the position lies within the track. Nothing plays.
void TakeResumePoint(AppContext& ctx);

}  // namespace tw
