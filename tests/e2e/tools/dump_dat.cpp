// Prints what a data file holds, for the end-to-end tests to compare:
// "key=value" lines, entries as root|folder|file (|title|artist for tracks).
//
//   dump_dat FILE
#include <cstdio>
#include <string>

#include "core/data_file.h"
#include "platform/posix/iconv_codec.h"
#include "platform/posix/posix_files.h"

namespace {

void Line(const std::string& key, const std::string& value) {
    std::printf("%s=%s\n", key.c_str(), value.c_str());
}

std::string Entry(const tw::SearchHit& h) { return h.RootPath + "|" + h.FolderPath + "|" + h.FileName; }

}  // namespace

int main(int argc, char** argv) {
    // The code page the program ran in: 932 unless told otherwise.
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: dump_dat FILE [CODE-PAGE]\n");
        return 2;
    }
    tw::PosixFileSystem files;
    tw::IconvCodec codec(argc == 3 ? argv[2] : "CP932");
    tw::StateRecord rec;
    if (tw::LoadState(files, codec, argv[1], rec) != tw::LoadOutcome::Loaded) {
        std::fprintf(stderr, "dump_dat: %s is no data file\n", argv[1]);
        return 1;
    }
    const tw::Settings& s = rec.Settings;
    Line("version", rec.Version);
    Line("left", std::to_string(s.WindowLeft));
    Line("top", std::to_string(s.WindowTop));
    Line("keyword", s.Keyword);
    Line("folders", std::to_string(s.WatchFolderSet.WatchFolderCount));
    for (int16_t i = 0; i < s.WatchFolderSet.WatchFolderCount; ++i) {
        const tw::WatchFolder& f = s.WatchFolderSet.WatchFolders[i];
        Line("folder", f.Path + "|" + (f.IncludeSubfolders ? "sub" : "-"));
    }
    Line("internal_player", s.UseInternalPlayer ? "1" : "0");
    Line("search_as_you_type", s.SearchAsYouType ? "1" : "0");
    Line("back", std::to_string(s.BackColor.Red) + "," + std::to_string(s.BackColor.Green) + "," +
                     std::to_string(s.BackColor.Blue));
    const tw::TrackLibrary& lib = rec.Library;
    Line("roots", std::to_string(lib.RootCount));
    Line("registered", std::to_string(lib.RegisteredFileCount));
    Line("tags_read", std::to_string(lib.TagsReadCount));
    for (int16_t r = 0; r < lib.RootCount; ++r) {
        const tw::RootEntry& root = lib.LibraryRoots[r];
        for (int16_t t = 0; t < root.TrackCount; ++t) {
            const tw::TrackView track = root.Tracks[t];
            Line("track", root.Path + "|" + tw::RelativeFolderPath(root.Folders[track.FolderIndex]) + "|" +
                              std::string(track.FileName) + "|" + std::string(track.Title) + "|" +
                              std::string(track.Artist));
        }
    }
    Line("hits", std::to_string(rec.Search.SearchHitCount));
    for (int16_t i = 0; i < rec.Search.SearchHitCount; ++i) Line("hit", Entry(rec.Search.SearchHits[i]));
    Line("play_count", std::to_string(rec.PlayCount));
    for (int16_t i = 0; i < rec.PlayCount; ++i) Line("play", Entry(rec.PlayList[i]));
    return 0;
}
