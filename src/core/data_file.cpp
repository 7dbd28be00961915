#include "core/data_file.h"

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "platform/files.h"
#include "platform/text_codec.h"

namespace tw {

int RoundHalfEven(double v) {
    // nearbyint follows the current rounding mode, which is to-nearest-even
    // unless someone changed it; make sure.
    const int old = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(v);
    std::fesetround(old);
    return static_cast<int>(r);
}

namespace {

int16_t ClampToInt16(int v) {
    if (v > std::numeric_limits<int16_t>::max()) return std::numeric_limits<int16_t>::max();
    if (v < std::numeric_limits<int16_t>::min()) return std::numeric_limits<int16_t>::min();
    return static_cast<int16_t>(v);
}

// Every ANSI code page holds ASCII as it is, so texts of ASCII alone (most
// paths and names) skip the codec and its copy in both directions.
bool IsAscii(const char* p, size_t n) {
    uint64_t seen = 0;
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        std::memcpy(&w, p + i, 8);
        seen |= w;
    }
    for (; i < n; ++i) seen |= static_cast<unsigned char>(p[i]);
    return (seen & 0x8080808080808080ull) == 0;
}

// ---- writing ----

class Writer {
public:
    explicit Writer(TextCodec& codec) : codec_(codec) {}
    std::string bytes;

    void Int16(int16_t v) {
        const auto u = static_cast<uint16_t>(v);
        bytes.push_back(static_cast<char>(u & 0xFF));
        bytes.push_back(static_cast<char>(u >> 8));
    }
    void Int32(int32_t v) {
        const auto u = static_cast<uint32_t>(v);
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
    }
    void Text(const std::string& utf8) {
        if (utf8.size() <= 0xFFFF && IsAscii(utf8.data(), utf8.size())) {
            Length(utf8.size());
            bytes += utf8;
            return;
        }
        std::string ansi = codec_.ToAnsi(utf8);
        if (ansi.size() > 0xFFFF) ansi = CutToFit(utf8);
        Length(ansi.size());
        bytes += ansi;
    }
    template <class T, class F>
    void Array(const StoredArray<T>& a, F&& element) {
        if (!a.hasStorage) {
            Int16(0);
            return;
        }
        Int16(1);
        Int32(static_cast<int32_t>(a.items.size()));
        Int32(0);  // lower bound
        for (const T& item : a.items) element(item);
    }

private:
    void Length(size_t n) {
        bytes.push_back(static_cast<char>(n & 0xFF));
        bytes.push_back(static_cast<char>((n >> 8) & 0xFF));
    }
    // Drops whole UTF-8 characters from the end until the code-page form
    // fits the 16-bit length prefix.
    std::string CutToFit(std::string utf8) {
        std::string ansi = codec_.ToAnsi(utf8);
        while (ansi.size() > 0xFFFF && !utf8.empty()) {
            // Shed about as many bytes as are over, never less than one char.
            size_t over = ansi.size() - 0xFFFF;
            size_t cut = utf8.size() > over ? utf8.size() - over : 0;
            while (cut > 0 && (static_cast<unsigned char>(utf8[cut]) & 0xC0) == 0x80) --cut;
            utf8.resize(cut);
            ansi = codec_.ToAnsi(utf8);
        }
        return ansi;
    }
    TextCodec& codec_;
};

void WriteSettings(Writer& w, const Settings& s) {
    w.Int16(s.WindowLeft);
    w.Int16(s.WindowTop);
    w.Int16(s.WindowWidth);
    w.Array(s.WatchFolderSet.WatchFolders, [&](const WatchFolder& f) {
        w.Text(f.Path);
        w.Int16(f.IncludeSubfolders);
    });
    w.Int16(s.WatchFolderSet.WatchFolderCount);
    for (const RgbColor* c : {&s.TextColor, &s.BackColor}) {
        w.Int16(c->Red);
        w.Int16(c->Green);
        w.Int16(c->Blue);
    }
    w.Int16(s.PadSize);
    w.Int16(s.LineHeight);
    w.Int16(s.TextLines);
    w.Int16(s.UseInternalPlayer);
    w.Int16(s.MaxHits);
    w.Text(s.Keyword);
    for (int16_t v : s.AutoHideParams) w.Int16(v);
    w.Int16(s.UseTransparency);
    w.Int16(s.Reserved);
    w.Int16(s.AlwaysOnTop);
    w.Int16(s.AutoHide);
    for (int16_t v : s.ButtonMap) w.Int16(v);
    for (VBool v : {s.LoopAll, s.ShuffleOnList, s.NoExternalBatch, s.HideText, s.UseTagInfo,
                    s.MatchPath, s.MatchFileName, s.MatchArtist, s.MatchTrackName, s.MatchAlbum,
                    s.MatchComment})
        w.Int16(v);
}

void WriteHit(Writer& w, const SearchHit& h) {
    w.Text(h.RootPath);
    w.Text(h.FolderPath);
    w.Text(h.FileName);
}

// ---- reading ----

// Smallest number of bytes one element of each kind takes in the file; an
// element count is believed only when the bytes left could hold that many.
constexpr size_t kMinText = 2;
constexpr size_t kMinWatchFolder = kMinText + 2;
constexpr size_t kMinTrack = kMinText + 2 + 4 * kMinText;
constexpr size_t kMinFolder = kMinText + 2 + kMinText;
constexpr size_t kMinRoot = kMinText + 2 + 2 + 2 + 2 + 2;
constexpr size_t kMinHit = 3 * kMinText;

class Reader {
public:
    Reader(const std::string& bytes, TextCodec& codec) : b_(bytes), codec_(codec) {}
    bool ok = true;

