#pragma once
// Deterministic stand-ins for the platform, for the host tests.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/app_events.h"
#include "dialogs/settings_dialog.h"
#include "dialogs/version_dialog.h"
#include "model/app_context.h"
#include "platform/clock.h"
#include "platform/dialog_host.h"
#include "platform/files.h"
#include "platform/folder_watch.h"
#include "platform/main_window.h"
#include "platform/mci.h"
#include "platform/message_box.h"
#include "platform/message_pump.h"
#include "platform/posix/iconv_codec.h"
#include "platform/shell.h"
#include "platform/system.h"

namespace tw::test {

// A 128-byte ID3v1 block; fields are raw bytes, padded with NUL.
inline std::string Id3v1Block(const std::string& title, const std::string& artist = "",
                              const std::string& album = "", const std::string& comment = "",
                              const std::string& marker = "TAG") {
    std::string b(128, '\0');
    auto put = [&](size_t at, size_t size, const std::string& v) {
        b.replace(at, std::min(size, v.size()), v.substr(0, size));
    };
    put(0, 3, marker);
    put(3, 30, title);
    put(33, 30, artist);
    put(63, 30, album);
    put(93, 4, "1999");
    put(97, 30, comment);
    b[127] = 17;
    return b;
}

// A tick counter the test moves by hand; it wraps like the real one.
class FakeClock : public Clock {
public:
    uint32_t now = 1000;
    uint32_t GetTickCount() override { return now; }
    void Advance(uint32_t ms) { now += ms; }
};

// Runs the scripted action of the Nth yield (counting from 1), if any.
class ScriptedPump : public MessagePump {
public:
    int yields = 0;
    std::map<int, std::function<void()>> at;
    std::function<void()> every;
    void Yield() override {
        ++yields;
        if (every) every();
        if (auto it = at.find(yields); it != at.end()) it->second();
    }
};

// Files in memory. `failOn` names an operation ("write", "replace",
// "delete", "read") that fails from then on; `failWriteAfter` makes a
// write stop after that many bytes, leaving the partial file behind.
class MemoryFileSystem : public FileSystem {
public:
    std::map<std::string, std::string> files;
    std::set<std::string> readOnly;
    std::set<std::string> failOn;
    std::optional<size_t> failWriteAfter;
    std::vector<std::string> log;

    bool FileExists(const std::string& path) override { return files.count(path) > 0; }
    bool ReadWholeFile(const std::string& path, std::string& bytes) override;
    bool WriteNewFile(const std::string& path, const std::string& bytes) override;
    bool ReplaceFile(const std::string& from, const std::string& to) override;
    bool ReplaceKeepingOld(const std::string& from, const std::string& to, const std::string& backup) override;
    bool DeleteFile(const std::string& path) override;
    bool RenameFile(const std::string& from, const std::string& to) override;
    // Folders, by full path without a trailing backslash, with attributes.
    std::map<std::string, uint32_t> dirs;
    std::map<std::string, uint32_t> fileAttributes;  // default: archive
    bool windowsNames = false;  // renames and listings drop a trailing dot or blank, as Windows does
    std::string AsNamed(std::string path) const;
    std::vector<std::string> patterns;               // every FindEntries asked

