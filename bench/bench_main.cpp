// tw_bench: times registration, tag reading, search, saving and loading
// and the library's memory against bare baselines measured in the same
// run, and prints each ratio beside its goal.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/startup.h"
#include "app/work_scheduler.h"
#include "bench_data.h"
#include "bench_util.h"
#include "core/data_file.h"
#include "library/folder_scan.h"
#include "library/tag_reader.h"
#include "library/watched_folders.h"
#include "model/app_context.h"
#include "model/defaults.h"
#include "platform/posix/iconv_codec.h"
#include "platform/posix/posix_files.h"
#include "search/keyword_search.h"
#include "window/type_ahead.h"

#ifndef TW_BENCH_BUILD_TYPE
#define TW_BENCH_BUILD_TYPE "unknown"
#endif

using namespace twbench;

namespace {

struct Options {
    int64_t files = 100000;
    int64_t folders = 2000;
    int64_t tracks = 1000000;
    int runs = 5;
    std::string only;  // "search" or "tree": one half alone, for profiling
    std::string dir = "/tmp/tw-bench-tree";
    int64_t frontFiles = 20000;  // the tree of ID3v2 tags, in its own folder
    std::string frontDir = "/tmp/tw-bench-tree-front";
};

void Usage() {
    std::fprintf(stderr,
                 "usage: tw_bench [--files N] [--folders N] [--tracks N] [--runs N] [--dir PATH]\n"
                 "                [--front-files N] [--front-dir PATH] [--only search|tree|front]\n");
}

bool ParseArgs(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (i + 1 >= argc) return false;
        const char* v = argv[++i];
        char* end = nullptr;
        const long long n = std::strtoll(v, &end, 10);
        const bool number = end && *end == '\0' && n > 0;
        if (a == "--dir") o.dir = v;
        else if (a == "--only" && (std::string(v) == "search" || std::string(v) == "tree" ||
                                   std::string(v) == "front"))
            o.only = v;
        else if (a == "--front-dir") o.frontDir = v;
        else if (a == "--front-files" && number) o.frontFiles = n;
        else if (a == "--files" && number) o.files = n;
        else if (a == "--folders" && number) o.folders = n;
        else if (a == "--tracks" && number) o.tracks = n;
        else if (a == "--runs" && number) o.runs = static_cast<int>(n);
        else return false;
    }
    return !o.dir.empty() && !o.frontDir.empty();
}

struct Row {
    std::string what;
    double figure = 0, baseline = 0;
    bool bytes = false;  // MiB rather than ms
    double goal = 0;
    std::string baselineWhat;
};

std::vector<std::string> g_checks;

void Check(const std::string& text) { g_checks.push_back(text); }

std::string Fmt(const char* f, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, f, v);
    return buf;
}

std::string Hex(uint64_t v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(v));
    return buf;
}

// Alternates baseline and figure so drift in the machine hits both alike;
// the medians of each.
void Paired(int runs, const std::function<void()>& figure, const std::function<void()>& baseline,
            const std::function<void()>& beforeFigure, double& figureMs, double& baselineMs) {
    std::vector<double> f, b;
    for (int i = 0; i < runs; ++i) {
        double t0 = NowMs();
        baseline();
        b.push_back(NowMs() - t0);
        if (beforeFigure) beforeFigure();
        t0 = NowMs();
        figure();
        f.push_back(NowMs() - t0);
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        const size_t n = v.size();
        return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    };
    figureMs = median(f);
    baselineMs = median(b);
}

// ---- baselines ----

bool HasMp3Suffix(const char* name) {
    const size_t n = std::strlen(name);
    return n >= 4 && name[n - 4] == '.' && (name[n - 3] | 0x20) == 'm' &&
           (name[n - 2] | 0x20) == 'p' && name[n - 1] == '3';
}

int64_t WalkCount(const std::string& dir, int64_t& folders) {
    DIR* d = ::opendir(dir.c_str());
    if (!d) return 0;
    int64_t n = 0;
    while (dirent* e = ::readdir(d)) {
        unsigned char type = e->d_type;
        if (type == DT_UNKNOWN) {
            struct stat st {};
            if (::stat((dir + "/" + e->d_name).c_str(), &st) != 0) continue;
            type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
        }
        if (type == DT_DIR) {
            if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
            ++folders;
            n += WalkCount(dir + "/" + e->d_name, folders);
        } else if (type == DT_REG && HasMp3Suffix(e->d_name)) {
            ++n;
        }
    }
    ::closedir(d);
    return n;
}

