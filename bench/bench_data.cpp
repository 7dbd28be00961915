#include "bench_data.h"

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "bench_util.h"
#include "platform/posix/iconv_codec.h"

namespace twbench {

namespace {

const char* const kWords[] = {
    "love",    "night",   "river",  "summer", "dream",  "light",   "heart",  "road",
    "rain",    "city",    "fire",   "blue",   "gold",   "silver",  "ocean",  "sky",
    "morning", "shadow",  "dance",  "paper",  "winter", "glass",   "stone",  "garden",
    "train",   "letter",  "echo",   "star",   "moon",   "storm",   "wild",   "quiet",
    "home",    "forever", "broken", "little", "lonely", "electric", "sweet", "last",
    "first",   "golden",  "north",  "south",  "highway", "radio",  "window", "mirror",
    "angel",   "velvet",  "sugar",  "thunder", "island", "harbor",  "candle", "memory",
    "falling", "running", "waiting", "shine", "open",   "secret",  "simple", "bright"};

const char* const kJapanese[] = {
    "夜明け", "青い空", "さくら", "東京",   "雨の日", "君の声", "星空",     "風",
    "海辺",   "ありがとう", "サヨナラ", "ラジオ", "夏祭り", "約束", "花火",   "月夜",
    "旅人",   "雪",     "光",     "夢の中", "帰り道", "季節",   "メロディー", "坂道"};

const char* const kComments[] = {"Remastered", "Live",        "Demo version", "Bonus track",
                                 "Radio edit", "Single mix",  "ライブ",       "初回盤",
                                 "Acoustic",   "From the vault"};

constexpr size_t kFieldBytes = 30;

// A copy whose capacity is its length, as texts read from files are.
std::string Exact(const std::string& s) { return std::string(s.data(), s.size()); }

std::string Capitalised(std::string w) {
    if (!w.empty() && w[0] >= 'a' && w[0] <= 'z') w[0] = static_cast<char>(w[0] - 32);
    return w;
}

// Drops whole characters from the end until the CP932 form fits.
std::string FitField(std::string s) {
    while (Cp932Size(s) > kFieldBytes && !s.empty()) {
        size_t cut = s.size() - 1;
        while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;
        s.resize(cut);
    }
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

// ---- the tree on disk ----

const char kMarkerName[] = ".tw-bench-tree";

std::string MarkerText(int64_t files, int64_t folders, bool frontTags) {
    return std::string(frontTags ? "tunewhistle bench tree v1 front tags files=" : "tunewhistle bench tree v1 files=") +
           std::to_string(files) + " folders=" + std::to_string(folders) + "\n";
}

bool ReadSmallFile(const std::string& path, std::string& text) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    char buf[256];
    const size_t n = std::fread(buf, 1, sizeof buf, f);
    std::fclose(f);
    text.assign(buf, n);
    return true;
}

bool WriteSmallFile(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    const bool ok = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    return ::close(fd) == 0 && ok;
}

int RemoveOne(const char* path, const struct stat*, int, struct FTW*) { return ::remove(path); }

bool RemoveTree(const std::string& dir) {
    return ::nftw(dir.c_str(), RemoveOne, 32, FTW_DEPTH | FTW_PHYS) == 0;
}

bool IsEmptyOrMissing(const std::string& dir) {
    DIR* d = ::opendir(dir.c_str());
    if (!d) return errno == ENOENT;
    bool empty = true;
    while (dirent* e = ::readdir(d))
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) empty = false;
    ::closedir(d);
    return empty;
}

// A field of the tag: NUL padding mostly, spaces as some old taggers did.
void PutField(std::string& tag, size_t at, size_t size, const std::string& bytes, bool spaces) {
    const size_t n = std::min(size, bytes.size());
    tag.replace(at, n, bytes, 0, n);
    for (size_t i = at + n; i < at + size; ++i) tag[i] = spaces ? ' ' : '\0';
}

std::string Mp3Bytes(TextMaker& tm, tw::TextCodec& codec, const std::string& title,
                     const std::string& artist, const std::string& album, int track) {
    // A frame header and filler stand in for the audio.
    std::string bytes = "\xFF\xFB\x90\x64";
    const size_t audio = 200 + tm.Next(400);
    while (bytes.size() < audio) bytes.push_back(static_cast<char>(tm.Next(256)));
    std::string tag(128, '\0');
    const bool spaces = tm.Next(8) == 0;
    tag.replace(0, 3, "TAG");
    PutField(tag, 3, 30, codec.ToAnsi(title), spaces);
    PutField(tag, 33, 30, codec.ToAnsi(artist), spaces);
    PutField(tag, 63, 30, codec.ToAnsi(album), spaces);
    PutField(tag, 93, 4, std::to_string(1970 + tm.Next(55)), false);
    PutField(tag, 97, 30, codec.ToAnsi(tm.Comment()), spaces);
    if (!spaces) tag[126] = static_cast<char>(track);  // version 1.1 track number
    tag[127] = static_cast<char>(tm.Next(80));
    return bytes + tag;
}

std::string Frame(const char* id, const std::string& body, int version);

// A text frame of an ID3v2 tag: ASCII in ISO-8859-1, other text in UTF-16
// with a byte-order mark (version 2.3) or UTF-8 (2.4), as taggers write them.
std::string TextFrame(const char* id, const std::string& text, int version, bool comment) {
    bool ascii = true;
    for (char c : text) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    std::string body;
    std::string encoded;
    if (ascii) {
        body.push_back('\0');
        encoded = text;
    } else if (version == 4) {
        body.push_back('\3');
        encoded = text;
    } else {
        body.push_back('\1');
        encoded = "\xFF\xFE";
        std::u16string wide;
        for (size_t i = 0; i < text.size();) {  // the texts here are ASCII and 3-byte characters
            const auto c = static_cast<unsigned char>(text[i]);
            if (c < 0x80) {
                wide.push_back(c);
                ++i;
            } else {
                wide.push_back(static_cast<char16_t>(((c & 0x0F) << 12) | ((text[i + 1] & 0x3F) << 6) |
                                                     (text[i + 2] & 0x3F)));
                i += 3;
            }
        }
        for (char16_t u : wide) {
            encoded.push_back(static_cast<char>(u & 0xFF));
            encoded.push_back(static_cast<char>(u >> 8));
        }
    }
    if (comment) body += std::string("eng", 3) + (body[0] == '\1' ? std::string("\xFF\xFE\0\0", 4) : std::string(1, '\0'));
    body += encoded;
    return Frame(id, body, version);
}

std::string Frame(const char* id, const std::string& body, int version) {
    const size_t n = body.size();
    std::string f(id, 4);
    if (version == 4) {
        f += {static_cast<char>(n >> 21 & 0x7F), static_cast<char>(n >> 14 & 0x7F),
              static_cast<char>(n >> 7 & 0x7F), static_cast<char>(n & 0x7F)};
    } else {
        f += {static_cast<char>(n >> 24), static_cast<char>(n >> 16), static_cast<char>(n >> 8), static_cast<char>(n)};
    }
    f += std::string(2, '\0');
    return f + body;
}

// An MP3 file with an ID3v2 tag at its front and no block at its end; with
// a cover, a picture frame of 200 KB comes before the texts.
std::string Mp3FrontTagBytes(TextMaker& tm, const std::string& title, const std::string& artist,
                             const std::string& album, bool cover) {
    const int version = tm.Next(2) ? 3 : 4;
    std::string frames;
    if (cover) {
        std::string picture = std::string("\0image/jpeg\0\x03\0", 14) + "\xFF\xD8\xFF\xE0";
        while (picture.size() < 200 * 1024) picture.push_back(static_cast<char>(tm.Next(256)));
        frames += Frame("APIC", picture, version);
    }
    frames += TextFrame("TIT2", title, version, false);
    frames += TextFrame("TPE1", artist, version, false);
    frames += TextFrame("TALB", album, version, false);
    const std::string comment = tm.Comment();
    if (!comment.empty()) frames += TextFrame("COMM", comment, version, true);
    frames += std::string(256 + tm.Next(1024), '\0');  // padding, as taggers leave room
    const size_t n = frames.size();
    std::string bytes = std::string("ID3", 3) + static_cast<char>(version) + std::string(2, '\0');
    bytes += {static_cast<char>(n >> 21 & 0x7F), static_cast<char>(n >> 14 & 0x7F), static_cast<char>(n >> 7 & 0x7F),
              static_cast<char>(n & 0x7F)};
    bytes += frames;
    bytes += "\xFF\xFB\x90\x64";
    const size_t audio = bytes.size() + 200 + tm.Next(400);
    while (bytes.size() < audio) bytes.push_back(static_cast<char>(tm.Next(256)));
    return bytes;
}

bool ListTops(const std::string& root, std::vector<std::string>& tops) {
    tops.clear();
    DIR* d = ::opendir(root.c_str());
    if (!d) return false;
    while (dirent* e = ::readdir(d)) {
        if (e->d_name[0] == '.') continue;
        struct stat st {};
        if (::stat((root + "/" + e->d_name).c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            tops.push_back(e->d_name);
    }
    ::closedir(d);
    std::sort(tops.begin(), tops.end());
    return true;
}

// With front tags, every other file carries an ID3v2 tag alone, and every
// other one of those a cover picture before its texts.
bool Generate(const std::string& root, int64_t files, int64_t folders, bool frontTags, std::string& error) {
    tw::IconvCodec codec("CP932");
    TextMaker tm(20240607);
    const int64_t tops = std::max<int64_t>(1, (folders + 25) / 50);
    const int64_t subs = std::max<int64_t>(1, folders / tops);
    const int64_t leaves = tops * subs;
    char name[512];
    auto fail = [&](const std::string& what) {
        error = what + ": " + std::strerror(errno);
        return false;
    };
    if (!WriteSmallFile(root + "/notes.txt", "Test tree for the Tunewhistle benchmark.\n"))
        return fail("cannot write in " + root);
    int64_t leaf = 0;
    for (int64_t t = 0; t < tops; ++t) {
        const std::string artist = tm.Artist();
        std::snprintf(name, sizeof name, "%03lld %s", static_cast<long long>(t + 1), artist.c_str());
        const std::string topPath = root + "/" + name;
        if (::mkdir(topPath.c_str(), 0755) != 0) return fail("mkdir " + topPath);
        WriteSmallFile(topPath + "/playlist.m3u", "#EXTM3U\n");
        for (int64_t s = 0; s < subs; ++s, ++leaf) {
            const std::string album = tm.Album();
            std::snprintf(name, sizeof name, "%02lld %s", static_cast<long long>(s + 1), album.c_str());
            const std::string subPath = topPath + "/" + name;
            if (::mkdir(subPath.c_str(), 0755) != 0) return fail("mkdir " + subPath);
            if (leaf % 7 == 0) WriteSmallFile(subPath + "/cover.jpg", std::string(300, 'J'));
            if (leaf % 13 == 0) WriteSmallFile(subPath + "/01 old.mp3.bak", "old");
            const int64_t count = files / leaves + (leaf < files % leaves ? 1 : 0);
            for (int64_t i = 0; i < count; ++i) {
                const std::string title = tm.Title();
                const bool upper = tm.Next(50) == 0;
                std::snprintf(name, sizeof name, "%02lld %s.%s", static_cast<long long>(i + 1),
                              title.c_str(), upper ? "MP3" : "mp3");
                const std::string bytes =
                    frontTags && i % 2 == 1 ? Mp3FrontTagBytes(tm, title, artist, album, i % 4 == 3)
                                            : Mp3Bytes(tm, codec, title, artist, album, static_cast<int>(i + 1));
                if (!WriteSmallFile(subPath + "/" + name, bytes)) return fail("write " + subPath);
            }
        }
    }
    return true;
}

}  // namespace

size_t Cp932Size(const std::string& utf8) {
    size_t n = 0;
    for (size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) ++n;
        else if ((c & 0xC0) != 0x80) n += 2;  // lead byte of a three-byte character
    }
    return n;
}

std::string TextMaker::Words(size_t minWords, size_t maxWords, bool capitalise) {
    const size_t n = minWords + Next(static_cast<uint32_t>(maxWords - minWords + 1));
    std::string s;
    if (Next(5) == 0) {
        for (size_t i = 0; i < n; ++i) s += kJapanese[Next(std::size(kJapanese))];
        return FitField(s);
    }
    for (size_t i = 0; i < n; ++i) {
        if (i) s += ' ';
        std::string w = kWords[Next(std::size(kWords))];
        s += capitalise ? Capitalised(w) : w;
    }
    return FitField(s);
}

std::string TextMaker::Title() { return Words(1, 4, Next(3) != 0); }

std::string TextMaker::Artist() {
    const uint32_t k = Next(6);
    if (k == 0) return FitField("The " + Words(1, 2, true));
    return Words(1, 3, true);
}

std::string TextMaker::Album() { return Words(1, 4, true); }

std::string TextMaker::Comment() {
    if (Next(10) < 6) return {};
    return kComments[Next(std::size(kComments))];
}

bool PrepareTree(const std::string& dir, int64_t files, int64_t folders, bool frontTags, TreeInfo& info,
                 std::string& error) {
    info = TreeInfo{};
    info.root = dir;
    while (info.root.size() > 1 && info.root.back() == '/') info.root.pop_back();
    const std::string marker = info.root + "/" + kMarkerName;
    const std::string want = MarkerText(files, folders, frontTags);
    std::string have;
    const bool ours = ReadSmallFile(marker, have);
    if (!ours || have != want) {
        if (ours) {
            if (!RemoveTree(info.root)) {
                error = "cannot remove the old tree at " + info.root;
                return false;
            }
        } else if (!IsEmptyOrMissing(info.root)) {
            error = info.root + " holds files this benchmark did not make; choose another --dir";
            return false;
        }
        if (::mkdir(info.root.c_str(), 0755) != 0 && errno != EEXIST) {
            error = "cannot create " + info.root + ": " + std::strerror(errno);
            return false;
        }
        // Marked first as incomplete, so a run that stops midway is redone.
        WriteSmallFile(marker, "incomplete\n");
        const double t0 = NowMs();
        if (!Generate(info.root, files, folders, frontTags, error)) return false;
        ::sync();
        info.generateMs = NowMs() - t0;
        info.generated = true;
        WriteSmallFile(marker, want);
    }
    if (!ListTops(info.root, info.tops)) {
        error = "cannot list " + info.root;
        return false;
    }
    const int64_t tops = std::max<int64_t>(1, (folders + 25) / 50);
    info.folders = tops + tops * std::max<int64_t>(1, folders / tops);
    info.mp3Files = files;
    return true;
}

void BuildLibrary(tw::TrackLibrary& lib, int64_t tracks, int roots) {
    TextMaker tm(19980427);
    lib = tw::TrackLibrary{};
    lib.LibraryRoots.Resize(static_cast<size_t>(roots));
    lib.RootCount = static_cast<int16_t>(roots);
    char name[512];
    for (int r = 0; r < roots; ++r) {
        tw::RootEntry& root = lib.LibraryRoots[static_cast<size_t>(r)];
        const int64_t n = tracks / roots + (r < tracks % roots ? 1 : 0);
        std::snprintf(name, sizeof name, "%c:\\Music\\Collection %02d\\", r % 3 ? 'D' : 'E', r + 1);
        root.Path = Exact(name);
        root.Tracks.Resize(0);
        root.Folders.Resize(0);
        root.Folders.Append(tw::FolderEntry{"", -1, ""});
        int64_t made = 0;
        while (made < n) {
            const std::string artist = tm.Artist();
            const auto artistIndex = static_cast<int16_t>(root.Folders.size());
            root.Folders.Append(tw::FolderEntry{artist, 0, ""});
            const uint32_t albums = 1 + tm.Next(6);
            for (uint32_t a = 0; a < albums && made < n; ++a) {
                const std::string album = tm.Album();
                std::snprintf(name, sizeof name, "%u - %s", 1970 + tm.Next(55), album.c_str());
                const auto albumIndex = static_cast<int16_t>(root.Folders.size());
                root.Folders.Append(tw::FolderEntry{name, artistIndex, artist + "\\"});
                const uint32_t count = 8 + tm.Next(9);
                for (uint32_t i = 0; i < count && made < n; ++i, ++made) {
                    tw::TrackEntry t;
                    const std::string title = tm.Title();
                    std::snprintf(name, sizeof name, "%02u %s.mp3", i + 1, title.c_str());
                    t.FileName = Exact(name);
                    t.FolderIndex = albumIndex;
                    if (tm.Next(10) != 0) {  // else a file without a tag
                        t.Title = Exact(title);
                        t.Artist = Exact(artist);
                        t.Album = Exact(album);
                        t.Comment = Exact(tm.Comment());
                    }
                    root.Tracks.Append(t);
                }
            }
        }
        // As the program leaves a registered root: no spare room.
        root.Tracks.Compact();
        root.Folders.Compact();
        root.TrackCount = static_cast<int16_t>(root.Tracks.size());
        root.FolderCount = static_cast<int16_t>(root.Folders.size());
        root.TagsRead = root.TrackCount;
        lib.RegisteredFileCount += root.TrackCount;
        lib.TagsReadCount += root.TagsRead;
    }
}

}  // namespace twbench
