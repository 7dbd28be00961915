#pragma once
// Sample records for the data-file fuzz targets' seeds and inputs.
#include <string>

#include "model/defaults.h"
#include "model/state_record.h"

namespace tw::fuzz {

inline StateRecord DefaultRecord() {
    StateRecord rec;
    rec.Version = kVersionText;
    SetDefaults(rec.Settings, 1024, 768);
    return rec;
}

// A library of one root with texts in every place.
inline StateRecord LibraryRecord() {
    StateRecord rec = DefaultRecord();
    rec.Settings.Keyword = "桜 ｻｸﾗ";
    AppendCapped(rec.Settings.WatchFolderSet.WatchFolders, rec.Settings.WatchFolderSet.WatchFolderCount,
                 WatchFolder{"D:\\音楽\\", kTrue});
    RootEntry root;
    root.Path = "D:\\音楽\\";
    AppendCapped(root.Folders, root.FolderCount, FolderEntry{"", -1, ""});
    AppendCapped(root.Folders, root.FolderCount, FolderEntry{"Live", 0, ""});
    AppendCapped(root.Tracks, root.TrackCount, TrackEntry{"01.mp3", 0, "春", "歌手", "盤", "c"});
    AppendCapped(root.Tracks, root.TrackCount, TrackEntry{"02.mp3", 1, "", "", "", ""});
    AppendCapped(rec.Library.LibraryRoots, rec.Library.RootCount, root);
    SearchHit hit{"D:\\音楽\\", "Live\\", "02.mp3"};
    AppendCapped(rec.PlayList, rec.PlayCount, hit);
    AppendCapped(rec.Search.SearchHits, rec.Search.SearchHitCount, hit);
    AppendCapped(rec.Search.SearchWords, rec.Search.SearchWordCount, std::string("桜"));
    return rec;
}

}  // namespace tw::fuzz
