// The main window on a real display: start-up, the keyword box, the status
// lines and the exit through the main timer. ctest runs these under Xvfb.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "core/app_context.h"
#include "core/data_file.h"
#include "core/startup.h"
#include "platform/message_box.h"
#include "platform/shell.h"
#include "platform/win32/wide.h"
#include "platform/win32/win_basics.h"
#include "platform/win32/win_files.h"
#include "platform/win32/win_main_window.h"
#include "platform/win32/win_mci.h"
#include "platform/win32/win_system.h"
#include "temp_folder.h"

namespace tw::win {
namespace {

// The real system, except that the program lives in a scratch folder and
// is always the only copy.
class ScratchSystem final : public SystemInfo {
public:
    explicit ScratchSystem(std::string folder) : folder_(std::move(folder)) {}
    OsVersion GetVersion() override { return real_.GetVersion(); }
    int ScreenWidth() override { return real_.ScreenWidth(); }
    int ScreenHeight() override { return real_.ScreenHeight(); }
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
    bool Execute(bool, const std::string& file, const std::string&, const std::string&,
                 int) override {
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

class NoBoxes final : public MessageBoxes {
public:
    BoxAnswer Show(const std::string& text, const std::string&, BoxIcon, BoxButtons,
                   BoxDefault) override {
        ADD_FAILURE() << "unexpected message box: " << text;
        return BoxAnswer::Ok;
    }
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
        window.Attach(*ctx);
    }
    WinClock clock;
    WinMessagePump pump;
    WinFileSystem files;
    WinTextCodec codec;
    RecordingShell shell;
    NoBoxes boxes;
    ScratchSystem system;
    WinMainWindow window;
    WinMci mci;
    std::unique_ptr<AppContext> ctx;
};

// Runs the message loop until WM_QUIT or the time is up.
bool PumpUntilQuit(DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return true;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(1);
    }
    return false;
}

void PumpFor(DWORD ms) {
    const DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < ms) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(1);
    }
}

// Pixels of a band of the client area that differ from the window colour.
int InkInBand(HWND hwnd, int top, int bottom) {
    RECT rc;
    GetClientRect(hwnd, &rc);
    const COLORREF back = GetSysColor(COLOR_WINDOW);
    HDC dc = GetDC(hwnd);
    int ink = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < 80 && x < rc.right; ++x)
            if (GetPixel(dc, x, y) != back) ++ink;
    ReleaseDC(hwnd, dc);
    return ink;
}

TEST(Win32_Window, StartsUpAndEndsThroughTheMainTimer) {
    test::TempFolder dir;
    Program prog(dir.path());
    StartUp(*prog.ctx);
    ASSERT_TRUE(prog.window.Loaded()) << "the main window could not be created";
    HWND h = prog.window.Handle();

    wchar_t title[64] = {};
    GetWindowTextW(h, title, 64);
    EXPECT_STREQ(title, L"Tunewhistle 3.10");
    EXPECT_TRUE(IsWindowVisible(h));
    EXPECT_NE(GetWindowLongPtrW(h, GWL_STYLE) & WS_POPUP, 0);
    EXPECT_EQ(GetWindowLongPtrW(h, GWL_STYLE) & WS_CAPTION, 0);
    EXPECT_NE(GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);

    const Settings& s = prog.ctx->live.Settings;
    RECT rc;
    GetWindowRect(h, &rc);
    EXPECT_EQ(rc.left, s.WindowLeft);
    EXPECT_EQ(rc.top, s.WindowTop);
    EXPECT_EQ(rc.right - rc.left, s.WindowWidth);

    // First run: defaults, the readme opened, the data file written.
    EXPECT_EQ(prog.window.BoxText(), "mp3");
    ASSERT_EQ(prog.shell.opened.size(), 1u);
    EXPECT_EQ(prog.shell.opened[0], dir.path() + "\\readme.txt");
    EXPECT_TRUE(prog.files.FileExists(dir / "dat"));

    prog.ctx->live.Settings.Keyword = "after exit";
    prog.ctx->run.AppState = -1;  // what the exit command sets
    ASSERT_TRUE(PumpUntilQuit(5000)) << "the main timer did not end the program";
    EXPECT_FALSE(IsWindow(h));
    EXPECT_FALSE(prog.window.Loaded());
    EXPECT_TRUE(prog.ctx->run.Quitting);

    StateRecord saved;
    ASSERT_TRUE(LoadState(prog.files, prog.codec, dir / "dat", saved));
    EXPECT_EQ(saved.Settings.Keyword, "after exit");
}

