#pragma once
// Search as you type: while the user types in the keyword box, a pause of
// kTypeAheadPauseMs searches the box's text as Enter would and shows the
// count and the first hits in the status lines, without opening a menu or
// touching Keyword and SearchHits. Enter then takes that result at once.
#include <cstdint>
#include <string>

namespace tw {

struct AppContext;

constexpr uint32_t kTypeAheadPauseMs = 150;

// The box's text changed (typed, pasted or set).
void Tb_Change(AppContext& ctx);
// An IME composition opened or closed in the box: nothing is searched
// while one is open, and its end counts as a change.
void Tb_Composition(AppContext& ctx, bool open);

// From the main tick: searches once the box has been still long enough,
// when the setting is on and the program rests (states 21 and 31). Outside
// those states any result is dropped: a job may change the library.
void TypeAheadTick(AppContext& ctx);

// The search of one pause: `text` searched (narrowing the last result
// when `text` only adds to its text), the count and the first hits put in
// the status message.
void SearchAsTyped(AppContext& ctx, const std::string& text);

// Enter's search of `keyword`: when the last result is of this very text,
// it becomes SearchWords and SearchHits and true comes back; the search
// need not run.
bool TakeTypeAheadResult(AppContext& ctx, const std::string& keyword);

// Forgets the result (the settings or the library changed).
void DropTypeAheadResult(AppContext& ctx);

}  // namespace tw
