// Writes a few valid data files into a folder, as the fuzzer's seed corpus.
#include <fstream>
#include <iostream>
#include <string>

#include "core/data_file.h"
#include "model/defaults.h"
#include "platform/posix/iconv_codec.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_fuzz_seeds FOLDER\n";
        return 2;
    }
    tw::IconvCodec codec("CP932");
    auto write = [&](const std::string& name, const tw::StateRecord& rec) {
        std::ofstream(std::string(argv[1]) + "/" + name, std::ios::binary) << tw::EncodeState(rec, codec);
    };
    tw::StateRecord rec;
    rec.Version = tw::kVersionText;
    tw::SetDefaults(rec.Settings, 1024, 768);
    write("defaults", rec);

    rec.Settings.Keyword = "桜 ｻｸﾗ";
    tw::AppendCapped(rec.Settings.WatchFolderSet.WatchFolders, rec.Settings.WatchFolderSet.WatchFolderCount,
                     tw::WatchFolder{"D:\\音楽\\", tw::kTrue});
    tw::RootEntry root;
    root.Path = "D:\\音楽\\";
    tw::AppendCapped(root.Folders, root.FolderCount, tw::FolderEntry{"", -1, ""});
    tw::AppendCapped(root.Folders, root.FolderCount, tw::FolderEntry{"Live", 0, ""});
    tw::AppendCapped(root.Tracks, root.TrackCount, tw::TrackEntry{"01.mp3", 0, "春", "歌手", "盤", "c"});
    tw::AppendCapped(root.Tracks, root.TrackCount, tw::TrackEntry{"02.mp3", 1, "", "", "", ""});
    tw::AppendCapped(rec.Library.LibraryRoots, rec.Library.RootCount, root);
    tw::SearchHit hit{"D:\\音楽\\", "Live\\", "02.mp3"};
    tw::AppendCapped(rec.PlayList, rec.PlayCount, hit);
    tw::AppendCapped(rec.Search.SearchHits, rec.Search.SearchHitCount, hit);
    tw::AppendCapped(rec.Search.SearchWords, rec.Search.SearchWordCount, std::string("桜"));
    write("library", rec);

    // Several roots, so that a second reader has roots to start at.
    for (int r = 1; r < 6; ++r) {
        root.Path = "D:\\音楽\\" + std::to_string(r) + "\\";
        tw::AppendCapped(rec.Library.LibraryRoots, rec.Library.RootCount, root);
    }
    write("roots", rec);
    return 0;
}
