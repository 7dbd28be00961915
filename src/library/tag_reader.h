#pragma once
// The ID3 version 1 tag: the fixed 128-byte block at the end of an MP3 file;
// for files without one, the texts of the version 2 tag at the front.
#include <cstdint>
#include <string>

#include "model/state_record.h"
#include "platform/message_pump.h"

namespace tw {

class FileSystem;
class TextCodec;

struct TagBlock {
    std::string Marker, Title, Artist, Album, Year, Comment;
    uint8_t Genre = 0;
};

// Reads the tag of the file at `path`: the version 1 block at its end, or
// when its last 128 bytes do not start with "TAG" (audio data is no tag),
// the title, artist, album and comment of a version 2 tag at its front,
// with no marker, year or genre. With `preferId3v2`, a file that has both
// takes each of those four fields from its version 2 tag where that has
// it, and from the version 1 block otherwise. Texts are whole UTF-8.
// False (and an empty block) when the name does not end in ".mp3" in any
// case, the file cannot be read, or it has neither tag.
bool ReadTag(FileSystem& fs, TextCodec& codec, const std::string& path, TagBlock& tag, bool preferId3v2 = true);

// Tag texts read before, of files that have not changed since.
class KnownTags {
public:
    virtual ~KnownTags() = default;
    // The texts of track i's file (FileName and FolderIndex are not used),
    // when that file is as it was when they were read.
    virtual bool Find(int16_t i, TrackView& texts) const = 0;
};

// Fills the tag fields of every track of root r, counting each file in the
// root's TagsRead and in TagsReadCount. A track `known` has texts for
// takes them instead of reading its file. Yields after each file read and
// returns as soon as the job is stopped.
void ReadRootTags(TrackLibrary& lib, FileSystem& fs, TextCodec& codec, const JobControl& job, int16_t r,
                  bool preferId3v2, const KnownTags* known = nullptr);

// The text up to its first NUL, or all of it.
std::string CutAtNul(const std::string& text);

}  // namespace tw
