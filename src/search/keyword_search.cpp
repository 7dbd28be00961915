#include "search/keyword_search.h"

#include "core/app_context.h"
#include "platform/message_pump.h"
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

std::vector<std::string> UpperWords(AppContext& ctx) {
    const SearchState& s = ctx.live.Search;
    std::vector<std::string> words;
    for (int16_t i = 0; i < s.SearchWordCount; ++i)
        words.push_back(ctx.platform.codec->ToUpper(s.SearchWords[i]));
    return words;
}

// TrackText into `text`, replacing what it held: the search reuses one
// buffer for every track instead of building each text from temporaries.
void BuildTrackText(const Settings& set, const RootEntry& root, const TrackEntry& track,
                    std::string& text) {
    const FolderEntry& folder = root.Folders[track.FolderIndex];
    text.clear();
    if (set.MatchPath) {
        text += folder.PathFromRoot;
        text += folder.Name;
    }
    if (!folder.Name.empty()) text += '\\';
    if (set.MatchFileName) text += track.FileName;
    if (set.UseTagInfo) {
        auto field = [&text](VBool chosen, const std::string& value) {
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

}  // namespace

void SplitKeyword(AppContext& ctx, const std::string& keyword) {
    SearchState& s = ctx.live.Search;
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

std::string TrackText(const AppContext& ctx, int16_t r, int16_t t) {
    std::string text;
    const RootEntry& root = ctx.live.Library.LibraryRoots[r];
    BuildTrackText(ctx.live.Settings, root, root.Tracks[t], text);
    return text;
}

bool MatchesAllWords(AppContext& ctx, const std::string& text) {
    return AllFound(UpperWords(ctx), ctx.platform.codec->ToUpper(text));
}

void SearchTracks(AppContext& ctx, const std::string& keyword) {
    SearchState& s = ctx.live.Search;
    s.SearchHits.Clear();
    s.SearchHitCount = 0;
    SplitKeyword(ctx, keyword);
    const int16_t maxHits = ctx.live.Settings.MaxHits;
    if (s.SearchHitCount >= maxHits || s.SearchWordCount == 0) return;

    const std::vector<std::string> words = UpperWords(ctx);
    TextCodec& codec = *ctx.platform.codec;
    const TrackLibrary& lib = ctx.live.Library;
    std::string text;
    for (int16_t r = 0; r < lib.RootCount; ++r) {
        const RootEntry& root = lib.LibraryRoots[r];
        for (int16_t t = 0; t < root.TrackCount; ++t) {
            ctx.platform.pump->Yield();
            if (ctx.run.CancelRequested || ctx.run.Quitting) return;
            const TrackEntry& track = root.Tracks[t];
            BuildTrackText(ctx.live.Settings, root, track, text);
            codec.UpperInPlace(text);
            if (!AllFound(words, text)) continue;
            AppendCapped(s.SearchHits, s.SearchHitCount,
                         SearchHit{root.Path, RelativeFolderPath(root.Folders[track.FolderIndex]),
                                   track.FileName});
            if (s.SearchHitCount >= maxHits) return;
        }
    }
}

}  // namespace tw