    void AddDir(const std::string& path, uint32_t extra = 0) { dirs[path] = kAttrDirectory | extra; }
    // A folder at `path` that is the folder `target` (a junction or a
    // symbolic link): listed like a folder, everything below it is the
    // target's.
    std::map<std::string, std::string> links;
    void AddLink(const std::string& path, const std::string& target) {
        dirs[path] = kAttrDirectory;
        links[path] = target;
    }
    std::string Resolve(std::string path) const;
    bool identities = true;  // whether folders tell their identity
    std::map<std::string, uint64_t> writeTimes;  // listed last-write times (default 1)
    void AddFile(const std::string& path, std::string bytes = "") { files[path] = std::move(bytes); }
    // Lists a folder's children in name order, "." and ".." first, as a
    // Windows listing of a non-root folder does.
    bool FindEntries(const std::string& pattern, std::vector<FindEntry>& out) override;
    bool GetAttributes(const std::string& path, uint32_t& attributes) override;
    bool IdentifyFolder(const std::string& path, FolderIdentity& id) override;
    std::string ShortPath(const std::string& path) override {
        return files.count(path) ? path : std::string();
    }
    bool ReadTail(const std::string& path, uint32_t count, std::string& bytes) override;
};

// Watches that change when the test says so. Folders in `refused` cannot
// be watched.
class FakeWatcher : public FolderWatcher {
public:
    std::map<int, std::pair<std::string, bool>> watching;  // id: folder, subtree
    std::set<std::string> refused;
    std::set<int> changed, failed;
    int polls = 0, nextId = 1;
    int Watch(const std::string& folder, bool subtree) override {
        if (refused.count(folder)) return 0;
        watching[nextId] = {folder, subtree};
        return nextId++;
    }
    void Stop(int id) override { watching.erase(id); }
    void Poll(std::vector<int>& c, std::vector<int>& f) override {
        ++polls;
        c.assign(changed.begin(), changed.end());
        f.assign(failed.begin(), failed.end());
        for (int id : failed) watching.erase(id);
        changed.clear();
        failed.clear();
    }
    // A change in `folder`, seen by its watches.
    void Touch(const std::string& folder) {
        for (const auto& [id, w] : watching)
            if (w.first == folder) changed.insert(id);
    }
    void Fail(const std::string& folder) {
        for (const auto& [id, w] : watching)
            if (w.first == folder) failed.insert(id);
    }
};

struct ShellCall {
    bool ownedByMainWindow;
    std::string file, parameters, directory;
    int showMode;
};

class RecordingShell : public Shell {
public:
    std::vector<ShellCall> executed;
    std::vector<std::string> started;
    bool Execute(bool owned, const std::string& file, const std::string& parameters,
                 const std::string& directory, int showMode) override {
        executed.push_back({owned, file, parameters, directory, showMode});
        return true;
    }
    bool StartProcess(const std::string& commandLine) override {
        started.push_back(commandLine);
        return true;
    }
    std::vector<std::pair<std::string, std::string>> deleted;  // path, progress title
    std::vector<std::string> links;
    bool DeleteToRecycleBin(const std::string& path, const std::string& title) override {
        deleted.emplace_back(path, title);
        return true;
    }
    bool OpenLink(const std::string& target) override {
        links.push_back(target);
        return true;
    }
};

struct BoxCall {
    std::string text, caption;
    BoxIcon icon;
    BoxButtons buttons;
    BoxDefault defaultButton;
};

// Answers message boxes from a queue (OK / the default when it runs out).
class ScriptedBoxes : public MessageBoxes {
public:
    std::vector<BoxCall> shown;
    std::vector<BoxAnswer> answers;
    // Runs while a box is open, as the timers do behind a real one.
    std::function<void()> whileOpen;
    BoxAnswer Show(const std::string& text, const std::string& caption, BoxIcon icon,
                   BoxButtons buttons, BoxDefault def) override;
};

class FakeSystem : public SystemInfo {
public:
    OsVersion version{2, 10, 0};
    int width = 1024, height = 768;
    int dpi = 96;
    // Monitors besides the primary one (which is 0, 0, width, height).
    std::vector<PixelRect> otherMonitors;
    std::string folder = "C:\\Tools\\Tunewhistle";
    bool otherInstance = false;
    bool shift = false;
    OsVersion GetVersion() override { return version; }
    int ScreenWidth() override { return width; }
    int ScreenHeight() override { return height; }
    int Dpi() override { return dpi; }
    bool OnAnyMonitor(int left, int top, int w, int h) override;
    std::string ProgramFolder() override { return folder; }
    bool AnotherInstanceRunning() override { return otherInstance; }
    bool ShiftDown() override { return shift; }
};

// Records what the program did to its window. Load and UnloadAll run the
// form's load and unload events as the real window does. Text widths are
// 6 pixels a character below U+0080 and 12 above; CR and LF are 0.
class FakeWindow : public MainWindow {
public:
    AppContext* ctx = nullptr;            // read for the status shown
    MainWindowEvents* handler = nullptr;  // told of the loading and unloading
    bool loaded = false, shown = false, unloaded = false;
    int loads = 0;
    int left = 0, top = 0, width = 0, height = 0;
    std::map<TimerId, bool> timers;
    std::string caption;
    std::string boxText;
    bool boxSelected = false, boxEnabled = true, boxFocused = false;
    std::optional<std::string> trayTip;
    std::vector<std::string> events;
    // The status texts shown, in order (read off the program's state at
    // each change of the lines or the window's shape).
    std::vector<std::string> statusShown;
    std::array<std::string, 6> lines;
    int shapes = 0;                       // SetShape calls
    std::optional<WindowGeometry> placed;  // the last PlaceControls
    RgbColor back, line;
    bool topMost = false;
    bool visible = false, layered = false;
    int alpha = 255;
    std::vector<int> alphas;              // every alpha applied
    std::array<int, 4> padPictures{};
    int padPictureCalls = 0;
    PixelPoint cursor{-1000, -1000};
    bool captured = false;
    int broughtToFront = 0;