    int16_t Int16() {
        if (!Need(2)) return 0;
        const auto v = static_cast<uint16_t>(Byte(0) | (Byte(1) << 8));
        pos_ += 2;
        return static_cast<int16_t>(v);
    }
    int32_t Int32() {
        if (!Need(4)) return 0;
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(Byte(i)) << (8 * i);
        pos_ += 4;
        return static_cast<int32_t>(v);
    }
    std::string Text() {
        if (!Need(2)) return {};
        const size_t n = Byte(0) | (Byte(1) << 8);
        pos_ += 2;
        if (!Need(n)) return {};
        const char* at = b_.data() + pos_;
        pos_ += n;
        if (IsAscii(at, n)) return std::string(at, n);
        return codec_.FromAnsi(std::string(at, n));
    }
    template <class T, class F>
    void Array(StoredArray<T>& a, size_t minElementSize, F&& element) {
        a.Clear();
        const int16_t dims = Int16();
        if (!ok) return;
        if (dims == 0) return;
        if (dims != 1) return Fail();
        const int32_t count = Int32();
        const int32_t lower = Int32();
        if (!ok) return;
        if (count < 0 || lower != 0) return Fail();
        if (static_cast<size_t>(count) > (b_.size() - pos_) / minElementSize) return Fail();
        a.Resize(static_cast<size_t>(count));
        for (T& item : a.items) {
            element(item);
            if (!ok) return;
        }
    }
    void Fail() { ok = false; }

private:
    bool Need(size_t n) {
        if (!ok || b_.size() - pos_ < n) {
            ok = false;
            return false;
        }
        return true;
    }
    unsigned Byte(size_t i) const { return static_cast<unsigned char>(b_[pos_ + i]); }

