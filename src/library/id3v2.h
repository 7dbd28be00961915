#pragma once
// The ID3 version 2 tag at the front of an MP3 file: its title, artist,
// album and first comment, for files that carry no version 1 block.
#include <string>

namespace tw {

class ByteSource;

struct Id3v2Text {
    std::string Title, Artist, Album, Comment;  // UTF-8
};

// Reads the ID3v2 tag (versions 2.2, 2.3 and 2.4) at offset 0 of `file`.
// False, with every field empty, when there is no usable tag. Reads only
// the header and the frames it needs; never trusts a size past the file.
// True exactly when some field is non-empty. Each field is the first value
// of the first readable frame of its kind, as valid UTF-8 (U+FFFD for what
// does not decode; UTF-16 without a BOM taken as little-endian), trimmed of
// spaces and at most 255 bytes, cut between characters. A damaged frame ends
// the tag there: fields from the whole frames before it are kept.
bool ReadId3v2(ByteSource& file, Id3v2Text& out);

}  // namespace tw
