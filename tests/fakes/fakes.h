#pragma once
// Deterministic stand-ins for the platform, for the host tests.
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/app_context.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/main_window.h"
#include "platform/mci.h"
#include "platform/message_box.h"
#include "platform/message_pump.h"
#include "platform/posix/iconv_codec.h"
#include "platform/shell.h"
#include "platform/system.h"

namespace tw::test {

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
    bool DeleteFile(const std::string& path) override;
    bool RenameFile(const std::string& from, const std::string& to) override;
    // Folders, by full path without a trailing backslash, with attributes.
    std::map<std::string, uint32_t> dirs;
    std::map<std::string, uint32_t> fileAttributes;  // default: archive
    std::vector<std::string> patterns;               // every FindEntries asked

    void AddDir(const std::string& path, uint32_t extra = 0) { dirs[path] = kAttrDirectory | extra; }
    void AddFile(const std::string& path, std::string bytes = "") { files[path] = std::move(bytes); }
    // Lists a folder's children in name order, "." and ".." first, as a
    // Windows listing of a non-root folder does.
    bool FindEntries(const std::string& pattern, std::vector<FindEntry>& out) override;
    bool GetAttributes(const std::string& path, uint32_t& attributes) override;
    std::string ShortPath(const std::string& path) override {
        return files.count(path) ? path : std::string();
    }
    bool ReadTail(const std::string& path, uint32_t count, std::string& bytes) override;
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
    BoxAnswer Show(const std::string& text, const std::string& caption, BoxIcon icon,
                   BoxButtons buttons, BoxDefault def) override;
};

class FakeSystem : public SystemInfo {
public:
    OsVersion version{2, 10, 0};
    int width = 1024, height = 768;
    std::string folder = "C:\\Tools\\Tunewhistle";
    bool otherInstance = false;
    bool shift = false;
    OsVersion GetVersion() override { return version; }
    int ScreenWidth() override { return width; }
    int ScreenHeight() override { return height; }
    std::string ProgramFolder() override { return folder; }
    bool AnotherInstanceRunning() override { return otherInstance; }
    bool ShiftDown() override { return shift; }
};

// Records what the program did to its window. Load and UnloadAll run the
// form's load and unload events as the real window does.
class FakeWindow : public MainWindow {
public:
    AppContext* ctx = nullptr;
    bool loaded = false, shown = false, unloaded = false;
    int loads = 0;
    int left = 0, top = 0, width = 0, height = 0;
    std::map<TimerId, bool> timers;
    std::string boxText;
    bool boxSelected = false, boxEnabled = true;
    std::optional<std::string> trayTip;
    std::vector<std::string> events;
    std::vector<std::string> statusShown;

    void Load() override;
    void Show() override { shown = true; events.push_back("show"); }
    void UnloadAll() override;
    void SetBounds(int l, int t, int w, int h) override {
        left = l, top = t, width = w, height = h;
    }
    void SetTimerEnabled(TimerId id, bool enabled) override {
        timers[id] = enabled;
        events.push_back(std::string(enabled ? "enable " : "disable ") + TimerName(id));
    }
    std::string BoxText() override { return boxText; }
    void SetBoxText(const std::string& t) override { boxText = t, boxSelected = false; }
    void SelectAllBoxText() override { boxSelected = true; }
    void SetBoxEnabled(bool e) override { boxEnabled = e; }
    void AddTrayIcon(const std::string& tip) override {
        trayTip = tip;
        events.push_back("tray add");
    }
    void RemoveTrayIcon() override {
        trayTip.reset();
        events.push_back("tray delete");
    }
    void ShowStatusText(const std::string& text) override {
        if (statusShown.empty() || statusShown.back() != text) statusShown.push_back(text);
    }
    static const char* TimerName(TimerId id);
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
    AppContext ctx;

    TestApp();
    std::string DataPath() const { return system.folder + "\\dat"; }
};

}  // namespace tw::test
