// The main window's view on a real display: layout, shape and colours,
// status lines as labels, translucency, keys through the keyword box,
// dropped files and dragging. ctest runs these under Xvfb.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

#include "app/startup.h"
#include "model/defaults.h"
#include "platform/win32/wide.h"
#include "program_fixture.h"
#include "temp_folder.h"
#include "window/visibility.h"

// After windows.h, which the fixture brings in.
#include <shellapi.h>
#include <shlobj.h>  // DROPFILES
#include "window/window_input.h"
#include "window/window_layout.h"

namespace tw::win {
namespace {

using test::Program;
using test::PumpFor;

// A program with the default settings, laid out and shown at (100, 100),
// its timers stopped so that only the test changes it.
struct ShownProgram {
    test::TempFolder dir;
    Program prog{dir.path()};
    AppContext& ctx = *prog.ctx;
    HWND hwnd = nullptr;

    ShownProgram() {
        InitRuntime(ctx);
        SetDefaults(ctx.live.Settings, 1024, 768);
        ctx.live.Settings.WindowLeft = 100;
        ctx.live.Settings.WindowTop = 100;
        ApplyWindowSettings(ctx);
        hwnd = prog.window.Handle();
        for (TimerId id : {TimerId::Main, TimerId::Win}) prog.window.SetTimerEnabled(id, false);
        prog.window.Show();
        PumpFor(100);
    }
    ~ShownProgram() {
        prog.window.UnloadAll();
        test::PumpUntilQuit(1000);
    }
    std::wstring Line(int i) const {
        wchar_t text[256] = {};
        GetWindowTextW(GetDlgItem(hwnd, kFirstLineId + i), text, 256);
        return text;
    }
    RECT Rect() const {
        RECT rc{};
        GetWindowRect(hwnd, &rc);
        return rc;
    }
    COLORREF Pixel(int x, int y) const {
        UpdateWindow(hwnd);
        HDC dc = GetWindowDC(hwnd);
        const COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(hwnd, dc);
        return c;
    }
};

TEST(Win32_MainForm, IsShapedOutlinedAndSizedForItsLines) {
    ShownProgram p;
    const WindowGeometry& g = p.ctx.win.Geometry;
    ShowStatusText(p.ctx, "MMMM\r\nWWWW");
    PumpFor(100);
    EXPECT_EQ(p.Line(0), L"MMMM");
    EXPECT_EQ(p.Line(1), L"WWWW");
    EXPECT_EQ(p.Line(2), L"");
    RECT rc = p.Rect();
    EXPECT_EQ(rc.left, 100);
    EXPECT_EQ(rc.right - rc.left, g.width);
    EXPECT_EQ(rc.bottom - rc.top, g.HeightFor(2));

    // Rounded: the corners are cut out of the window, the middle is in it.
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_EQ(GetWindowRgn(p.hwnd, region), COMPLEXREGION);
    EXPECT_FALSE(PtInRegion(region, 0, 0));
    EXPECT_FALSE(PtInRegion(region, g.width - 1, g.HeightFor(2) - 1));
    EXPECT_TRUE(PtInRegion(region, g.width / 2, g.HeightFor(2) / 2));
    DeleteObject(region);

    // The outline and the box's frame in the line colour, the rest in the
    // window colour.
    const COLORREF line = RGB(0, 0, 255), back = RGB(200, 200, 255);
    EXPECT_EQ(p.Pixel(g.width / 2, 0), line);
    EXPECT_EQ(p.Pixel(0, g.HeightFor(2) / 2), line);
    EXPECT_EQ(p.Pixel(g.frame.left, g.frame.top + g.frame.height / 2), line);
    EXPECT_EQ(p.Pixel(g.frame.left + g.frame.width / 2, g.frame.top), line);
    EXPECT_EQ(p.Pixel(2, g.lines[1].top + 2), back);

    // Eight lines where six fit: the sixth says there is more.
    p.ctx.win.ShownText.clear();
    ShowStatusText(p.ctx, "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8");
    PumpFor(50);
    EXPECT_EQ(p.Line(5), L"6.....");
    rc = p.Rect();
    EXPECT_EQ(rc.bottom - rc.top, g.HeightFor(6));

    // Nothing to say: only the pad row is left.
    ShowStatusText(p.ctx, "");
    PumpFor(50);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(p.Line(i), L"") << i;
    rc = p.Rect();
    EXPECT_EQ(rc.bottom - rc.top, g.baseHeight);
}

TEST(Win32_MainForm, TheOutlineKeepsItsFourEdgesAsTheLinesComeAndGo) {
    ShownProgram p;
    const WindowGeometry& g = p.ctx.win.Geometry;
    const COLORREF line = RGB(160, 32, 96);
    RepaintOutline(p.ctx, RgbColor{255, 240, 200}, RgbColor{160, 32, 96});
    auto expectEdges = [&](const char* when) {
        PumpFor(50);
        const RECT rc = p.Rect();
        const int w = rc.right - rc.left, h = rc.bottom - rc.top;
        SCOPED_TRACE(when);
        EXPECT_EQ(p.Pixel(w / 2, 0), line) << "top";
        EXPECT_EQ(p.Pixel(w / 2, h - 2), line) << "bottom";
        EXPECT_EQ(p.Pixel(0, h / 2), line) << "left";
        EXPECT_EQ(p.Pixel(w - 2, h / 2), line) << "right";
    };
    // Growing and shrinking through every count.
    for (int n : {3, 6, 1, 0, 4, 2, 5, 0, 6}) {
        std::string text;
        for (int i = 0; i < n; ++i) text += (i ? "\r\n" : "") + std::string(8, 'W');
        ShowStatusText(p.ctx, text);
        ASSERT_EQ(p.ctx.win.ShownLineCount, n);
        expectEdges(("lines " + std::to_string(n)).c_str());
    }
    ShowStatusText(p.ctx, "one line");
    RepaintOutline(p.ctx, RgbColor{255, 240, 200}, RgbColor{160, 32, 96});
    expectEdges("recoloured");
    // Covered by another window and uncovered.
    HWND cover = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP | WS_VISIBLE, p.Rect().left,
                                 p.Rect().top, g.width, g.HeightFor(6), nullptr, nullptr, nullptr, nullptr);
    PumpFor(50);
    DestroyWindow(cover);
    expectEdges("uncovered");
}

TEST(Win32_MainForm, PadsShowTheirPictures) {
    ShownProgram p;
    const WindowGeometry& g = p.ctx.win.Geometry;
    const COLORREF back = RGB(200, 200, 255);
    auto ink = [&](int pad) {
        const PixelRect& r = g.pads[pad];
        int n = 0;
        for (int y = r.top; y < r.Bottom(); ++y)
            for (int x = r.left; x < r.Right(); ++x)
                if (p.Pixel(x, y) != back) ++n;
        return n;
    };
    TrackPads(p.ctx, std::nullopt, p.prog.window.Bounds());  // empty play list: all disabled
    PumpFor(50);
    for (int i = 0; i < 4; ++i) EXPECT_GT(ink(i), 10) << "pad " << i;
}

TEST(Win32_MainForm, OpacityMakesTheWindowLayeredOnlyWhileTranslucent) {
    ShownProgram p;
    auto layered = [&] { return (GetWindowLongPtrW(p.hwnd, GWL_EXSTYLE) & WS_EX_LAYERED) != 0; };
    SetOpacity(p.ctx, 0.4f);
    EXPECT_TRUE(layered());
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(p.hwnd, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 102);
    EXPECT_TRUE(IsWindowVisible(p.hwnd));
    SetOpacity(p.ctx, 1.0f);
    EXPECT_FALSE(layered());
    EXPECT_TRUE(IsWindowVisible(p.hwnd));
    SetOpacity(p.ctx, 0.0f);
    EXPECT_FALSE(IsWindowVisible(p.hwnd));
    EXPECT_TRUE(p.prog.boxes.shown.empty());  // no fresh start, no notice
}

TEST(Win32_MainForm, EnterAndEscReachTheProgramBeforeTheBox) {
    ShownProgram p;
    HWND box = GetDlgItem(p.hwnd, kBoxId);
    ASSERT_NE(box, nullptr);
    SetWindowTextW(box, L"\x66F2");  // typed by the user
    p.ctx.run.AppState = 31;
    SendMessageW(box, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(p.ctx.run.AppState, 50);
    EXPECT_TRUE(p.ctx.run.WakeRequest);
    DWORD from = 1, to = 0;
    SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, 0u);  // all selected, ready for the next keyword
    EXPECT_EQ(to, 1u);
    SendMessageW(box, EM_SETSEL, 1, 1);
    SendMessageW(box, WM_CHAR, L'\r', 0);
    SendMessageW(box, WM_CHAR, 27, 0);
    SendMessageW(box, WM_CHAR, L'a', 0);
    wchar_t text[16] = {};
    GetWindowTextW(box, text, 16);
    EXPECT_STREQ(text, L"\x66F2" L"a");  // Enter and Esc never reach the text

    p.ctx.run.AppState = 41;
    SendMessageW(box, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(p.ctx.run.CancelRequested);
}

// A DROPFILES block as the shell hands it over, wide paths.
HDROP MakeDrop(const std::vector<std::wstring>& paths) {
    size_t chars = 1;
    for (const auto& path : paths) chars += path.size() + 1;
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    auto* df = static_cast<DROPFILES*>(GlobalLock(mem));
    df->pFiles = sizeof(DROPFILES);
    df->fWide = TRUE;
    auto* out = reinterpret_cast<wchar_t*>(df + 1);
    for (const auto& path : paths) {
        wmemcpy(out, path.c_str(), path.size());
        out += path.size() + 1;
    }
    GlobalUnlock(mem);
    return static_cast<HDROP>(mem);
}

TEST(Win32_MainForm, DroppedFilesAndFoldersBecomeThePlayList) {
    ShownProgram p;
    const std::string music = p.dir / "曲 フォルダ";
    ASSERT_TRUE(CreateDirectoryW(Widen(music).c_str(), nullptr));
    ASSERT_TRUE(test::WriteRaw(music + "\\a.mp3", "x"));
    ASSERT_TRUE(test::WriteRaw(music + "\\b.mp3", "x"));
    ASSERT_TRUE(test::WriteRaw(p.dir / "single.mp3", "x"));
    p.ctx.live.Settings.UseInternalPlayer = kTrue;

    SendMessageW(p.hwnd, WM_DROPFILES,
                 reinterpret_cast<WPARAM>(MakeDrop({Widen(p.dir / "single.mp3"), Widen(music)})), 0);
    ASSERT_EQ(p.ctx.live.PlayCount, 3);
    EXPECT_EQ(p.ctx.live.PlayList[0], (SearchHit{"", p.dir.path() + "\\", "single.mp3"}));
    EXPECT_EQ(p.ctx.live.PlayList[1], (SearchHit{"", music + "\\", "a.mp3"}));
    EXPECT_EQ(p.ctx.live.PlayList[2], (SearchHit{"", music + "\\", "b.mp3"}));
    EXPECT_EQ(p.ctx.run.MessageText, "一括再生します  ( 3 曲 )");
}

TEST(Win32_MainForm, ADragFollowsThePointerAndStoresThePlace) {
    ShownProgram p;
    const RECT start = p.Rect();
    SetCursorPos(start.left + 20, start.top + 40);
    SendMessageW(p.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 40));
    EXPECT_TRUE(p.ctx.win.Dragging);
    SetCursorPos(start.left + 80, start.top + 75);
    PumpFor(150);  // the move timer follows
    RECT rc = p.Rect();
    EXPECT_EQ(rc.left, start.left + 60);
    EXPECT_EQ(rc.top, start.top + 35);
    SendMessageW(p.hwnd, WM_LBUTTONUP, 0, MAKELPARAM(20, 40));
    EXPECT_FALSE(p.ctx.win.Dragging);
    EXPECT_EQ(p.ctx.live.Settings.WindowLeft, start.left + 60);
    EXPECT_EQ(p.ctx.live.Settings.WindowTop, start.top + 35);
    EXPECT_NE(GetCapture(), p.hwnd);
}

}  // namespace
}  // namespace tw::win
