#include "search/keyword_search.h"

#include <cstring>

#include "platform/text_codec.h"

namespace tw {

namespace {

const std::string kIdeographicSpace = "\xE3\x80\x80";  // U+3000

void ReplaceAll(std::string& s, const std::string& from, const std::string& to) {
    for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
}

// Upper-cased words of the last split, kept beside SearchWords so the
// words are folded once per search rather than once per track.
bool AllFound(const std::vector<std::string>& upperWords, const std::string& upperText) {
    for (const std::string& w : upperWords)
        if (upperText.find(w) == std::string::npos) return false;
    return true;
}

std::vector<std::string> UpperWords(const SearchState& s, TextCodec& codec) {
    std::vector<std::string> words;
    for (int16_t i = 0; i < s.SearchWordCount; ++i)
        words.push_back(codec.ToUpper(s.SearchWords[i]));
    return words;
}

// TrackText into `text`, replacing what it held: the search reuses one
// buffer for every track instead of building each text from temporaries.
void BuildTrackText(const Settings& set, const RootEntry& root, const TrackView& track,
                    std::string& text) {
    const FolderView folder = root.Folders[track.FolderIndex];
    text.clear();
    if (set.MatchPath) {
        text += folder.PathFromRoot;
        text += folder.Name;
    }
    if (!folder.Name.empty()) text += '\\';
    if (set.MatchFileName) text += track.FileName;
    if (set.UseTagInfo) {
        auto field = [&text](VBool chosen, std::string_view value) {
            if (!chosen) return;
            text += ' ';
            text += value;
        };
        field(set.MatchAlbum, track.Album);
        field(set.MatchArtist, track.Artist);
        field(set.MatchComment, track.Comment);
        field(set.MatchTrackName, track.Title);
    }
}


// Which of a track's texts the search looks at, in the order they lie in
// its block: the file name, then title, artist, album and comment.
struct FieldChoice {
    bool chosen[5] = {};
    bool all = false;
};

FieldChoice ChoiceOf(const Settings& set) {
    FieldChoice c;
    const bool tags = set.UseTagInfo;
    c.chosen[0] = set.MatchFileName;
    c.chosen[1] = tags && set.MatchTrackName;
    c.chosen[2] = tags && set.MatchArtist;
    c.chosen[3] = tags && set.MatchAlbum;
    c.chosen[4] = tags && set.MatchComment;
    c.all = c.chosen[0] && c.chosen[1] && c.chosen[2] && c.chosen[3] && c.chosen[4];
    return c;
}

// The text a track is matched against, in one buffer reused from track to
// track: the folder part (its path and a backslash), upper-cased once for
// every run of tracks in the same folder, then the track's block as it
// lies from its file name on, with each count and the folder number
// blanked and each text not chosen blanked too. A word never holds a space,
// so it is found here exactly when it is found in TrackText, whose texts are
// joined by spaces in another order; and it can only run from the folder
// into the file name, as there.
class SearchText {
public:
    SearchText(const Settings& set, const FieldChoice& choice, TextCodec& codec)
        : set_(set), choice_(choice), codec_(codec) {}

    const std::string& Of(const RootEntry& root, int16_t folderIndex, std::string_view block, bool ascii) {
        if (&root != root_ || folderIndex != folder_) LoadFolder(root, folderIndex);
        text_.resize(prefix_);
        text_.append(block.data() + 2, block.size() - 2);
        char* p = text_.data() + prefix_;
        size_t n = TrackList::Count(block.data());
        for (int k = 0;; ++k) {
            if (!choice_.all && !choice_.chosen[k]) std::memset(p, ' ', n);
            p += n;
            if (k == 4) break;
            const size_t gap = k == 0 ? 4 : 2;  // the folder number follows the file name
            n = TrackList::Count(p + gap - 2);
            std::memset(p, ' ', gap);
            p += gap;
        }
        // Every codec folds ASCII letters alone the same way; only other
        // text needs its mapping (and the folder part is folded already).
        if (ascii) UpperAsciiInPlace(text_.data() + prefix_, text_.size() - prefix_);
        else codec_.UpperInPlace(text_);
        return text_;
    }

private:
    void LoadFolder(const RootEntry& root, int16_t index) {
        root_ = &root;
        folder_ = index;
        const FolderView f = root.Folders[index];
        text_.clear();
        if (set_.MatchPath) {
            text_ += f.PathFromRoot;
            text_ += f.Name;
        }
        if (!f.Name.empty()) text_ += '\\';
        codec_.UpperInPlace(text_);
        prefix_ = text_.size();
    }

