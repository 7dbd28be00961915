#include "library/tag_reader.h"

#include <cstring>

#include "library/id3v2.h"
#include "model/text_blocks.h"
#include "platform/files.h"
#include "platform/text_codec.h"

namespace tw {

namespace {

constexpr uint32_t kTagSize = 128;

// Code page first, then the cut and the trim. No double-byte character
// holds a NUL byte, so cutting the raw bytes first gives the same text and
// spares converting the padding. ASCII is the same in every code page and
// skips the codec; the trim copies only when there is something to trim.
std::string Field(TextCodec& codec, const std::string& block, size_t at, size_t size) {
    const char* begin = block.data() + at;
    const void* nul = std::memchr(begin, '\0', size);
    std::string text(begin, nul ? static_cast<const char*>(nul) - begin : size);
    if (!IsAsciiText(text.data(), text.size())) text = codec.FromAnsi(text);
    const size_t b = text.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    const size_t e = text.find_last_not_of(' ');
    if (b == 0 && e + 1 == text.size()) return text;
    return text.substr(b, e - b + 1);
}

// The texts of the ID3v2 tag at the file's front over the fields they
// have, whole: a tagger that writes both tags fills the ID3v1 block with
// its own lossy copy ("?????" for what the code page lacks, cut at 30
// bytes). False when there is no such tag.
bool TakeFrontTag(ByteSource& file, TagBlock& tag) {
    Id3v2Text v2;
    if (!ReadId3v2(file, v2)) return false;
    for (auto [field, value] : {std::pair{&tag.Title, &v2.Title}, {&tag.Artist, &v2.Artist},
                                {&tag.Album, &v2.Album}, {&tag.Comment, &v2.Comment}})
        if (!value->empty()) *field = std::move(*value);
    return true;
}

bool EndsWithMp3(const std::string& path) {
    if (path.size() < 4) return false;
    static const char kExt[] = ".MP3";
    for (size_t i = 0; i < 4; ++i) {
        char c = path[path.size() - 4 + i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != kExt[i]) return false;
    }
    return true;
}

}  // namespace

std::string CutAtNul(const std::string& text) {
    const size_t nul = text.find('\0');
    return nul == std::string::npos ? text : text.substr(0, nul);
}

bool ReadTag(FileSystem& fs, TextCodec& codec, const std::string& path, TagBlock& tag, bool preferId3v2) {
    tag = TagBlock{};
    if (path.find_first_not_of(' ') == std::string::npos || !EndsWithMp3(path)) return false;
    const std::unique_ptr<ByteSource> file = fs.OpenRead(path);
    if (!file) return false;
    const uint64_t size = file->Size();
    std::string block;
    if (size >= kTagSize && !file->ReadAt(size - kTagSize, kTagSize, block)) return false;
    if (block.size() != kTagSize || block.compare(0, 3, "TAG") != 0) return TakeFrontTag(*file, tag);
    tag.Marker = Field(codec, block, 0, 3);
    tag.Title = Field(codec, block, 3, 30);
    tag.Artist = Field(codec, block, 33, 30);
    tag.Album = Field(codec, block, 63, 30);
    tag.Year = Field(codec, block, 93, 4);
    tag.Comment = Field(codec, block, 97, 30);
    tag.Genre = static_cast<uint8_t>(block[127]);
    // Most files with a version 1 block have no front tag: a look at three
    // bytes spares them the reader's first chunk.
    std::string front;
    if (preferId3v2 && file->ReadAt(0, 3, front) && front == "ID3") TakeFrontTag(*file, tag);
    return true;
}

void ReadRootTags(TrackLibrary& lib, FileSystem& fs, TextCodec& codec, const JobControl& job, int16_t r,
                  bool preferId3v2, const KnownTags* known) {
    std::string path;  // reused: one buffer for every file's path
    int sinceYield = 0;
    for (int16_t i = 0; i < lib.LibraryRoots[r].TrackCount; ++i) {
        RootEntry& root = lib.LibraryRoots[r];
        const TrackView track = root.Tracks[i];
        TrackView kept;
        TagBlock tag;
        const bool isKnown = known && known->Find(i, kept);
        if (isKnown) {
            tag.Title = kept.Title, tag.Artist = kept.Artist, tag.Album = kept.Album, tag.Comment = kept.Comment;
        } else {
            const FolderView folder = root.Folders[track.FolderIndex];
            path.assign(root.Path);
            path += folder.PathFromRoot;  // RelativeFolderPath, without its temporaries
            if (!folder.Name.empty()) {
                path += folder.Name;
                path += '\\';
            }
            path += track.FileName;
            ReadTag(fs, codec, path, tag, preferId3v2);  // empty fields when none
        }
        // Writing texts appends a block; a file without a tag whose track
        // has none either is left as it is.
        const bool hadTags = !track.Title.empty() || !track.Artist.empty() || !track.Album.empty() ||
                             !track.Comment.empty();
        if (hadTags || !tag.Title.empty() || !tag.Artist.empty() || !tag.Album.empty() || !tag.Comment.empty())
            root.Tracks.SetTags(i, tag.Title, tag.Artist, tag.Album, tag.Comment);
        ++root.TagsRead;
        ++lib.TagsReadCount;
        // Texts taken over cost no file: yielding for each of them would
        // cost more than the work.
        if (isKnown && ++sinceYield < 64) continue;
        sinceYield = 0;
        job.pump.Yield();
        if (job.Stopped()) break;
    }
    // Each tag read left the track's first block behind.
    lib.LibraryRoots[r].Tracks.Compact();
}

}  // namespace tw
