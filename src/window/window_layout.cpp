#include "window/window_layout.h"

#include <algorithm>

#include "model/app_context.h"
#include "model/defaults.h"
#include "model/version.h"
#include "platform/main_window.h"
#include "platform/system.h"

namespace tw {

namespace {

// Pixel sizes in the settings are those of a 96 dpi display.
int Scale(int v, int dpi) { return (v * dpi + 48) / 96; }

// Bytes of the UTF-8 character starting at text[i] (1 for a stray byte).
size_t CharLength(const std::string& text, size_t i) {
    const auto c = static_cast<unsigned char>(text[i]);
    size_t n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    if (c >= 0x80 && c < 0xC0) n = 1;
    return std::min(n, text.size() - i);
}

}  // namespace

WindowGeometry ComputeGeometry(const Settings& s, int32_t osKind, int dpi) {
    if (dpi < 48 || dpi > 960) dpi = 96;
    // The fonts are P - 6 and LH - 4 points: both must be at least a point
    // or two, and the keyword box needs some room beside the four pads.
    const int pad = std::clamp<int>(s.PadSize, 8, 64);
    const int line = std::clamp<int>(s.LineHeight, 6, 64);
    const int width = std::clamp<int>(s.WindowWidth, 5 * pad + 16, 4096);

    WindowGeometry g;
    g.dpi = dpi;
    g.padSize = Scale(pad, dpi);
    g.lineHeight = Scale(line, dpi);
    g.width = Scale(width, dpi);
    g.textLines = std::clamp<int>(s.TextLines, 1, 6);
    g.baseHeight = g.padSize + Scale(13, dpi);
    for (int i = 0; i < 4; ++i)
        g.pads[i] = {Scale(6, dpi) + i * g.padSize, Scale(5, dpi), g.padSize, g.padSize};
    g.box = {4 * g.padSize + Scale(9, dpi), Scale(6, dpi),
             g.width - Scale(16, dpi) - 4 * g.padSize, g.padSize - Scale(2, dpi)};
    g.frame = {g.box.left - 1, g.box.top - 1, g.box.width + 2, g.box.height + 2};
    for (int i = 0; i < 6; ++i)
        g.lines[i] = {Scale(6, dpi), g.padSize + Scale(8, dpi) + i * g.lineHeight,
                      g.width - Scale(12, dpi), g.lineHeight};
    g.boxFontPoints = pad - 6;
    g.lineFontPoints = line - 4;
    g.regionEllipseWidth = Scale(35, dpi);
    g.regionEllipseHeight = Scale(20, dpi);
    // Newer systems draw the region's edge a pixel further out.
    g.outlineEllipseWidth = Scale(osKind == kOsNt5 ? 36 : 33, dpi);
    g.outlineEllipseHeight = Scale(osKind == kOsNt5 ? 21 : 18, dpi);
    return g;
}

void ApplyWindowSettings(AppContext& ctx) {
    MainWindow& window = *ctx.platform.window;
    window.Load();
    const Settings& s = ctx.live.Settings;
    WindowRuntime& win = ctx.win;
    win.Geometry = ComputeGeometry(s, ctx.run.OsKind, ctx.platform.system->Dpi());
    const WindowGeometry& g = win.Geometry;

    window.SetCaption(AppCaption());
    window.SetColors(s.BackColor, s.TextColor);
    window.SetBounds(s.WindowLeft, s.WindowTop, g.width, g.HeightFor(win.ShownLineCount));
    if (!s.UseTransparency) window.SetLayeredStyle(false);
    FitWindowToLines(ctx, win.ShownLineCount);
    window.SetTopMost(s.AlwaysOnTop != 0);
    window.PlaceControls(g);
}

void FitWindowToLines(AppContext& ctx, int n) {
    const WindowGeometry& g = ctx.win.Geometry;
    ctx.platform.window->SetShape(g, g.HeightFor(std::max(n, 0)));
}

void RepaintOutline(AppContext& ctx, RgbColor back, RgbColor line) {
    ctx.platform.window->SetColors(back, line);
}

void ShowStatusText(AppContext& ctx, const std::string& shown) {
    WindowRuntime& win = ctx.win;
    static const std::string kNothing;
    const std::string& text = ctx.live.Settings.HideText ? kNothing : shown;
    if (text == win.ShownText) return;
    win.ShownText = text;

    MainWindow& window = *ctx.platform.window;
    std::vector<std::string> lines =
        WrapText(text, win.Geometry.WrapWidth(), [&window](const std::string& t) { return window.TextWidth(t); });
    int n = static_cast<int>(lines.size());
    if (win.Geometry.textLines < n) {
        n = win.Geometry.textLines;
        lines[n - 1] += ".....";
    }
    if (n != win.ShownLineCount) {
        win.ShownLineCount = static_cast<int16_t>(n);
        FitWindowToLines(ctx, n);
    }
    for (int i = 0; i < 6; ++i) {
        const std::string& want = i < n ? lines[i] : std::string();
        if (win.StatusLines[i] == want) continue;  // untouched labels are not redrawn
        win.StatusLines[i] = want;
        window.SetLineText(i, want);
    }
}

std::vector<std::string> WrapText(const std::string& text, int maxWidth, const MeasureText& measure) {
    std::vector<std::string> lines;
    if (text.empty()) return lines;
    size_t s = 0, e = 0;  // line start, candidate end (byte offsets of characters)
    while (true) {
        if (e >= text.size()) {
            lines.push_back(text.substr(s));
            break;
        }
        // A line break is taken before measuring, so the CR's own width can
        // never push the text before it onto a line of its own.
        if (text[e] == '\r' && e + 1 < text.size() && text[e + 1] == '\n') {
            lines.push_back(text.substr(s, e - s));
            s = e = e + 2;
            continue;
        }
        const size_t len = CharLength(text, e);
        if (measure(text.substr(s, e + len - s)) > maxWidth) {
            if (e == s) {  // one character wider than a line: it gets a line to itself
                lines.push_back(text.substr(s, len));
                s = e = e + len;
                if (e >= text.size()) break;
                continue;
            }
            lines.push_back(text.substr(s, e - s));
            s = e;
            continue;
        }
        e += len;
    }
    return lines;
}

void PlaceOnAMonitor(AppContext& ctx) {
    SystemInfo& system = *ctx.platform.system;
    Settings& s = ctx.live.Settings;
    const WindowGeometry g = ComputeGeometry(s, ctx.run.OsKind, system.Dpi());
    if (system.OnAnyMonitor(s.WindowLeft, s.WindowTop, g.width, g.baseHeight)) return;
    // The monitor it was on is gone: back to where a first start puts it.
    Settings defaults;
    SetDefaults(defaults, system.ScreenWidth(), system.ScreenHeight());
    s.WindowLeft = defaults.WindowLeft;
    s.WindowTop = defaults.WindowTop;
}

}  // namespace tw