    void Load() override;
    void Show() override {
        shown = visible = true;
        events.push_back("show");
    }
    void UnloadAll() override;
    void SetTimerEnabled(TimerId id, bool enabled) override {
        timers[id] = enabled;
        events.push_back(std::string(enabled ? "enable " : "disable ") + TimerName(id));
    }
    bool TimerEnabled(TimerId id) override { return timers[id]; }
    std::map<TimerId, bool> resting;
    void SetTimerResting(TimerId id, bool r) override { resting[id] = r; }
    void SetCaption(const std::string& text) override { caption = text; }
    PixelRect Bounds() override { return {left, top, width, height}; }
    void SetBounds(int l, int t, int w, int h) override { left = l, top = t, width = w, height = h; }
    void MoveTo(int l, int t) override { left = l, top = t; }
    void SetTopMost(bool on) override { topMost = on; }
    void SetShape(const WindowGeometry& g, int h) override {
        width = g.width, height = h;
        ++shapes;
        NoteStatus();
    }
    void SetColors(RgbColor b, RgbColor l) override { back = b, line = l; }
    void PlaceControls(const WindowGeometry& g) override { placed = g; }
    int TextWidth(const std::string& text) override;
    void SetLineText(int index, const std::string& text) override {
        lines.at(static_cast<size_t>(index)) = text;
        NoteStatus();
    }
    void SetPadPicture(int index, int picture) override {
        padPictures.at(static_cast<size_t>(index)) = picture;
        ++padPictureCalls;
    }
    void SetVisible(bool v) override { visible = v; }
    void SetLayeredStyle(bool on) override { layered = on; }
    void SetLayeredAlpha(uint8_t a) override {
        alpha = a;
        alphas.push_back(a);
    }
    void BringToFront() override { ++broughtToFront; }
    PixelPoint CursorPos() override { return cursor; }
    void SetCapture(bool on) override { captured = on; }
    std::string BoxText() override { return boxText; }
    void SetBoxText(const std::string& t) override { boxText = t, boxSelected = false; }
    void SelectAllBoxText() override { boxSelected = true; }
    void SetBoxEnabled(bool e) override { boxEnabled = e; }
    bool BoxEnabled() override { return boxEnabled; }
    void FocusBox() override { boxFocused = true; }
    // Chords other programs hold, and whether the shell will tell of
    // commands; what the program holds now, by id.
    std::set<int32_t> takenChords;
    bool shellRefuses = false;
    std::map<int, int32_t> hotkeys;
    bool shellWatched = false;
    bool RegisterHotkey(int id, int32_t chord) override {
        if (takenChords.count(chord) || hotkeys.count(id)) return false;
        hotkeys[id] = chord;
        return true;
    }
    void UnregisterHotkey(int id) override { hotkeys.erase(id); }
    bool WatchShellCommands(bool on) override {
        shellWatched = on && !shellRefuses;
        return shellWatched;
    }
    void AddTrayIcon(const std::string& tip) override {
        trayTip = tip;
        events.push_back("tray add");
    }
    void RemoveTrayIcon() override {
        trayTip.reset();
        events.push_back("tray delete");
    }
    // The menus opened, in order, and what became of them.
    std::vector<MenuModel> menusShown;
    int menusDestroyed = 0;
    int repaints = 0;
    void TrackPopupMenu(const MenuModel& m) override { menusShown.push_back(m); }
    void DestroyMenus() override { ++menusDestroyed; }
    void RepaintNow() override { ++repaints; }

