#pragma once
#include <cstdint>
#include <string>

namespace tw {

struct OsVersion {
    uint32_t platformId = 2;  // 0 Win32s, 1 Windows 9x, 2 NT
    uint32_t major = 0;
    uint32_t minor = 0;
};

// Facts about the system and this process.
class SystemInfo {
public:
    virtual ~SystemInfo() = default;
    virtual OsVersion GetVersion() = 0;
    virtual int ScreenWidth() = 0;
    virtual int ScreenHeight() = 0;
    // Pixels per inch of the display (96 at 100 % scaling).
    virtual int Dpi() = 0;
    // Whether any part of the rectangle lies on a monitor.
    virtual bool OnAnyMonitor(int left, int top, int width, int height) = 0;
    // The folder holding the program, without a trailing backslash.
    virtual std::string ProgramFolder() = 0;
    // True when another copy of the program is running. The first call
    // claims the instance for this process for the rest of its life.
    virtual bool AnotherInstanceRunning() = 0;
    // Whether the Shift key is held down right now.
    virtual bool ShiftDown() = 0;
};

}  // namespace tw