int64_t ReadTails(const std::vector<std::string>& paths) {
    int64_t tags = 0;
    char buf[128];
    for (const std::string& p : paths) {
        const int fd = ::open(p.c_str(), O_RDONLY);
        if (fd < 0) continue;
        if (::lseek(fd, -128, SEEK_END) >= 0 && ::read(fd, buf, 128) == 128 &&
            std::memcmp(buf, "TAG", 3) == 0)
            ++tags;
        ::close(fd);
    }
    return tags;
}

// What reading either tag needs at least: the last 128 bytes and the first
// 4 KB of every file.
int64_t ReadHeadsAndTails(const std::vector<std::string>& paths) {
    int64_t tags = 0;
    char tail[128];
    static char head[4096];
    for (const std::string& p : paths) {
        const int fd = ::open(p.c_str(), O_RDONLY);
        if (fd < 0) continue;
        const bool v1 = ::lseek(fd, -128, SEEK_END) >= 0 && ::read(fd, tail, 128) == 128 &&
                        std::memcmp(tail, "TAG", 3) == 0;
        const bool v2 = ::pread(fd, head, sizeof head, 0) >= 3 && std::memcmp(head, "ID3", 3) == 0;
        tags += v1 || v2;
        ::close(fd);
    }
    return tags;
}

bool PlainSave(const std::string& path, const std::string& bytes) {
    const std::string temp = path + ".tmp";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) break;
        done += static_cast<size_t>(n);
    }
    const bool ok = done == bytes.size() && ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok && ::rename(temp.c_str(), path.c_str()) == 0;
}

bool PlainLoad(const std::string& path, std::string& bytes) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return false;
    struct stat st {};
    ::fstat(fd, &st);
    bytes.assign(static_cast<size_t>(st.st_size), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    ::close(fd);
    return done == bytes.size();
}

// ---- the context ----

struct Host {
    SteadyClock clock;
    CountingPump pump;
    tw::PosixFileSystem files;
    tw::IconvCodec codec{"CP932"};
    BenchSystem system;
    tw::Platform Services() {
        tw::Platform p;
        p.clock = &clock;
        p.pump = &pump;
        p.files = &files;
        p.codec = &codec;
        p.system = &system;
        return p;
    }
};

void SearchSettings(tw::Settings& s) {
    tw::SetDefaults(s, 1024, 768);
    s.MaxHits = 30;
    s.UseTagInfo = tw::kTrue;
    s.MatchPath = s.MatchFileName = s.MatchArtist = tw::kTrue;
    s.MatchTrackName = s.MatchAlbum = s.MatchComment = tw::kTrue;
}

// The live state as the program saves it.
tw::StateRecord RecordOf(const tw::StateRecord& live) {
    tw::StateRecord rec = live;
    rec.Version = tw::kVersionText;
    return rec;
}

// Hits of a few matching keywords, hashed: the search must keep finding
// the same tracks in the same order.
uint64_t HitsHash(tw::AppContext& ctx) {
    uint64_t h = 1469598103934665603ull;
    for (const char* k : {"love", "さくら", "SKY road", "collection 0", "\\01 ", "ライブ",
                          "ｍｏｏｎ"}) {
        tw::SearchTracks(ctx.live.Search, ctx.live.Library, ctx.live.Settings, *ctx.platform.codec, tw::JobOf(ctx), k);
        const auto& s = ctx.live.Search;
        h = Fnv1a(std::to_string(s.SearchHitCount), h);
        for (int16_t i = 0; i < s.SearchHitCount; ++i) h = Fnv1a(s.SearchHits[i].FullPath(), h);
    }
    return h;
}

std::string MemoryParts(const tw::TrackLibrary& lib, int64_t tracks) {
    size_t trackRecords = 0, trackTexts = 0, folderBytes = 0;
    for (const auto& root : lib.LibraryRoots.items) {
        trackRecords += root.Tracks.Records().capacity() * sizeof(tw::BlockRecord);
        trackTexts += root.Tracks.Buffer().capacity();
        folderBytes += root.Folders.Bytes();
    }
    const double n = static_cast<double>(tracks);
    return Fmt("%.1f", trackRecords / n) + " B/track of records, " + Fmt("%.1f", trackTexts / n) +
           " B/track of text blocks, " + Fmt("%.1f", folderBytes / n) + " B/track for folders";
}

// ---- the phases ----

const char kNoMatch[] = "zqxjvwk";