    static const char* TimerName(TimerId id);

private:
    void NoteStatus();
};

// Records every command string; answers from a table of replies by
// command, with error codes for commands listed in `errors`.
class RecordingMci : public MciDevice {
public:
    std::vector<std::string> commands;
    std::map<std::string, std::string> replies;
    std::map<std::string, uint32_t> errors;
    uint32_t SendString(const std::string& command, std::string& reply) override {
        commands.push_back(command);
        auto r = replies.find(command);
        reply = r == replies.end() ? std::string() : r->second;
        auto e = errors.find(command);
        return e == errors.end() ? 0 : e->second;
    }
};

// The dialogs' windows: each showing runs the script given for it, as the
// user's actions would, and records that it was shown.
class ScriptedDialogs : public DialogHost {
public:
    std::function<void(SettingsDialog&)> settings;
    std::function<void(VersionDialog&)> version;
    int settingsShown = 0, versionShown = 0, unloads = 0;
    void RunSettingsDialog(SettingsDialog& d) override {
        ++settingsShown;
        if (settings) settings(d);
    }
    void RunVersionDialog(VersionDialog& d) override {
        ++versionShown;
        if (version) version(d);
    }
    void UnloadDialogs() override { ++unloads; }
};

// The settings dialog's services: folders and colours the user "picks",
// answers to its questions, all recorded.
class ScriptedSettingsUi : public SettingsDialogUi {
public:
    std::vector<std::string> folders;  // picked in turn; "" cancels
    std::vector<int32_t> colors;       // picked in turn; -1 cancels
    std::vector<BoxAnswer> answers;    // to the questions in turn (Ok/Yes when out)
    std::vector<std::string> asked;
    std::string SelectFolder() override { return Take(folders, std::string()); }
    int32_t SelectColor(int32_t) override { return Take(colors, -1); }
    BoxAnswer Ask(const std::string& text, BoxIcon, BoxButtons buttons) override {
        asked.push_back(text);
        return Take(answers, buttons == BoxButtons::Ok ? BoxAnswer::Ok : BoxAnswer::Yes);
    }

private:
    template <class T>
    static T Take(std::vector<T>& q, T fallback) {
        if (q.empty()) return fallback;
        T v = q.front();
        q.erase(q.begin());
        return v;
    }
};

// One application context on fakes, ready to start.
struct TestApp {
    FakeClock clock;
    ScriptedPump pump;
    MemoryFileSystem files;
    IconvCodec codec{"CP932"};
    RecordingShell shell;
    ScriptedBoxes boxes;
    FakeSystem system;
    FakeWindow window;
    RecordingMci mci;
    ScriptedDialogs dialogs;
    FakeWatcher watcher;
    AppContext ctx;
    AppEvents appEvents{ctx};

    TestApp();
    std::string DataPath() const { return system.folder + "\\dat"; }
};

}  // namespace tw::test
