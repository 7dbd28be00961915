// The main window on a real display: start-up, the keyword box, the status
// lines and the exit through the main timer. ctest runs these under Xvfb.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/startup.h"
#include "core/data_file.h"
#include "model/app_context.h"
#include "platform/win32/wide.h"
#include "program_fixture.h"
#include "temp_folder.h"

namespace tw::win {
namespace {

using test::Program;
using test::PumpFor;
using test::PumpUntilQuit;

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
    // A fresh start begins transparent and says once where the program
    // goes when it hides.
    ASSERT_EQ(prog.boxes.shown.size(), 1u);
    EXPECT_EQ(prog.boxes.shown[0].rfind("Tunewhistle はタスクバーの中に格納されました。", 0), 0u);
    EXPECT_NE(GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_LAYERED, 0);
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
    ASSERT_EQ(LoadState(prog.files, prog.codec, dir / "dat", saved), LoadOutcome::Loaded);
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

}  // namespace
}  // namespace tw::win

namespace tw::win::test {

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

}  // namespace tw::win::test
