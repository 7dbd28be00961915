#pragma once
// The keyword search: every word of the keyword must occur, in upper case,
// in the text built for a track from the chosen fields.
#include <cstdint>
#include <string>

namespace tw {

struct AppContext;

// Splits at spaces (ideographic spaces count as spaces) into SearchWords.
void SplitKeyword(AppContext& ctx, const std::string& keyword);

// The text matched for track t of root r.
std::string TrackText(const AppContext& ctx, int16_t r, int16_t t);

// True when every word of SearchWords occurs in `text` (true for none).
bool MatchesAllWords(AppContext& ctx, const std::string& text);

// Fills SearchHits with the matching tracks in library order, at most
// MaxHits of them. Yields once per track; a cancel keeps the hits so far.
void SearchTracks(AppContext& ctx, const std::string& keyword);

}  // namespace tw
