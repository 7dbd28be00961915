#include "window/window_layout.h"

#include <gtest/gtest.h>

#include "fakes/fakes.h"
#include "model/defaults.h"
#include "model/version.h"

namespace tw {
namespace {

using test::TestApp;

Settings Defaults() {
    Settings s;
    SetDefaults(s, 1024, 768);
    return s;
}

TEST(Window_Geometry, DefaultsGiveTheDesignedLayout) {
    const WindowGeometry g = ComputeGeometry(Defaults(), kOsNt5, 96);
    EXPECT_EQ(g.width, 180);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(g.pads[i], (PixelRect{6 + 18 * i, 5, 18, 18})) << i;
    EXPECT_EQ(g.box, (PixelRect{81, 6, 92, 16}));
    // One pixel round the box: (80, 5) to (173, 22) inclusive.
    EXPECT_EQ(g.frame, (PixelRect{80, 5, 94, 18}));
    for (int i = 0; i < 6; ++i) EXPECT_EQ(g.lines[i], (PixelRect{6, 26 + 13 * i, 168, 13})) << i;
    EXPECT_EQ(g.boxFontPoints, 12);
    EXPECT_EQ(g.lineFontPoints, 9);
    EXPECT_EQ(g.HeightFor(0), 31);
    EXPECT_EQ(g.HeightFor(6), 109);
    EXPECT_EQ(g.regionEllipseWidth, 35);
    EXPECT_EQ(g.regionEllipseHeight, 20);
    EXPECT_EQ(g.outlineEllipseWidth, 36);
    EXPECT_EQ(g.outlineEllipseHeight, 21);

    const WindowGeometry older = ComputeGeometry(Defaults(), kOsNt4, 96);
    EXPECT_EQ(older.outlineEllipseWidth, 33);
    EXPECT_EQ(older.outlineEllipseHeight, 18);
}

TEST(Window_Geometry, GrowsWithTheDisplayScale) {
    const WindowGeometry g150 = ComputeGeometry(Defaults(), kOsNt5, 144);
    EXPECT_EQ(g150.width, 270);
    EXPECT_EQ(g150.padSize, 27);
    EXPECT_EQ(g150.lineHeight, 20);  // 19.5, rounded
    EXPECT_EQ(g150.box.Right() + 1, g150.frame.Right());
    EXPECT_EQ(g150.frame.Right(), 270 - 9);  // 6 from the right, scaled
    EXPECT_EQ(g150.lines[0].width, 270 - 18);
    // Point sizes stay: the fonts grow with the DPI on their own.
    EXPECT_EQ(g150.lineFontPoints, 9);
    const WindowGeometry g200 = ComputeGeometry(Defaults(), kOsNt5, 192);
    EXPECT_EQ(g200.width, 360);
    EXPECT_EQ(g200.HeightFor(6), 2 * 109);
}

TEST(Window_Geometry, SettingsTheLayoutCannotHoldAreTakenAtTheNearestSoundValue) {
    struct Case {
        const char* name;
        void (*edit)(Settings&);
        int textLines, width, pad, line;
    } cases[] = {
        {"no text line", [](Settings& s) { s.TextLines = 0; }, 1, 180, 18, 13},
        {"negative lines", [](Settings& s) { s.TextLines = -4; }, 1, 180, 18, 13},
        {"more lines than labels", [](Settings& s) { s.TextLines = 9; }, 6, 180, 18, 13},
        {"a window narrower than the pads", [](Settings& s) { s.WindowWidth = 10; }, 6, 106, 18, 13},
        {"no pads", [](Settings& s) { s.PadSize = 0; }, 6, 180, 8, 13},
        {"lines without height", [](Settings& s) { s.LineHeight = -1; }, 6, 180, 18, 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Settings s = Defaults();
        c.edit(s);
        const WindowGeometry g = ComputeGeometry(s, kOsNt5, 96);
        EXPECT_EQ(g.textLines, c.textLines);
        EXPECT_EQ(g.width, c.width);
        EXPECT_EQ(g.padSize, c.pad);
        EXPECT_EQ(g.lineHeight, c.line);
        EXPECT_GT(g.box.width, 0);
        EXPECT_GT(g.WrapWidth(), 0);
        EXPECT_GT(g.boxFontPoints, 0);
        EXPECT_GT(g.lineFontPoints, 0);
    }
}

// ASCII is 6 pixels a character, the rest 12 (the fake window's font).
std::vector<std::string> Wrap(const std::string& text, int width) {
    test::FakeWindow w;
    return WrapText(text, width, [&w](const std::string& t) { return w.TextWidth(t); });
}

TEST(Window_WrapText, BreaksBetweenCharactersAndAtEveryCrLf) {
    using Lines = std::vector<std::string>;
    struct Case {
        const char* text;
        int width;
        Lines lines;
    } cases[] = {
        {"", 168, {}},
        {"abc", 168, {"abc"}},
        {"ab\r\ncd", 168, {"ab", "cd"}},
        {"ab\r\n", 168, {"ab", ""}},            // a trailing break leaves an empty line
        {"\r\n", 168, {"", ""}},
        {"a\r\n\r\nb", 168, {"a", "", "b"}},
        {"a\rb\nc", 168, {"a\rb\nc"}},           // only the pair breaks
        {"abcde", 12, {"ab", "cd", "e"}},
        {"abcdef", 12, {"ab", "cd", "ef"}},       // no empty line after a full one
        {"あいう", 24, {"あい", "う"}},
        {"aあb", 10, {"a", "あ", "b"}},          // wider than a line: one a line
        {"ああ", 5, {"あ", "あ"}},
        {"abc\r\nde", 12, {"ab", "c", "de"}},
    };
    for (const auto& c : cases) EXPECT_EQ(Wrap(c.text, c.width), c.lines) << c.text << " / " << c.width;
}

struct LaidOut : TestApp {
    LaidOut() {
        SetDefaults(ctx.live.Settings, 1024, 768);
        ApplyWindowSettings(ctx);
    }
};

TEST(Window_Status, LinesFollowTheTextAndTheWindowItsLineCount) {
    LaidOut app;
    ShowStatusText(app.ctx, "one\r\ntwo\r\nthree");
    EXPECT_EQ(app.window.lines, (std::array<std::string, 6>{"one", "two", "three", "", "", ""}));
    EXPECT_EQ(app.window.height, 31 + 3 * 13);

    // Another text of three lines: no resize, no new outline, and only the
    // changed label is touched.
    const int shapes = app.window.shapes;
    app.window.lines[0] = "untouched";
    ShowStatusText(app.ctx, "one\r\n2\r\nthree");
    EXPECT_EQ(app.window.shapes, shapes);
    EXPECT_EQ(app.window.lines[0], "untouched");
    EXPECT_EQ(app.window.lines[1], "2");

    // The same text again redraws nothing at all.
    app.window.lines[1] = "kept";
    ShowStatusText(app.ctx, "one\r\n2\r\nthree");
    EXPECT_EQ(app.window.lines[1], "kept");
    EXPECT_EQ(app.window.shapes, shapes);

    // A long line wraps at the lines' width (168 pixels: 28 characters).
    ShowStatusText(app.ctx, std::string(30, 'x'));
    EXPECT_EQ(app.window.lines[0], std::string(28, 'x'));
    EXPECT_EQ(app.window.lines[1], "xx");
    EXPECT_EQ(app.window.lines[2], "");
    EXPECT_EQ(app.window.height, 31 + 2 * 13);
}

TEST(Window_Status, TooManyLinesEndInDotsOnTheLastKept) {
    for (int kept : {6, 3, 1}) {
        SCOPED_TRACE(kept);
        LaidOut app;
        app.ctx.live.Settings.TextLines = static_cast<int16_t>(kept);
        ApplyWindowSettings(app.ctx);
        ShowStatusText(app.ctx, "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8");
        EXPECT_EQ(app.window.lines[kept - 1], std::to_string(kept) + ".....");
        if (kept < 6) {
            EXPECT_EQ(app.window.lines[kept], "");
        }
        EXPECT_EQ(app.window.height, 31 + kept * 13);
        EXPECT_EQ(app.ctx.win.ShownLineCount, kept);
        // Exactly as many lines as fit: all shown, no dots.
        ShowStatusText(app.ctx, std::string("1\r\n2\r\n3\r\n4\r\n5\r\n6").substr(0, 3 * kept - 2));
        EXPECT_EQ(app.window.lines[kept - 1], std::to_string(kept));
    }
    // Out of range: taken as the nearest limit instead of failing.
    LaidOut app;
    app.ctx.live.Settings.TextLines = 0;
    ApplyWindowSettings(app.ctx);
    ShowStatusText(app.ctx, "a\r\nb");
    EXPECT_EQ(app.window.lines[0], "a.....");
    EXPECT_EQ(app.window.height, 44);
}

TEST(Window_Status, NothingToShowLeavesThePadRow) {
    for (bool hide : {false, true}) {
        SCOPED_TRACE(hide ? "HideText" : "empty text");
        LaidOut app;
        ShowStatusText(app.ctx, "a\r\nb");
        app.ctx.live.Settings.HideText = ToVBool(hide);
        ShowStatusText(app.ctx, hide ? "still something" : "");
        EXPECT_EQ(app.window.height, 31);
        EXPECT_EQ(app.window.lines, (std::array<std::string, 6>{}));
        EXPECT_EQ(app.ctx.win.ShownLineCount, 0);
    }
}

TEST(Window_Apply, LaysOutPlacesAndColoursTheWindow) {
    for (bool onTop : {true, false}) {
        SCOPED_TRACE(onTop ? "top-most" : "not top-most");
        TestApp app;
        Settings& s = app.ctx.live.Settings;
        SetDefaults(s, 1024, 768);
        s.WindowLeft = -40;  // partly off the screen: left there
        s.WindowTop = 300;
        s.AlwaysOnTop = ToVBool(onTop);
        s.UseTransparency = kFalse;
        s.BackColor = {1, 2, 3};
        app.window.layered = true;
        ApplyWindowSettings(app.ctx);
        EXPECT_TRUE(app.window.loaded);
        EXPECT_EQ(app.window.caption, "Tunewhistle 3.10");
        EXPECT_EQ(app.window.left, -40);
        EXPECT_EQ(app.window.top, 300);
        EXPECT_EQ(app.window.width, 180);
        EXPECT_EQ(app.window.height, 31);
        EXPECT_EQ(app.window.topMost, onTop);
        EXPECT_EQ(app.window.back, (RgbColor{1, 2, 3}));
        EXPECT_EQ(app.window.line, (RgbColor{0, 0, 255}));
        EXPECT_FALSE(app.window.layered);  // no translucency: an ordinary window
        ASSERT_TRUE(app.window.placed);
        EXPECT_EQ(app.window.placed->box, (PixelRect{81, 6, 92, 16}));
    }
}

TEST(Window_Apply, RepaintOutlineRecoloursWithoutResizing) {
    LaidOut app;
    ShowStatusText(app.ctx, "a");
    const int shapes = app.window.shapes, height = app.window.height;
    RepaintOutline(app.ctx, {9, 9, 9}, {255, 0, 0});
    EXPECT_EQ(app.window.back, (RgbColor{9, 9, 9}));
    EXPECT_EQ(app.window.line, (RgbColor{255, 0, 0}));
    EXPECT_EQ(app.window.shapes, shapes);
    EXPECT_EQ(app.window.height, height);
}

}  // namespace
}  // namespace tw