    const std::string& b_;
    size_t pos_ = 0;
    TextCodec& codec_;
};

void ReadSettings(Reader& r, Settings& s) {
    s.WindowLeft = r.Int16();
    s.WindowTop = r.Int16();
    s.WindowWidth = r.Int16();
    r.Array(s.WatchFolderSet.WatchFolders, kMinWatchFolder, [&](WatchFolder& f) {
        f.Path = r.Text();
        f.IncludeSubfolders = r.Int16();
    });
    s.WatchFolderSet.WatchFolderCount = r.Int16();
    for (RgbColor* c : {&s.TextColor, &s.BackColor}) {
        c->Red = r.Int16();
        c->Green = r.Int16();
        c->Blue = r.Int16();
    }
    s.PadSize = r.Int16();
    s.LineHeight = r.Int16();
    s.TextLines = r.Int16();
    s.UseInternalPlayer = r.Int16();
    s.MaxHits = r.Int16();
    s.Keyword = r.Text();
    for (int16_t& v : s.AutoHideParams) v = r.Int16();
    s.UseTransparency = r.Int16();
    s.Reserved = r.Int16();
    s.AlwaysOnTop = r.Int16();
    s.AutoHide = r.Int16();
    for (int16_t& v : s.ButtonMap) v = r.Int16();
    for (VBool* v : {&s.LoopAll, &s.ShuffleOnList, &s.NoExternalBatch, &s.HideText, &s.UseTagInfo,
                     &s.MatchPath, &s.MatchFileName, &s.MatchArtist, &s.MatchTrackName,
                     &s.MatchAlbum, &s.MatchComment})
        *v = r.Int16();
}

void ReadHit(Reader& r, SearchHit& h) {
    h.RootPath = r.Text();
    h.FolderPath = r.Text();
    h.FileName = r.Text();
}

bool CountFits(int16_t count, size_t size) {
    return count >= 0 && static_cast<size_t>(count) <= size;
}

// The rest of the program indexes the lists by their counts and follows
// folder and parent indexes; a record that would send it out of range is
// refused here rather than trusted.
bool Consistent(const StateRecord& rec) {
    const auto& wf = rec.Settings.WatchFolderSet;
    if (!CountFits(wf.WatchFolderCount, wf.WatchFolders.size())) return false;
    const auto& lib = rec.Library;
    if (!CountFits(lib.RootCount, lib.LibraryRoots.size())) return false;
    for (const RootEntry& root : lib.LibraryRoots.items) {
        if (!CountFits(root.TrackCount, root.Tracks.size())) return false;
        if (!CountFits(root.FolderCount, root.Folders.size())) return false;
        for (int16_t i = 0; i < root.TrackCount; ++i) {
            const int16_t f = root.Tracks[i].FolderIndex;
            if (f < 0 || f >= root.FolderCount) return false;
        }
        for (int16_t i = 0; i < root.FolderCount; ++i) {
            const int16_t p = root.Folders[i].Parent;
            if (p < -1 || p >= root.FolderCount) return false;
        }
    }
    if (!CountFits(rec.PlayCount, rec.PlayList.size())) return false;
    if (!CountFits(rec.Search.SearchHitCount, rec.Search.SearchHits.size())) return false;
    if (!CountFits(rec.Search.SearchWordCount, rec.Search.SearchWords.size())) return false;
    return true;
}

}  // namespace

void SetDefaults(Settings& s, int screenWidth, int screenHeight) {
    s = Settings{};
    s.WindowLeft = ClampToInt16(RoundHalfEven(screenWidth * 0.9 - 180));
    s.WindowTop = ClampToInt16(RoundHalfEven(screenHeight * 0.9 - 80));
    s.WindowWidth = 180;
    s.WatchFolderSet.WatchFolders.Clear();
    s.WatchFolderSet.WatchFolderCount = 0;
    s.TextColor = {0, 0, 255};
    s.BackColor = {200, 200, 255};
    s.PadSize = 18;
    s.LineHeight = 13;
    s.TextLines = 6;
    s.UseInternalPlayer = kTrue;
    s.MaxHits = 30;
    s.Keyword = "mp3";
    s.AutoHideParams = {2, 30, 32, 65, 67, 2};
    s.UseTransparency = kTrue;
    s.Reserved = kTrue;
    s.AlwaysOnTop = kTrue;
    s.AutoHide = kTrue;
    s.ButtonMap = {7, 6, 1, 4, 5};
    s.LoopAll = kTrue;
    s.ShuffleOnList = kFalse;
    s.NoExternalBatch = kFalse;
    s.HideText = kFalse;
    s.UseTagInfo = kTrue;
    s.MatchPath = s.MatchFileName = s.MatchArtist = kTrue;
    s.MatchTrackName = s.MatchAlbum = s.MatchComment = kTrue;
}

namespace {

// Roughly the record's size, to reserve once rather than let a library of
// many megabytes grow by doubling. Texts count at their UTF-8 size, which
// the code page form seldom exceeds; a miss only means growing as before.
size_t SizeHint(const StateRecord& rec) {
    size_t n = 4096;
    for (const RootEntry& root : rec.Library.LibraryRoots.items) {
        n += 64 + root.Path.size();
        for (const TrackEntry& t : root.Tracks.items)
            n += 12 + t.FileName.size() + t.Title.size() + t.Artist.size() + t.Album.size() +
                 t.Comment.size();
        for (const FolderEntry& f : root.Folders.items) n += 6 + f.Name.size() + f.PathFromRoot.size();
    }
    return n;
}

}  // namespace

