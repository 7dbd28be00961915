#pragma once
// The keyword search: every word of the keyword must occur, in upper case,
// in the text built for a track from the chosen fields.
#include <cstdint>
#include <string>

#include "model/app_context.h"
#include "model/state_record.h"
#include "platform/message_pump.h"

namespace tw {

class TextCodec;

// Splits at spaces (ideographic spaces count as spaces) into SearchWords.
void SplitKeyword(SearchState& s, const std::string& keyword);

// The text matched for track t of root r.
std::string TrackText(const TrackLibrary& lib, const Settings& settings, int16_t r, int16_t t);

// True when every word of SearchWords occurs in `text` (true for none).
bool MatchesAllWords(const SearchState& s, TextCodec& codec, const std::string& text);

// The hit of a track, as the search keeps it.
SearchHit HitOf(const TrackLibrary& lib, TrackRef ref);

// Search as you type. `matches` holds tracks before `next` in library
// order; keeps those holding every word of `s` (a keyword that extends the
// one they were found for matches no others there), then looks at the
// tracks from `next` on until there are `limit` matches or none is left.
// `next` then names the first track not looked at, and `done` tells that
// it is the end. From no matches and `next` at the start this finds the
// first `limit` hits of SearchTracks. No yields: it runs between keys.
void NarrowMatches(const SearchState& s, const TrackLibrary& lib, const Settings& settings, TextCodec& codec,
                   int limit, std::vector<TrackRef>& matches, TrackRef& next, bool& done);

// Fills SearchHits with the matching tracks in library order, at most
// MaxHits of them, comparing in the codec's upper case. Yields once per
// track; a stopped job keeps the hits so far.
void SearchTracks(SearchState& s, const TrackLibrary& lib, const Settings& settings, TextCodec& codec,
                  const JobControl& job, const std::string& keyword);

}  // namespace tw