void SearchAndMemory(const Options& o, const std::string& work, std::vector<Row>& rows) {
    Host host;
    constexpr int kRoots = 32;

    TrimHeap();
    const uint64_t before = ResidentBytes();
    tw::AppContext ctx(host.Services());
    BuildLibrary(ctx.live.Library, o.tracks, kRoots);
    const uint64_t after = ResidentBytes();
    SearchSettings(ctx.live.Settings);

    const tw::StateRecord rec = RecordOf(ctx.live);
    const double e0 = NowMs();
    std::string dat = tw::EncodeState(rec, host.codec);
    const double encodeMs = NowMs() - e0;
    const uint64_t datSize = dat.size();
    Check("memory: " + std::to_string(o.tracks) + " tracks in " + std::to_string(kRoots) +
          " roots; dat " + std::to_string(datSize) + " bytes (fnv " + Hex(Fnv1a(dat)) +
          ", encoded in " + Fmt("%.0f", encodeMs) + " ms); RSS " + Fmt("%.1f", before / 1048576.0) +
          " -> " + Fmt("%.1f", after / 1048576.0) + " MiB; " +
          Fmt("%.1f", double(after - before) / o.tracks) + " B/track vs " +
          Fmt("%.1f", double(datSize) / o.tracks) + " B/track in dat");
    dat = std::string();
    Check("memory parts: " + MemoryParts(ctx.live.Library, o.tracks));

    // The same texts the search builds, one track a line, for grep.
    const std::string textPath = work + "/tracks.txt";
    {
        FILE* f = std::fopen(textPath.c_str(), "wb");
        if (!f) {
            std::fprintf(stderr, "cannot write %s\n", textPath.c_str());
            std::exit(1);
        }
        const auto& lib = ctx.live.Library;
        for (int16_t r = 0; r < lib.RootCount; ++r)
            for (int16_t t = 0; t < lib.LibraryRoots[r].TrackCount; ++t) {
                const std::string line = tw::TrackText(ctx.live.Library, ctx.live.Settings, r, t) + "\n";
                std::fwrite(line.data(), 1, line.size(), f);
            }
        std::fclose(f);
    }
    uint64_t textSize = 0;
    FileSize(textPath, textSize);

    uint64_t yields = 0;
    int hits = -1;
    std::string grepOut;
    bool grepOk = true;
    double searchMs = 0, grepMs = 0;
    Paired(
        o.runs,
        [&] {
            const uint64_t y0 = host.pump.yields;
            tw::SearchTracks(ctx.live.Search, ctx.live.Library, ctx.live.Settings, *ctx.platform.codec, tw::JobOf(ctx), kNoMatch);
            yields = host.pump.yields - y0;
            hits = ctx.live.Search.SearchHitCount;
        },
        [&] {
            double ms = 0;
            grepOk = RunChild({"grep", "-c", "-F", "-i", kNoMatch, textPath}, grepOut, ms) && grepOk;
        },
        nullptr, searchMs, grepMs);
    while (!grepOut.empty() && (grepOut.back() == '\n' || grepOut.back() == '\r')) grepOut.pop_back();
    const char* locale = std::getenv("LC_ALL");
    if (!locale || !*locale) locale = std::getenv("LC_CTYPE");
    if (!locale || !*locale) locale = std::getenv("LANG");
    Check("search: keyword \"" + std::string(kNoMatch) + "\", " + std::to_string(hits) +
          " hits (grep counted " + (grepOk ? grepOut : std::string("FAILED")) + "), " +
          std::to_string(yields) + " yields; text file " + Fmt("%.1f", textSize / 1048576.0) +
          " MiB; grep locale " + (locale && *locale ? locale : "C"));
    Check("search: hits of seven matching keywords fnv " + Hex(HitsHash(ctx)));
    ::unlink(textPath.c_str());

    rows.push_back({"search, " + std::to_string(o.tracks) + " tracks", searchMs, grepMs, false, 1.5,
                    "grep -c -F -i over the track texts"});
    rows.push_back({"memory, " + std::to_string(o.tracks) + " tracks",
                    double(after - before) / 1048576.0, double(datSize) / 1048576.0, true, 1.5,
                    "size of its dat (EncodeState)"});
}

