#pragma once
// The one application context: every value the program shares, grouped by
// who keeps it, and the platform services it talks through.
#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "model/state_record.h"
#include "model/window_state.h"

namespace tw {

class Clock;
class MessagePump;
class FileSystem;
class TextCodec;
class Shell;
class MessageBoxes;
class SystemInfo;
class MainWindow;
class MciDevice;
class DialogHost;
class FolderWatcher;

// The services of the platform. The context does not own them.
struct Platform {
    Clock* clock = nullptr;
    MessagePump* pump = nullptr;
    FileSystem* files = nullptr;
    TextCodec* codec = nullptr;
    Shell* shell = nullptr;
    MessageBoxes* boxes = nullptr;
    SystemInfo* system = nullptr;
    MainWindow* window = nullptr;
    MciDevice* mci = nullptr;
    DialogHost* dialogs = nullptr;
    FolderWatcher* watcher = nullptr;  // none: the folders are not watched
};

// Operating-system classes; only kOsNt5 has layered translucency.
enum : int32_t { kOsWin32s = 0, kOsWin95 = 1, kOsWin98 = 2, kOsNt3 = 3, kOsNt4 = 4, kOsNt5 = 5 };

// Run-time values that start afresh at every start.
struct RuntimeState {
    int32_t OsKind = kOsNt5;
    bool FirstRun = false;
    std::string StartNotice;  // what the start banner must also say (a data file kept aside)
    std::array<int16_t, 4> PadCommands{9, 1, 0, 8};  // previous, play/pause, stop, next
    bool Quitting = false;
    bool CancelRequested = false;
    bool WakeRequest = false;

    int16_t AppState = 0;
    std::string MessageText;
    std::string IdleText;
    uint32_t MessageTime = 0;  // 0: no fresh message
    bool Busy = false;
    uint32_t BlinkBase = 0;
    int16_t ChosenHit = 0;     // hit chosen from the menu, -1 for all
    int16_t PendingMenu = -1;  // menu the popup timer opens (0: the hits)
    bool InMainTick = false;

    // Popup menus open right now, and the dialogs: while any is open the
    // window stays shown.
    int16_t OpenMenuCount = 0;
    bool VersionDialogOpen = false;
    bool SettingsDialogOpen = false;
    // What the settings dialog's last use came to: closed with OK, and
    // whether the library must be registered again.
    bool SettingsApplied = false;
    bool FoldersChanged = false;

    // The window hook: routing menu commands, the wheel, the extra mouse
    // buttons and the notification icon's clicks into the program.
    bool HookInstalled = false;
    bool HookBusy = false;

    // The rename dialogue held in the keyword box.
    SearchHit RenameItem;
    std::string SavedBoxText;
    bool Renaming = false;

    std::vector<int16_t> ShuffleMap;

    // Entries a registration found but could not keep: a root's lists stop
    // at 32,767 entries.
    int32_t FilesOverLimit = 0;
    int32_t FoldersOverLimit = 0;

    // The keyboard: the summoning chord and the media keys held as
    // hotkeys (bit i: media key i), and whether the shell tells of the
    // media keys pressed in other windows.
    bool HotkeyHeld = false;
    uint8_t MediaKeysHeld = 0;
    bool ShellHookOn = false;
};

// A track of the library: root r, track t.
struct TrackRef {
    int16_t root = 0, track = 0;
    bool operator==(const TrackRef&) const = default;
};

// Search as you type: the box's last change, and the result of the last
// search of its text. The result lasts while the program rests and the
// library stays as it is.
struct TypeAheadState {
    bool Pending = false;    // a change not searched yet
    uint32_t ChangedAt = 0;  // when the box last changed
    bool Composing = false;  // an IME composition is open
    bool HaveResult = false;
    std::string ResultText;  // the box text the result is of
    std::vector<TrackRef> Matches;  // in library order, at most MaxHits
    TrackRef Next;           // the first track the search did not look at
    bool Done = false;       // it looked at every track
};

// A music folder watched for changes.
struct WatchedFolder {
    std::string Path;        // as configured when the watch began
    int Id = 0;              // the watcher's, 0 while it is not watched
    bool Changed = false;    // changed since its root was last registered
    uint32_t ChangedAt = 0;  // when a change was last seen
};

// Watching the music folders, and the root a job registers again.
struct WatchState {
    std::vector<WatchedFolder> Folders;  // one a WatchFolders entry
    uint32_t PolledAt = 0;
    int16_t RefreshRoot = -1;  // the root the registration job is for; -1: all of them
    TrackLibrary Fresh;        // that root as the job registers it
    int32_t Added = 0, Removed = 0;
    // Each root's tracks' stamps as listed before their tags were read in
    // this run (tracks below the root's TagsRead had theirs read); empty
    // where not known.
    std::vector<std::vector<FileStamp>> TagStamps;
};

// The player engine's values; the status line and the lists read them.
struct PlayerRuntime {
    int16_t PlayerState = 0;
    int16_t PlayIndex = 0;
    bool DeviceOpen = false;
    int32_t PlayPosition = 0;  // ms, last polled or the target of a seek
    int32_t TrackLength = 0;   // ms
    uint32_t OpenFailTime = 0;
    int16_t HeldCommand = -1;  // code of the held button, -1 for none
    uint32_t HeldSince = 0;
    uint32_t HeldLastStep = 0;
    bool HeldFirstStep = false;
};

// What the settings dialog keeps between its uses: the copy it edits and
// the settings as they were when it opened.
struct SettingsDialogState {
    ::tw::Settings WorkSettings;
    ::tw::Settings SettingsAtOpen;
};

struct AppContext {
    explicit AppContext(const Platform& p) : platform(p) {}
    Platform platform;
    StateRecord live;  // what the data file keeps between runs
    RuntimeState run;
    PlayerRuntime player;
    WindowRuntime win;
    SettingsDialogState settingsDialog;
    TypeAheadState typeAhead;
    WatchState watch;
    std::mt19937 random;
};

}  // namespace tw
