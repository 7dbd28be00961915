#pragma once
// The records everything persistent is kept in. They mirror the data file:
// member order here is the byte order there (see data_file.h).
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/text_blocks.h"
#include "model/version.h"

namespace tw {

// Booleans are 16-bit: -1 true, 0 false; any non-zero value reads as true.
using VBool = int16_t;
constexpr VBool kTrue = -1;
constexpr VBool kFalse = 0;
inline VBool ToVBool(bool b) { return b ? kTrue : kFalse; }

// Lists are paired with 16-bit counts, so none may hold more entries.
constexpr int16_t kMaxListCount = 32767;

// A variable-size array as the data file knows it: either without storage
// at all, or a 0-based list of elements. The count field that goes with it,
// not the number of elements, says how many entries are valid.
template <class T>
struct StoredArray {
    bool hasStorage = false;
    std::vector<T> items;

    void Clear() { hasStorage = false; items.clear(); }
    void Resize(size_t n) { hasStorage = true; items.resize(n); }
    size_t size() const { return items.size(); }
    T& operator[](size_t i) { return items[i]; }
    const T& operator[](size_t i) const { return items[i]; }
    bool operator==(const StoredArray&) const = default;
};

struct RgbColor {
    int16_t Red = 0, Green = 0, Blue = 0;
    bool operator==(const RgbColor&) const = default;
};

struct WatchFolder {
    std::string Path;        // ends with a backslash
    VBool IncludeSubfolders = kFalse;
    bool operator==(const WatchFolder&) const = default;
};

struct WatchFolderSet {
    StoredArray<WatchFolder> WatchFolders;
    int16_t WatchFolderCount = 0;
    bool operator==(const WatchFolderSet&) const = default;
};

// A setting beyond the record, as the block after the record keeps it.
struct NamedValue {
    std::string name, value;
    bool operator==(const NamedValue&) const = default;
};

// The modifier bits of a hotkey, in its second byte.
enum : int32_t { kChordShift = 1, kChordControl = 2, kChordAlt = 4 };
// Ctrl+Alt+Space: no character on any AltGr layout (AltGr types only on
// the character keys), not the window menu's Alt+Space, and no IME's
// switch (those take Ctrl+Space, Shift+Space, Alt+` or a key of their own).
constexpr int32_t kDefaultHotkey = (kChordControl | kChordAlt) << 8 | 0x20;

struct Settings {
    int16_t WindowLeft = 0;
    int16_t WindowTop = 0;
    int16_t WindowWidth = 0;
    ::tw::WatchFolderSet WatchFolderSet;
    RgbColor TextColor;
    RgbColor BackColor;
    int16_t PadSize = 0;
    int16_t LineHeight = 0;
    int16_t TextLines = 0;
    VBool UseInternalPlayer = kFalse;
    int16_t MaxHits = 0;
    std::string Keyword;
    std::array<int16_t, 6> AutoHideParams{};
    VBool UseTransparency = kFalse;
    VBool Reserved = kFalse;  // kept in the file, read by nothing
    VBool AlwaysOnTop = kFalse;
    VBool AutoHide = kFalse;
    std::array<int16_t, 5> ButtonMap{};
    VBool LoopAll = kFalse;
    VBool ShuffleOnList = kFalse;
    VBool NoExternalBatch = kFalse;
    VBool HideText = kFalse;
    VBool UseTagInfo = kFalse;
    VBool MatchPath = kFalse;
    VBool MatchFileName = kFalse;
    VBool MatchArtist = kFalse;
    VBool MatchTrackName = kFalse;
    VBool MatchAlbum = kFalse;
    VBool MatchComment = kFalse;

