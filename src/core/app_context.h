#pragma once
// The one application context: every value the program shares, grouped by
// who keeps it, and the platform services it talks through.
#include <array>
#include <cstdint>
#include <random>
#include <string>

#include "core/state_record.h"

namespace tw {

class Clock;
class MessagePump;
class FileSystem;
class TextCodec;
class Shell;
class MessageBoxes;
class SystemInfo;
class MainWindow;

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
};

// What the data file keeps between runs.
struct PersistentState {
    ::tw::Settings Settings;
    TrackLibrary Library;
    StoredArray<SearchHit> PlayList;
    int16_t PlayCount = 0;
    SearchState Search;
};

// Operating-system classes; only kOsNt5 has layered translucency.
enum : int32_t { kOsWin32s = 0, kOsWin95 = 1, kOsWin98 = 2, kOsNt3 = 3, kOsNt4 = 4, kOsNt5 = 5 };

// Run-time values that start afresh at every start.
struct RuntimeState {
    int32_t OsKind = kOsNt5;
    bool FirstRun = false;
    float Opacity = -1.0f;
    int16_t HeldCommand = -1;
    std::array<int16_t, 4> PadCommands{9, 1, 0, 8};
    int16_t PressedPad = -1;
    std::array<int16_t, 4> PadShown{-1, -1, -1, -1};
    std::array<std::string, 6> StatusLines;
    bool Quitting = false;
    bool CancelRequested = false;
    bool WakeRequest = false;

    int16_t AppState = 0;
    std::string MessageText;
    std::string IdleText;
    uint32_t MessageTime = 0;
    bool Busy = false;
};

struct AppContext {
    explicit AppContext(const Platform& p) : platform(p) {}
    Platform platform;
    PersistentState live;
    RuntimeState run;
    std::mt19937 random;
};

}  // namespace tw
