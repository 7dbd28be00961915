#pragma once
// The benchmark's inputs: a tree of small MP3 files on disk, and a large
// library made up in memory. Both are the same on every run.
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "model/state_record.h"

namespace twbench {

// Titles, artists, albums and comments, about one in five Japanese.
class TextMaker {
public:
    explicit TextMaker(uint32_t seed) : rng_(seed) {}
    uint32_t Next(uint32_t n) { return rng_() % n; }
    // Each fits the 30 bytes an ID3 version 1 field holds in CP932.
    std::string Title();
    std::string Artist();
    std::string Album();
    std::string Comment();  // often empty

private:
    std::string Words(size_t minWords, size_t maxWords, bool capitalise);
    std::mt19937 rng_;
};

// Bytes of `utf8` in CP932, for texts made of ASCII and three-byte
// Japanese characters only (as TextMaker's are).
size_t Cp932Size(const std::string& utf8);

struct TreeInfo {
    std::string root;                 // native path, no trailing slash
    std::vector<std::string> tops;    // top folder names, sorted
    int64_t mp3Files = 0;
    int64_t folders = 0;              // below the root
    bool generated = false;           // false: found from an earlier run
    double generateMs = 0;
};

// Makes the tree under `dir` unless an earlier run left the same one there.
// With `frontTags`, every other file has an ID3v2 tag and no ID3v1 block,
// and half of those a 200 KB cover picture before the texts. False with
// `error` set when `dir` holds something else.
bool PrepareTree(const std::string& dir, int64_t files, int64_t folders, bool frontTags, TreeInfo& info,
                 std::string& error);

// Fills `lib` with `tracks` tracks spread over `roots` roots, each in an
// artist\album folder, most with tag texts.
void BuildLibrary(tw::TrackLibrary& lib, int64_t tracks, int roots);

}  // namespace twbench
