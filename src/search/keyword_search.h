#pragma once
// The keyword search: every word of the keyword must occur, in upper case,
// in the text built for a track from the chosen fields.
#include <cstdint>
#include <string>

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

// Fills SearchHits with the matching tracks in library order, at most
// MaxHits of them, comparing in the codec's upper case. Yields once per
// track; a stopped job keeps the hits so far.
void SearchTracks(SearchState& s, const TrackLibrary& lib, const Settings& settings, TextCodec& codec,
                  const JobControl& job, const std::string& keyword);

}  // namespace tw
