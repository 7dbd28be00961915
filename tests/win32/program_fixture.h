#pragma once
// One program on the real Win32 layer for the window tests: the real
// window, files, clock and pump, with the program in a scratch folder,
// the shell and message boxes recorded instead of shown.
#include <memory>
#include <string>
#include <vector>

#include "app/app_events.h"
#include "model/app_context.h"
#include "platform/message_box.h"
#include "platform/shell.h"
#include "platform/win32/win_basics.h"
#include "platform/win32/win_files.h"
#include "platform/win32/win_mci.h"
#include "platform/win32/win_system.h"
#include "views/win32/win_main_window.h"

namespace tw::win::test {

// The real system, except that the program lives in a scratch folder and
// is always the only copy.
class ScratchSystem final : public SystemInfo {
public:
    explicit ScratchSystem(std::string folder) : folder_(std::move(folder)) {}
    OsVersion GetVersion() override { return real_.GetVersion(); }
    int ScreenWidth() override { return real_.ScreenWidth(); }
    int ScreenHeight() override { return real_.ScreenHeight(); }
    int Dpi() override { return real_.Dpi(); }
    bool OnAnyMonitor(int l, int t, int w, int h) override { return real_.OnAnyMonitor(l, t, w, h); }
    std::string ProgramFolder() override { return folder_; }
    bool AnotherInstanceRunning() override { return false; }
    bool ShiftDown() override { return false; }

private:
    WinSystemInfo real_{L"Local\\Tunewhistle.Test.Window"};
    std::string folder_;
};

// Records what the program opens instead of opening it.
class RecordingShell final : public Shell {
public:
    bool Execute(bool, const std::string& file, const std::string&, const std::string&, int) override {
        opened.push_back(file);
        return true;
    }
    bool StartProcess(const std::string& commandLine) override {
        opened.push_back(commandLine);
        return true;
    }
    bool DeleteToRecycleBin(const std::string& path, const std::string&) override {
        opened.push_back("delete " + path);
        return true;
    }
    bool OpenLink(const std::string& target) override {
        opened.push_back(target);
        return true;
    }
    std::vector<std::string> opened;
};

// Answers every message box at once with its first button.
class RecordingBoxes final : public MessageBoxes {
public:
    BoxAnswer Show(const std::string& text, const std::string&, BoxIcon, BoxButtons buttons,
                   BoxDefault) override {
        shown.push_back(text);
        return buttons == BoxButtons::YesNo ? BoxAnswer::Yes : BoxAnswer::Ok;
    }
    std::vector<std::string> shown;
};

struct Program {
    explicit Program(const std::string& folder) : system(folder) {
        Platform p;
        p.clock = &clock;
        p.pump = &pump;
        p.files = &files;
        p.codec = &codec;
        p.shell = &shell;
        p.boxes = &boxes;
        p.system = &system;
        p.window = &window;
        p.mci = &mci;
        ctx = std::make_unique<AppContext>(p);
        events = std::make_unique<AppEvents>(*ctx);
        window.Attach(*ctx, *events);
    }
    WinClock clock;
    WinMessagePump pump;
    WinFileSystem files;
    WinTextCodec codec;
    RecordingShell shell;
    RecordingBoxes boxes;
    ScratchSystem system;
    WinMainWindow window;
    WinMci mci;
    std::unique_ptr<AppContext> ctx;
    std::unique_ptr<AppEvents> events;
};

// Runs the message loop until WM_QUIT or the time is up.
bool PumpUntilQuit(DWORD timeoutMs);
// Runs the message loop for a while.
void PumpFor(DWORD ms);

}  // namespace tw::win::test