// Search as you type over a library of `tracks`: one pause's search of a
// fresh keyword, and of a keystroke that only extends the last keyword,
// each against Enter's full search of the same keyword.
void TypeAheadRows(const Options& o, int64_t tracks, std::vector<Row>& rows) {
    Host host;
    tw::AppContext ctx(host.Services());
    BuildLibrary(ctx.live.Library, tracks, 32);
    SearchSettings(ctx.live.Settings);
    const tw::TrackLibrary& lib = ctx.live.Library;
    auto full = [&](const std::string& keyword) {
        tw::SearchTracks(ctx.live.Search, lib, ctx.live.Settings, *ctx.platform.codec, tw::JobOf(ctx), keyword);
    };
    const std::string label = std::to_string(tracks) + " tracks";

    double freshMs = 0, fullMs = 0;
    Paired(
        o.runs, [&] { tw::SearchAsTyped(ctx, kNoMatch); }, [&] { full(kNoMatch); },
        [&] { tw::DropTypeAheadResult(ctx); }, freshMs, fullMs);
    rows.push_back({"type-ahead, fresh, " + std::to_string(tracks), freshMs, fullMs, false, 1.2,
                    "the full search of the keyword"});

    // A file name of the middle of the library without ".mp3" and its last
    // two characters, then with one of them: a few hits, found again from
    // them.
    const tw::RootEntry& root = lib.LibraryRoots[lib.RootCount / 2];
    std::string name(root.Tracks[root.TrackCount / 2].FileName);
    name.resize(name.size() - 4);
    auto lessOneCharacter = [](std::string s) {
        while (!s.empty() && (static_cast<unsigned char>(s.back()) & 0xC0) == 0x80) s.pop_back();
        if (!s.empty()) s.pop_back();
        return s;
    };
    const std::string second = lessOneCharacter(name), first = lessOneCharacter(second);
    double narrowMs = 0, fullAgainMs = 0;
    Paired(
        o.runs, [&] { tw::SearchAsTyped(ctx, second); }, [&] { full(second); },
        [&] {
            tw::DropTypeAheadResult(ctx);
            tw::SearchAsTyped(ctx, first);
        },
        narrowMs, fullAgainMs);
    const size_t narrowed = ctx.typeAhead.Matches.size();
    full(second);
    Check("type-ahead, " + label + ": \"" + first + "\" then \"" + second + "\", " + std::to_string(narrowed) +
          " hits narrowed, " + std::to_string(ctx.live.Search.SearchHitCount) + " by the full search");
    rows.push_back({"type-ahead, narrowing, " + std::to_string(tracks), narrowMs, fullAgainMs, false, 0.2,
                    "the full search of the keyword"});
}

// Every registered file's path in the host's own form, for the bare loops.
std::vector<std::string> NativeTrackPaths(const tw::TrackLibrary& lib) {
    std::vector<std::string> paths;
    for (int16_t r = 0; r < lib.RootCount; ++r) {
        const tw::RootEntry& root = lib.LibraryRoots[r];
        for (int16_t t = 0; t < root.TrackCount; ++t) {
            std::string p = root.Path + tw::RelativeFolderPath(root.Folders[root.Tracks[t].FolderIndex]) +
                            std::string(root.Tracks[t].FileName);
            std::replace(p.begin(), p.end(), '\\', '/');
            paths.push_back(std::move(p));
        }
    }
    return paths;
}

// Tags of every root, as registration reads them (ID3v2 preferred).
void ReadAllRootTags(tw::AppContext& ctx) {
    for (int16_t r = 0; r < ctx.live.Library.RootCount; ++r)
        tw::ReadRootTags(ctx.live.Library, *ctx.platform.files, *ctx.platform.codec, tw::JobOf(ctx), r, true);
}

// The record with every tenth file name holding Hangul, which code page
// 932 lacks: those names go whole into the block after the record.
tw::StateRecord WithForeignTenth(const tw::StateRecord& plain) {
    tw::StateRecord rec = plain;
    int64_t n = 0;
    for (tw::RootEntry& root : rec.Library.LibraryRoots.items) {
        tw::TrackList tracks;
        for (size_t i = 0; i < root.Tracks.size(); ++i) {
            const tw::TrackView t = root.Tracks[i];
            tw::TrackEntry e{std::string(t.FileName), t.FolderIndex, std::string(t.Title), std::string(t.Artist),
                             std::string(t.Album), std::string(t.Comment)};
            if (n++ % 10 == 0) e.FileName = "소녀 " + e.FileName;
            tracks.Append(e);
        }
        root.Tracks = std::move(tracks);
    }
    return rec;
}

