// Writes a data file for the end-to-end tests: the default settings with
// the changes asked for and, when a music folder is given, its library
// registered with tags, as the program itself would have stored it.
//
//   make_dat OUT [left=N] [top=N] [keyword=TEXT] [transparency=0|1]
//                [autohide=0|1] [internal=0|1] [music=/unix/folder]
//                [watch=/unix/folder] [watching=0|1] [textcolor=R,G,B] [backcolor=R,G,B]
//
// music= registers the folder (with its sub-folders) as a root and names it
// as a watched folder; given several times, each is a root of its own (a
// root keeps at most 32,767 tracks). watch= only names one folder as the
// folder to register, in place of those. Either is stored as Wine sees it,
// on drive Z:.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/work_scheduler.h"
#include "core/data_file.h"
#include "library/folder_scan.h"
#include "library/tag_reader.h"
#include "model/app_context.h"
#include "model/defaults.h"
#include "platform/clock.h"
#include "platform/message_pump.h"
#include "platform/posix/iconv_codec.h"
#include "platform/posix/posix_files.h"

namespace {

struct NoClock : tw::Clock {
    uint32_t GetTickCount() override { return 1; }
};
struct NoPump : tw::MessagePump {
    void Yield() override {}
};

std::string Backslashed(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    if (path.empty() || path.back() != '\\') path += '\\';
    return path;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_dat OUT [key=value]...\n");
        return 2;
    }
    NoClock clock;
    NoPump pump;
    tw::PosixFileSystem files;
    tw::IconvCodec codec("CP932");
    tw::Platform platform;
    platform.clock = &clock;
    platform.pump = &pump;
    platform.files = &files;
    platform.codec = &codec;
    tw::AppContext ctx(platform);
    tw::Settings& s = ctx.live.Settings;
    tw::SetDefaults(s, 1024, 768);

    std::vector<std::string> music;
    std::string watch;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        const size_t eq = arg.find('=');
        const std::string key = arg.substr(0, eq), value = eq == std::string::npos ? "" : arg.substr(eq + 1);
        const int16_t number = static_cast<int16_t>(std::atoi(value.c_str()));
        if (key == "left") s.WindowLeft = number;
        else if (key == "top") s.WindowTop = number;
        else if (key == "keyword") s.Keyword = value;
        else if (key == "transparency") s.UseTransparency = tw::ToVBool(number != 0);
        else if (key == "autohide") s.AutoHide = tw::ToVBool(number != 0);
        else if (key == "internal") s.UseInternalPlayer = tw::ToVBool(number != 0);
        else if (key == "music") music.push_back(value);
        else if (key == "typeahead") s.SearchAsYouType = tw::ToVBool(number != 0);
        else if (key == "mediakeys") s.MediaKeys = tw::ToVBool(number != 0);
        else if (key == "hotkey") s.Hotkey = std::atoi(value.c_str());
        else if (key == "watching") s.WatchForChanges = tw::ToVBool(number != 0);
        else if (key == "watch") watch = value;
        else if (key == "textcolor" || key == "backcolor") {
            tw::RgbColor& c = key == "textcolor" ? s.TextColor : s.BackColor;
            int r = 0, g = 0, b = 0;
            if (std::sscanf(value.c_str(), "%d,%d,%d", &r, &g, &b) != 3) {
                std::fprintf(stderr, "make_dat: %s wants R,G,B\n", key.c_str());
                return 2;
            }
            c = {static_cast<int16_t>(r), static_cast<int16_t>(g), static_cast<int16_t>(b)};
        }
        else {
            std::fprintf(stderr, "make_dat: unknown setting %s\n", arg.c_str());
            return 2;
        }
    }

    for (const std::string& folder : music) {
        // Registered through its Unix path, then named as Wine names it.
        const std::string unixRoot = Backslashed(folder);
        tw::Registration reg = tw::RegistrationOf(ctx);
        if (!tw::RegisterRoot(reg, unixRoot, true)) return 1;
        const int16_t r = static_cast<int16_t>(ctx.live.Library.RootCount - 1);
        tw::ReadRootTags(ctx.live.Library, files, codec, tw::JobOf(ctx), r, true);
        tw::RootEntry& root = ctx.live.Library.LibraryRoots[r];
        root.Path = "Z:" + unixRoot;
        tw::WatchFolderSet& set = s.WatchFolderSet;
        set.WatchFolders.Resize(static_cast<size_t>(r) + 1);
        set.WatchFolders[r] = tw::WatchFolder{root.Path, tw::kTrue};
        set.WatchFolderCount = static_cast<int16_t>(r + 1);
    }

    if (!watch.empty()) {
        tw::WatchFolderSet& set = s.WatchFolderSet;
        set.WatchFolders.Resize(1);
        set.WatchFolders[0] = tw::WatchFolder{"Z:" + Backslashed(watch), tw::kTrue};
        set.WatchFolderCount = 1;
    }

    tw::StateRecord rec;
    rec.Version = tw::kVersionText;
    rec.Settings = ctx.live.Settings;
    rec.Library = ctx.live.Library;
    if (!tw::WriteStateFile(files, codec, argv[1], rec)) {
        std::fprintf(stderr, "make_dat: cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("%d files registered\n", ctx.live.Library.RegisteredFileCount);
    return 0;
}