std::string EncodeState(const StateRecord& rec, TextCodec& codec) {
    Writer w(codec);
    w.bytes.reserve(SizeHint(rec));
    w.Text(rec.Version);
    WriteSettings(w, rec.Settings);

    const TrackLibrary& lib = rec.Library;
    w.Array(lib.LibraryRoots, [&](const RootEntry& root) {
        w.Text(root.Path);
        w.Array(root.Tracks, [&](const TrackEntry& t) {
            w.Text(t.FileName);
            w.Int16(t.FolderIndex);
            w.Text(t.Title);
            w.Text(t.Artist);
            w.Text(t.Album);
            w.Text(t.Comment);
        });
        w.Int16(root.TrackCount);
        w.Array(root.Folders, [&](const FolderEntry& f) {
            w.Text(f.Name);
            w.Int16(f.Parent);
            w.Text(f.PathFromRoot);
        });
        w.Int16(root.FolderCount);
        w.Int16(root.TagsRead);
    });
    w.Int16(lib.RootCount);
    w.Int32(lib.RegisteredFileCount);
    w.Int32(lib.TagsReadCount);

    w.Array(rec.PlayList, [&](const SearchHit& h) { WriteHit(w, h); });
    w.Int16(rec.PlayCount);

    w.Array(rec.Search.SearchHits, [&](const SearchHit& h) { WriteHit(w, h); });
    w.Int16(rec.Search.SearchHitCount);
    w.Array(rec.Search.SearchWords, [&](const std::string& s) { w.Text(s); });
    w.Int16(rec.Search.SearchWordCount);
    return std::move(w.bytes);
}

bool DecodeState(const std::string& bytes, StateRecord& rec, TextCodec& codec) {
    rec = StateRecord{};
    Reader r(bytes, codec);
    rec.Version = r.Text();
    ReadSettings(r, rec.Settings);

    TrackLibrary& lib = rec.Library;
    r.Array(lib.LibraryRoots, kMinRoot, [&](RootEntry& root) {
        root.Path = r.Text();
        r.Array(root.Tracks, kMinTrack, [&](TrackEntry& t) {
            t.FileName = r.Text();
            t.FolderIndex = r.Int16();
            t.Title = r.Text();
            t.Artist = r.Text();
            t.Album = r.Text();
            t.Comment = r.Text();
        });
        root.TrackCount = r.Int16();
        r.Array(root.Folders, kMinFolder, [&](FolderEntry& f) {
            f.Name = r.Text();
            f.Parent = r.Int16();
            f.PathFromRoot = r.Text();
        });
        root.FolderCount = r.Int16();
        root.TagsRead = r.Int16();
    });
    lib.RootCount = r.Int16();
    lib.RegisteredFileCount = r.Int32();
    lib.TagsReadCount = r.Int32();

    r.Array(rec.PlayList, kMinHit, [&](SearchHit& h) { ReadHit(r, h); });
    rec.PlayCount = r.Int16();

    r.Array(rec.Search.SearchHits, kMinHit, [&](SearchHit& h) { ReadHit(r, h); });
    rec.Search.SearchHitCount = r.Int16();
    r.Array(rec.Search.SearchWords, kMinText, [&](std::string& s) { s = r.Text(); });
    rec.Search.SearchWordCount = r.Int16();

    return r.ok && Consistent(rec);
}

std::string DataFilePath(const std::string& programFolder) {
    return programFolder + "\\" + kDataFileName;
}

bool LoadState(FileSystem& fs, TextCodec& codec, const std::string& path, StateRecord& record) {
    if (!fs.FileExists(path)) return false;
    std::string bytes;
    if (!fs.ReadWholeFile(path, bytes)) return false;
    return DecodeState(bytes, record, codec);
}

bool WriteStateFile(FileSystem& fs, TextCodec& codec, const std::string& path,
                    const StateRecord& record) {
    const std::string temp = path + ".tmp";
    if (fs.WriteNewFile(temp, EncodeState(record, codec)) && fs.ReplaceFile(temp, path))
        return true;
    fs.DeleteFile(temp);  // the old file is untouched; leave no half-written copy
    return false;
}

}  // namespace tw