    // Beyond the record: named values in the block after it, each written
    // only when it differs from its default here.
    VBool PreferId3v2 = kTrue;  // a field of the ID3v2 tag before the ID3v1 one
    // The chord that summons the window from anywhere: the key's virtual
    // key code in the low byte, kChordShift/Control/Alt in the next; 0 for
    // none. Ctrl+Alt+Space by default.
    int32_t Hotkey = kDefaultHotkey;
    VBool MediaKeys = kTrue;         // the keyboard's media keys run the player
    VBool SearchAsYouType = kFalse;  // search while typing, before Enter
    VBool WatchForChanges = kTrue;   // register a music folder again when it changes
    VBool ResumePlay = kTrue;        // play/pause after a start goes on where the player was left
    // Where the player was left at the last exit: the play list entry, a
    // check of its path (so that a list changed since is not misread), the
    // position and the track's length, in ms.
    int32_t ResumeEntry = 0;
    int32_t ResumeCheck = 0;
    int32_t ResumeAt = 0;
    int32_t ResumeLength = 0;
    // Named values this version does not know (a newer one's), kept as
    // they came so that they survive a save.
    std::vector<NamedValue> OtherValues;
    bool operator==(const Settings&) const = default;
};

// A track as built or compared: its own texts. The library keeps its
// tracks compactly (TrackList) and hands out TrackViews.
struct TrackEntry {
    std::string FileName;
    int16_t FolderIndex = 0;
    std::string Title, Artist, Album, Comment;
    bool operator==(const TrackEntry&) const = default;
};

// A track of the library: views of its texts, valid until the list
// changes.
struct TrackView {
    std::string_view FileName;
    int16_t FolderIndex = 0;
    std::string_view Title, Artist, Album, Comment;
};

class TrackList : public TextBlocks<5> {
public:
    TrackView operator[](size_t i) const {
        const Texts t = TextsOf(i);
        return {t[0], NumberAfter(t[0]), t[1], t[2], t[3], t[4]};
    }
    void Append(const TrackEntry& t) { TextBlocks::Append({t.FileName, t.Title, t.Artist, t.Album, t.Comment}, t.FolderIndex); }
    // A track as registered: its name and folder, no tag texts yet.
    void Append(std::string_view fileName, int16_t folderIndex) { TextBlocks::Append({fileName, {}, {}, {}, {}}, folderIndex); }
    void SetFileName(size_t i, std::string_view fileName) {
        const Texts t = TextsOf(i);
        TextBlocks::Set(i, {fileName, t[1], t[2], t[3], t[4]});
    }
    void SetTags(size_t i, std::string_view title, std::string_view artist, std::string_view album,
                 std::string_view comment) {
        TextBlocks::Set(i, {TextsOf(i)[0], title, artist, album, comment});
    }
    void SetFolderIndex(size_t i, int16_t folderIndex) { SetNumber(i, folderIndex); }
    void Set(size_t i, const TrackEntry& t) {
        TextBlocks::Set(i, {t.FileName, t.Title, t.Artist, t.Album, t.Comment});
        SetNumber(i, t.FolderIndex);
    }
    TrackEntry Entry(size_t i) const {
        const TrackView v = (*this)[i];
        return {std::string(v.FileName), v.FolderIndex, std::string(v.Title), std::string(v.Artist),
                std::string(v.Album), std::string(v.Comment)};
    }
};

// What a file was when it was listed: equal stamps of one path mean the
// file was not written in between. Known for this run only, never stored.
struct FileStamp {
    uint64_t size = 0, writeTime = 0;
    bool Known() const { return writeTime != 0; }
    bool operator==(const FileStamp&) const = default;
};

struct FolderEntry {
    std::string Name;
    int16_t Parent = -1;
    std::string PathFromRoot;
    bool operator==(const FolderEntry&) const = default;
};

struct FolderView {
    std::string_view Name;
    int16_t Parent = -1;
    std::string_view PathFromRoot;
};

class FolderList : public TextBlocks<2> {
public:
    FolderView operator[](size_t i) const {
        const Texts t = TextsOf(i);
        return {t[0], NumberAfter(t[0]), t[1]};
    }
    void Append(const FolderEntry& f) { TextBlocks::Append({f.Name, f.PathFromRoot}, f.Parent); }
    void Set(size_t i, const FolderEntry& f) {
        TextBlocks::Set(i, {f.Name, f.PathFromRoot});
        SetNumber(i, f.Parent);
    }
    void SetParent(size_t i, int16_t parent) { SetNumber(i, parent); }
    FolderEntry Entry(size_t i) const {
        const FolderView v = (*this)[i];
        return {std::string(v.Name), v.Parent, std::string(v.PathFromRoot)};
    }
};

// A track's folder relative to its root: PathFromRoot, Name and a
// backslash, or empty for the root folder itself.
inline std::string RelativeFolderPath(const FolderView& f) {
    std::string path(f.PathFromRoot);
    if (!f.Name.empty()) {
        path += f.Name;
        path += '\\';
    }
    return path;
}

struct RootEntry {
    std::string Path;
    TrackList Tracks;
    int16_t TrackCount = 0;
    FolderList Folders;
    int16_t FolderCount = 0;
    int16_t TagsRead = 0;
    bool operator==(const RootEntry&) const = default;
};

struct TrackLibrary {
    StoredArray<RootEntry> LibraryRoots;
    int16_t RootCount = 0;
    int32_t RegisteredFileCount = 0;
    int32_t TagsReadCount = 0;
    bool operator==(const TrackLibrary&) const = default;
};

// One file: its full path is the three texts joined without separators.
struct SearchHit {
    std::string RootPath;    // ends with a backslash
    std::string FolderPath;  // below the root, ends with a backslash or empty
    std::string FileName;
    std::string FullPath() const { return RootPath + FolderPath + FileName; }
    bool operator==(const SearchHit&) const = default;
};

struct SearchState {
    StoredArray<SearchHit> SearchHits;
    int16_t SearchHitCount = 0;
    StoredArray<std::string> SearchWords;
    int16_t SearchWordCount = 0;
    bool operator==(const SearchState&) const = default;
};

struct StateRecord {
    std::string Version;
    ::tw::Settings Settings;
    TrackLibrary Library;
    StoredArray<SearchHit> PlayList;
    int16_t PlayCount = 0;
    SearchState Search;
    bool operator==(const StateRecord&) const = default;
};

// Appends `item` and raises `count`, unless the list is already at the
// 16-bit limit; then nothing changes and false comes back.
template <class T>
bool AppendCapped(StoredArray<T>& list, int16_t& count, T item) {
    if (count >= kMaxListCount || count < 0) return false;
    list.hasStorage = true;
    if (list.items.size() > static_cast<size_t>(count)) list.items.resize(count);
    list.items.push_back(std::move(item));
    ++count;
    return true;
}

// The same for the library's compact lists, from whole entries.
template <class List, class Entry>
bool AppendCappedEntry(List& list, int16_t& count, const Entry& item) {
    if (count >= kMaxListCount || count < 0) return false;
    if (list.size() > static_cast<size_t>(count)) list.Resize(static_cast<size_t>(count));
    list.Append(item);
    ++count;
    return true;
}
inline bool AppendCapped(TrackList& list, int16_t& count, const TrackEntry& item) {
    return AppendCappedEntry(list, count, item);
}
inline bool AppendCapped(FolderList& list, int16_t& count, const FolderEntry& item) {
    return AppendCappedEntry(list, count, item);
}

}  // namespace tw