// Registration runs on the NextTimer: the main tick switches it on and the
// job walks the real folder.
TEST(Win32_Window, RegistersAWatchFolderThroughTheWorkTimer) {
    test::TempFolder dir;
    ASSERT_TRUE(CreateDirectoryW(Widen(dir / "music").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(Widen(dir / "music\\sub").c_str(), nullptr));
    ASSERT_TRUE(test::WriteRaw(dir / "music\\a.mp3", std::string(200, '\0')));
    ASSERT_TRUE(test::WriteRaw(dir / "music\\sub\\b.mp3", std::string(200, '\0')));
    Program prog(dir.path());
    StartUp(*prog.ctx);
    ASSERT_TRUE(prog.window.Loaded());
    HWND box = FindWindowExW(prog.window.Handle(), nullptr, L"EDIT", nullptr);

    WatchFolderSet& watch = prog.ctx->live.Settings.WatchFolderSet;
    watch.WatchFolders.Resize(1);
    watch.WatchFolders[0] = WatchFolder{dir / "music\\", kTrue};
    watch.WatchFolderCount = 1;
    prog.ctx->run.AppState = 40;  // what choosing "register" sets

    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 10000 &&
           !(prog.ctx->live.Library.RegisteredFileCount == 2 && IsWindowEnabled(box)))
        PumpFor(50);
    EXPECT_EQ(prog.ctx->live.Library.RegisteredFileCount, 2);
    EXPECT_TRUE(IsWindowEnabled(box));

    prog.window.UnloadAll();
    PumpUntilQuit(1000);
}

TEST(Win32_Window, LoadsHiddenAndKeepsTheBoxText) {
    test::TempFolder dir;
    Program prog(dir.path());
    prog.ctx->live.Settings.Keyword = "曲 テスト";
    prog.window.Load();
    ASSERT_TRUE(prog.window.Loaded());
    HWND h = prog.window.Handle();
    EXPECT_FALSE(IsWindowVisible(h));

    // Form_Load put the keyword in the box, all selected.
    HWND box = FindWindowExW(h, nullptr, L"EDIT", nullptr);
    ASSERT_NE(box, nullptr);
    wchar_t text[32] = {};
    GetWindowTextW(box, text, 32);
    EXPECT_STREQ(text, L"\x66F2 \x30C6\x30B9\x30C8");
    DWORD from = 1, to = 0;
    SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, 5u);

    SetWindowTextW(box, L"\x30D4\x30A2\x30CE");  // typed by the user
    EXPECT_EQ(prog.window.BoxText(), "ピアノ");
    prog.window.SetBoxEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(box));

    prog.window.Show();
    EXPECT_TRUE(IsWindowVisible(h));
    prog.window.UnloadAll();
    EXPECT_FALSE(IsWindow(h));
    EXPECT_TRUE(PumpUntilQuit(1000));  // the main window's end posts the quit
}

TEST(Win32_Window, DrawsEachStatusLineBelowThePads) {
    test::TempFolder dir;
    Program prog(dir.path());
    prog.window.Load();
    ASSERT_TRUE(prog.window.Loaded());
    HWND h = prog.window.Handle();
    prog.window.SetTimerEnabled(TimerId::Main, false);  // MainTick would show its own text
    prog.window.SetBounds(100, 100, 180, 80);
    prog.window.Show();

    // Pads and their margins take the first 30 pixels; lines are 13 high
    // with no settings loaded.
    constexpr int kFirst = 30, kSecond = 43, kEnd = 56;
    prog.window.ShowStatusText("MMMM\r\nWWWW");
    PumpFor(300);
    UpdateWindow(h);
    EXPECT_GT(InkInBand(h, kFirst, kSecond), 0);
    EXPECT_GT(InkInBand(h, kSecond, kEnd), 0);

    prog.window.ShowStatusText("");
    PumpFor(300);
    UpdateWindow(h);
    EXPECT_EQ(InkInBand(h, kFirst, kEnd), 0);

    prog.window.UnloadAll();
    PumpUntilQuit(1000);
}

}  // namespace
}  // namespace tw::win