    const Settings& set_;
    const FieldChoice& choice_;
    TextCodec& codec_;
    const RootEntry* root_ = nullptr;
    int folder_ = -1;
    size_t prefix_ = 0;
    std::string text_;
};

}  // namespace

void SplitKeyword(SearchState& s, const std::string& keyword) {
    s.SearchWords.Clear();
    s.SearchWordCount = 0;
    std::string text = keyword;
    ReplaceAll(text, kIdeographicSpace, " ");
    const size_t b = text.find_first_not_of(' ');
    if (b == std::string::npos) return;
    text = text.substr(b, text.find_last_not_of(' ') - b + 1);
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(' ', start);
        if (end == std::string::npos) end = text.size();
        if (end > start) AppendCapped(s.SearchWords, s.SearchWordCount, text.substr(start, end - start));
        start = end + 1;
    }
}

std::string TrackText(const TrackLibrary& lib, const Settings& settings, int16_t r, int16_t t) {
    std::string text;
    const RootEntry& root = lib.LibraryRoots[r];
    BuildTrackText(settings, root, root.Tracks[t], text);
    return text;
}

bool MatchesAllWords(const SearchState& s, TextCodec& codec, const std::string& text) {
    return AllFound(UpperWords(s, codec), codec.ToUpper(text));
}

SearchHit HitOf(const TrackLibrary& lib, TrackRef ref) {
    const RootEntry& root = lib.LibraryRoots[ref.root];
    const TrackView track = root.Tracks[ref.track];
    return SearchHit{root.Path, RelativeFolderPath(root.Folders[track.FolderIndex]), std::string(track.FileName)};
}

void NarrowMatches(const SearchState& s, const TrackLibrary& lib, const Settings& settings, TextCodec& codec,
                   int limit, std::vector<TrackRef>& matches, TrackRef& next, bool& done) {
    const std::vector<std::string> words = UpperWords(s, codec);
    const FieldChoice choice = ChoiceOf(settings);
    SearchText searchText(settings, choice, codec);
    const auto matchesAt = [&](TrackRef at) {
        const RootEntry& root = lib.LibraryRoots[at.root];
        const std::string_view block = root.Tracks.Block(at.track);
        const int16_t folderIndex = TrackList::NumberAfter(block.substr(2, TrackList::Count(block.data())));
        return AllFound(words, searchText.Of(root, folderIndex, block, root.Tracks.Records()[at.track].ascii));
    };
    std::erase_if(matches, [&](TrackRef m) { return !matchesAt(m); });
    if (s.SearchWordCount == 0) matches.clear();
    done = s.SearchWordCount == 0;
    for (; !done && next.root < lib.RootCount; next = TrackRef{static_cast<int16_t>(next.root + 1), 0}) {
        const RootEntry& root = lib.LibraryRoots[next.root];
        for (; next.track < root.TrackCount; ++next.track) {
            if (static_cast<int>(matches.size()) >= limit) return;
            if (matchesAt(next)) matches.push_back(next);
        }
    }
    done = true;
}

void SearchTracks(SearchState& s, const TrackLibrary& lib, const Settings& settings, TextCodec& codec,
                  const JobControl& job, const std::string& keyword) {
    s.SearchHits.Clear();
    s.SearchHitCount = 0;
    SplitKeyword(s, keyword);
    const int16_t maxHits = settings.MaxHits;
    if (s.SearchHitCount >= maxHits || s.SearchWordCount == 0) return;

    const std::vector<std::string> words = UpperWords(s, codec);
    const FieldChoice choice = ChoiceOf(settings);
    SearchText searchText(settings, choice, codec);
    for (int16_t r = 0; r < lib.RootCount; ++r) {
        const RootEntry& root = lib.LibraryRoots[r];
        const std::vector<BlockRecord>& records = root.Tracks.Records();
        for (int16_t t = 0; t < root.TrackCount; ++t) {
            job.pump.Yield();
            if (job.Stopped()) return;
            const std::string_view block = root.Tracks.Block(t);
            const int16_t folderIndex = TrackList::NumberAfter(block.substr(2, TrackList::Count(block.data())));
            const std::string& text = searchText.Of(root, folderIndex, block, records[t].ascii);
            if (!AllFound(words, text)) continue;
            const TrackView track = root.Tracks[t];
            AppendCapped(s.SearchHits, s.SearchHitCount,
                         SearchHit{root.Path, RelativeFolderPath(root.Folders[track.FolderIndex]),
                                   std::string(track.FileName)});
            if (s.SearchHitCount >= maxHits) return;
        }
    }
}

}  // namespace tw