void TreePhases(const Options& o, const TreeInfo& tree, const std::string& work,
                std::vector<Row>& rows) {
    Host host;
    host.system.folder = ToProgramPath(work);
    tw::AppContext ctx(host.Services());

    std::vector<std::string> roots;
    for (const std::string& top : tree.tops) roots.push_back(ToProgramPath(tree.root + "/" + top + "/"));

    // ---- registration ----
    int64_t walked = 0, walkedFolders = 0;
    uint64_t regYields = 0;
    double regMs = 0, walkMs = 0;
    Paired(
        o.runs,
        [&] {
            const uint64_t y0 = host.pump.yields;
            for (const std::string& r : roots) {
                tw::Registration reg = tw::RegistrationOf(ctx);
                tw::RegisterRoot(reg, r, true);
            }
            regYields = host.pump.yields - y0;
        },
        [&] {
            walkedFolders = 0;
            walked = WalkCount(tree.root, walkedFolders);
        },
        [&] {
            ctx.live.Library = tw::TrackLibrary{};
            ctx.run = tw::RuntimeState{};
        },
        regMs, walkMs);
    const tw::TrackLibrary& lib = ctx.live.Library;
    int64_t folders = 0;
    for (int16_t r = 0; r < lib.RootCount; ++r) folders += lib.LibraryRoots[r].FolderCount;
    Check("registration: " + std::to_string(lib.RegisteredFileCount) + " tracks, " +
          std::to_string(folders) + " folders in " + std::to_string(lib.RootCount) + " roots (" +
          std::to_string(ctx.run.FilesOverLimit) + " over the limit), " + std::to_string(regYields) +
          " yields; the walk counted " + std::to_string(walked) + " mp3 in " +
          std::to_string(walkedFolders) + " folders");
    // The two listings registration makes of every folder ("*.mp3" for its
    // files, "*" for its sub-folders), alone: the floor of its time.
    std::vector<std::string> folderPaths;
    for (int16_t r = 0; r < lib.RootCount; ++r) {
        const tw::RootEntry& root = lib.LibraryRoots[r];
        for (int16_t f = 0; f < root.FolderCount; ++f)
            folderPaths.push_back(root.Path + tw::RelativeFolderPath(root.Folders[f]));
    }
    std::vector<tw::FindEntry> found;
    const double listMs = MedianMs(o.runs, [&] {
        for (const std::string& p : folderPaths) {
            host.files.FindEntries(p + "*.mp3", found);
            host.files.FindEntries(p + "*", found);
        }
    });
    Check("registration parts: the two listings of each of the " + std::to_string(folderPaths.size()) +
          " folders alone take " + Fmt("%.1f", listMs) + " ms (" + Fmt("%.2f", listMs / walkMs) +
          "x the walk); each top folder is a root, as a root keeps at most 32,767 tracks");
    rows.push_back({"registration, " + std::to_string(lib.RegisteredFileCount) + " files", regMs,
                    walkMs, false, 1.3, "opendir/readdir walk counting *.mp3"});

    // ---- tags ----
    const std::vector<std::string> paths = NativeTrackPaths(lib);
    int64_t tails = 0;
    uint64_t tagYields = 0;
    double tagMs = 0, tailMs = 0;
    Paired(
        o.runs,
        [&] {
            const uint64_t y0 = host.pump.yields;
            ReadAllRootTags(ctx);
            tagYields = host.pump.yields - y0;
        },
        [&] { tails = ReadTails(paths); },
        [&] {
            auto& l = ctx.live.Library;
            l.TagsReadCount = 0;
            for (auto& root : l.LibraryRoots.items) root.TagsRead = 0;
        },
        tagMs, tailMs);
    int64_t titled = 0, japanese = 0;
    for (const auto& root : lib.LibraryRoots.items)
        for (size_t i = 0; i < root.Tracks.size(); ++i) {
            const tw::TrackView t = root.Tracks[i];
            titled += !t.Title.empty();
            japanese += std::any_of(t.Artist.begin(), t.Artist.end(),
                                    [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
        }
    Check("tags: " + std::to_string(lib.TagsReadCount) + " read, " + std::to_string(titled) +
          " with a title, " + std::to_string(japanese) + " with a Japanese artist, " +
          std::to_string(tagYields) + " yields; the bare loop found " + std::to_string(tails) +
          " tags");
    rows.push_back({"tag reading, " + std::to_string(paths.size()) + " files", tagMs, tailMs, false,
                    1.3, "open/lseek/read 128/close loop"});

    // ---- save and load ----
    SearchSettings(ctx.live.Settings);
    const std::string datNative = work + "/dat";
    const std::string datPath = ToProgramPath(datNative);
    bool saved = true;
    double saveMs = 0, plainSaveMs = 0;
    std::string plainBytes;
    {
        const std::string bytes = tw::EncodeState(RecordOf(ctx.live), host.codec);
        Check("save: the " + std::to_string(lib.RegisteredFileCount) + "-track dat is " +
              std::to_string(bytes.size()) + " bytes, fnv " + Hex(Fnv1a(bytes)));
        plainBytes = bytes;
    }
    // A few milliseconds each: more runs than the rest, so that the medians
    // of both sides hold still.
    const int quickRuns = std::max(o.runs, 21);
    Paired(
        quickRuns, [&] { saved = tw::SaveState(ctx) && saved; },
        [&] { PlainSave(work + "/plain", plainBytes); }, nullptr, saveMs, plainSaveMs);

    bool loaded = true, same = false;
    double loadMs = 0, plainLoadMs = 0;
    std::string readBack;
    tw::StateRecord rec;
    Paired(
        quickRuns,
        [&] { loaded = tw::LoadState(host.files, host.codec, datPath, rec) == tw::LoadOutcome::Loaded && loaded; },
        [&] { PlainLoad(work + "/plain", readBack); }, [&] { rec = tw::StateRecord{}; }, loadMs,
        plainLoadMs);
    same = rec == RecordOf(ctx.live);

    // The same library with a tenth of its names outside the code page,
    // against the plain one.
    const tw::StateRecord foreign = WithForeignTenth(RecordOf(ctx.live));
    const std::string foreignNative = work + "/dat-foreign";
    const std::string foreignBytes = tw::EncodeFile(foreign, host.codec);
    host.files.WriteNewFile(ToProgramPath(foreignNative), foreignBytes);
    bool foreignLoaded = true;
    double foreignMs = 0, plainAgainMs = 0;
    tw::StateRecord foreignBack;
    Paired(
        quickRuns,
        [&] {
            foreignLoaded = tw::LoadState(host.files, host.codec, ToProgramPath(foreignNative), foreignBack) ==
                                tw::LoadOutcome::Loaded &&
                            foreignLoaded;
        },
        [&] { tw::LoadState(host.files, host.codec, datPath, rec); },
        [&] {
            foreignBack = tw::StateRecord{};
            rec = tw::StateRecord{};
        },
        foreignMs, plainAgainMs);
    Check("load with foreign names: " + std::to_string(foreignBytes.size()) + " bytes (the block " +
          std::to_string(foreignBytes.size() - tw::EncodeState(foreign, host.codec).size()) + "), " +
          (foreignLoaded && foreignBack == foreign ? "loaded whole" : "NOT LOADED WHOLE"));
    ::unlink(foreignNative.c_str());

    // Where the time of a save and a load goes, part by part.
    std::string fileBytes;
    const tw::StateRecord live = RecordOf(ctx.live);
    const double encodeMs = MedianMs(o.runs, [&] { fileBytes = tw::EncodeState(live, host.codec); });
    const double writeMs =
        MedianMs(o.runs, [&] { host.files.WriteNewFile(datPath + ".part", fileBytes); });
    ::unlink((datNative + ".part").c_str());
    const double readMs = MedianMs(o.runs, [&] { host.files.ReadWholeFile(datPath, fileBytes); });
    tw::StateRecord decoded;
    const double decodeMs = MedianMs(
        o.runs, [&] { tw::DecodeState(fileBytes, decoded, host.codec); }, [&] { decoded = tw::StateRecord{}; });
    Check("save/load parts: EncodeState " + Fmt("%.1f", encodeMs) + " ms, WriteNewFile " +
          Fmt("%.1f", writeMs) + " ms; ReadWholeFile " + Fmt("%.1f", readMs) + " ms, DecodeState " +
          Fmt("%.1f", decodeMs) + " ms");
    uint64_t onDisk = 0;
    FileSize(datNative, onDisk);
    Check(std::string("save/load: SaveState ") + (saved ? "ok" : "FAILED") + ", LoadState " +
          (loaded ? "ok" : "FAILED") + ", loaded record " + (same ? "equals" : "DIFFERS FROM") +
          " the saved one; dat on disk " + std::to_string(onDisk) + " bytes");
    ::unlink(datNative.c_str());
    ::unlink((work + "/plain").c_str());
    rows.push_back({"save (SaveState)", saveMs, plainSaveMs, false, 2.0,
                    "write+fsync+rename of as many bytes"});
    rows.push_back({"load (LoadState)", loadMs, plainLoadMs, false, 6.0,
                    "open/read/close of as many bytes"});
    rows.push_back({"load, 10 % foreign names", foreignMs, plainAgainMs, false, 1.5,
                    "LoadState of the dat without them"});
}

// One root of the tree changed (a file copied in): registering that root
// again, its unchanged files' tags taken over, against what mp3再登録 does
// (every root walked and every tag read).
void RefreshPhase(const Options& o, const TreeInfo& tree, std::vector<Row>& rows) {
    Host host;
    tw::AppContext ctx(host.Services());
    SearchSettings(ctx.live.Settings);
    tw::WatchFolderSet& set = ctx.live.Settings.WatchFolderSet;
    for (const std::string& top : tree.tops)
        tw::AppendCapped(set.WatchFolders, set.WatchFolderCount,
                         tw::WatchFolder{ToProgramPath(tree.root + "/" + top + "/"), tw::kTrue});
    const auto fullRegistration = [&] {
        ctx.live.Library = tw::TrackLibrary{};
        ctx.watch.TagStamps.assign(set.WatchFolderCount, {});
        tw::Registration reg = tw::RegistrationOf(ctx);
        for (int16_t c = 0; c < set.WatchFolderCount; ++c) {
            reg.stamps = &ctx.watch.TagStamps[c];
            tw::RegisterRoot(reg, set.WatchFolders[c].Path, true);
        }
        ReadAllRootTags(ctx);
    };
    fullRegistration();

    // The new file: a copy of the root's first track, beside it.
    const tw::RootEntry& first = ctx.live.Library.LibraryRoots[0];
    const std::string firstNative = NativeTrackPaths(ctx.live.Library).front();
    const std::string copyNative = firstNative.substr(0, firstNative.rfind('/') + 1) + "0 new.mp3";
    std::string bytes;
    host.files.ReadWholeFile(ToProgramPath(firstNative), bytes);
    host.files.WriteNewFile(ToProgramPath(copyNative), bytes);
    const int16_t before = first.TrackCount;

    ctx.watch.RefreshRoot = 0;
    bool ok = true;
    double refreshMs = 0, fullMs = 0;
    std::string refreshed;
    Paired(
        o.runs, [&] { ok = tw::RegisterRootAgain(ctx, tw::JobOf(ctx)) && ok; }, fullRegistration, nullptr,
        refreshMs, fullMs);
    refreshed = tw::EncodeState(RecordOf(ctx.live), host.codec);
    const int32_t files = ctx.live.Library.RegisteredFileCount;
    fullRegistration();
    const bool same = refreshed == tw::EncodeState(RecordOf(ctx.live), host.codec);
    ::unlink(copyNative.c_str());
    Check("refresh: root 0 of " + std::to_string(set.WatchFolderCount) + " went from " + std::to_string(before) +
          " tracks to " + std::to_string(ctx.live.Library.LibraryRoots[0].TrackCount) + ", " +
          std::to_string(files) + " files in all (the host's listing has no file times: every tag of the "
          "root is read again); " +
          (ok && same ? "equal to a full registration" : "NOT EQUAL TO A FULL REGISTRATION"));
    rows.push_back({"one changed root again, of " + std::to_string(files) + " files", refreshMs, fullMs, false, 0.5,
                    "mp3再登録 with tags of every root"});
}

// Tag reading over the tree where every other file has an ID3v2 tag alone
// (half of them behind a 200 KB cover picture), against reading the last
// 128 bytes and the first 4 KB of every file.
void FrontTagPhase(const Options& o, const TreeInfo& tree, std::vector<Row>& rows) {
    Host host;
    tw::AppContext ctx(host.Services());
    for (const std::string& top : tree.tops) {
        tw::Registration reg = tw::RegistrationOf(ctx);
        tw::RegisterRoot(reg, ToProgramPath(tree.root + "/" + top + "/"), true);
    }
    const tw::TrackLibrary& lib = ctx.live.Library;
    const std::vector<std::string> paths = NativeTrackPaths(lib);
    int64_t found = 0;
    double tagMs = 0, bareMs = 0;
    Paired(
        o.runs, [&] { ReadAllRootTags(ctx); },
        [&] { found = ReadHeadsAndTails(paths); },
        [&] {
            auto& l = ctx.live.Library;
            l.TagsReadCount = 0;
            for (auto& root : l.LibraryRoots.items) root.TagsRead = 0;
        },
        tagMs, bareMs);
    int64_t titled = 0, artists = 0, japanese = 0, comments = 0;
    for (const auto& root : lib.LibraryRoots.items)
        for (size_t i = 0; i < root.Tracks.size(); ++i) {
            const tw::TrackView t = root.Tracks[i];
            titled += !t.Title.empty();
            artists += !t.Artist.empty();
            comments += !t.Comment.empty();
            japanese += std::any_of(t.Title.begin(), t.Title.end(),
                                    [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
        }
    Check("front tags: " + std::to_string(paths.size()) + " files, " + std::to_string(titled) + " with a title, " +
          std::to_string(artists) + " with an artist, " + std::to_string(comments) + " with a comment, " +
          std::to_string(japanese) + " with a Japanese title; the bare loop found " + std::to_string(found) +
          " tags of either kind");
    uint64_t h = 1469598103934665603ull;
    for (const auto& root : lib.LibraryRoots.items)
        for (size_t i = 0; i < root.Tracks.size(); ++i) h = Fnv1a(std::string(root.Tracks.Block(i)), h);
    Check("front tags: texts fnv " + Hex(h));
    rows.push_back({"tags, half ID3v2, " + std::to_string(paths.size()) + " files", tagMs, bareMs, false, 1.5,
                    "open/read last 128 + first 4 KB/close"});
}

void PrintTable(const Options& o, const TreeInfo& tree, const std::vector<Row>& rows) {
    std::printf("\nTunewhistle benchmark: median of %d warm runs each (caches left as they are), "
                "build %s\n",
                o.runs, TW_BENCH_BUILD_TYPE);
    char load[64] = "?";
    if (FILE* f = std::fopen("/proc/loadavg", "r")) {
        if (!std::fgets(load, sizeof load, f)) std::strcpy(load, "?");
        std::fclose(f);
        load[std::strcspn(load, "\n")] = '\0';
    }
    std::printf("machine: %ld cores, load average %s (other work on the machine skews timings)\n",
                sysconf(_SC_NPROCESSORS_ONLN), load);
    std::printf("tree %s: %lld mp3 files in %lld folders (%s)\n\n", tree.root.c_str(),
                static_cast<long long>(tree.mp3Files), static_cast<long long>(tree.folders),
                tree.generated ? ("generated in " + Fmt("%.1f", tree.generateMs / 1000) + " s").c_str()
                               : "reused from an earlier run");
    std::printf("%-30s %12s %12s %8s %6s  %-4s  %s\n", "measure", "figure", "baseline", "ratio",
                "goal", "met", "baseline is");
    std::printf("%s\n", std::string(118, '-').c_str());
    int met = 0;
    for (const Row& r : rows) {
        const double ratio = r.baseline > 0 ? r.figure / r.baseline : 0;
        const bool ok = r.baseline > 0 && ratio <= r.goal;
        met += ok;
        const char* unit = r.bytes ? "MiB" : "ms";
        std::printf("%-30s %8.1f %-3s %8.1f %-3s %7.2fx %5.1fx  %-4s  %s\n", r.what.c_str(), r.figure,
                    unit, r.baseline, unit, ratio, r.goal, ok ? "yes" : "NO", r.baselineWhat.c_str());
    }
    std::printf("%s\n", std::string(118, '-').c_str());
    std::printf("goals met: %d of %zu\n\nchecks:\n", met, rows.size());
    for (const std::string& c : g_checks) std::printf("  %s\n", c.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!ParseArgs(argc, argv, o)) {
        Usage();
        return 2;
    }
    TreeInfo tree;
    std::string error;
    std::fprintf(stderr, "preparing the tree under %s ...\n", o.dir.c_str());
    if (!PrepareTree(o.dir, o.files, o.folders, false, tree, error)) {
        std::fprintf(stderr, "tw_bench: %s\n", error.c_str());
        return 1;
    }
    const std::string work = tree.root + "-work";
    if (::mkdir(work.c_str(), 0755) != 0 && errno != EEXIST) {
        std::fprintf(stderr, "tw_bench: cannot create %s\n", work.c_str());
        return 1;
    }

    std::vector<Row> treeRows, bigRows, frontRows, typeRows;
    // The large library first, while the heap is fresh, so its growth reads true.
    if (o.only.empty() || o.only == "search") {
        std::fprintf(stderr, "search and memory over %lld tracks ...\n",
                     static_cast<long long>(o.tracks));
        SearchAndMemory(o, work, bigRows);
        TrimHeap();
        std::fprintf(stderr, "search as you type ...\n");
        TypeAheadRows(o, std::min<int64_t>(o.tracks, 100000), typeRows);
        if (o.tracks > 100000) TypeAheadRows(o, o.tracks, typeRows);
        TrimHeap();
    }
    if (o.only.empty() || o.only == "tree") {
        std::fprintf(stderr, "registration, tags, save and load over the tree ...\n");
        TreePhases(o, tree, work, treeRows);
        std::fprintf(stderr, "one changed root registered again ...\n");
        RefreshPhase(o, tree, treeRows);
    }
    if (o.only.empty() || o.only == "front") {
        TreeInfo front;
        std::fprintf(stderr, "preparing the tree of ID3v2 tags under %s ...\n", o.frontDir.c_str());
        if (!PrepareTree(o.frontDir, o.frontFiles, std::max<int64_t>(1, o.frontFiles / 50), true, front, error)) {
            std::fprintf(stderr, "tw_bench: %s\n", error.c_str());
            return 1;
        }
        std::fprintf(stderr, "tag reading over the tree of ID3v2 tags ...\n");
        FrontTagPhase(o, front, frontRows);
    }
    ::rmdir(work.c_str());

    // Table order: registration, tags, search, save, load, memory.
    std::vector<Row> rows;
    if (!treeRows.empty()) rows.insert(rows.end(), treeRows.begin(), treeRows.begin() + 2);
    rows.insert(rows.end(), frontRows.begin(), frontRows.end());
    if (!bigRows.empty()) rows.push_back(bigRows[0]);
    rows.insert(rows.end(), typeRows.begin(), typeRows.end());
    if (!treeRows.empty()) rows.insert(rows.end(), treeRows.begin() + 2, treeRows.end());
    if (!bigRows.empty()) rows.push_back(bigRows[1]);
    PrintTable(o, tree, rows);
    return 0;
}
