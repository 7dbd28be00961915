#include "views/win32/win_main_look.h"

#include <cwchar>
#include <iterator>

namespace tw::win {

namespace {

// "ＭＳ Ｐゴシック", spelled out so the source's own encoding cannot matter;
// then its English name and the proportional gothics of later systems and
// of Linux (Wine).
const wchar_t* const kFaces[] = {
    L"\xFF2D\xFF33 \xFF30\x30B4\x30B7\x30C3\x30AF",
    L"MS PGothic",
    L"Meiryo UI",
    L"Yu Gothic UI",
    L"IPAPGothic",
    L"IPAexGothic",
    L"Noto Sans CJK JP",
};

int CALLBACK FontFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;  // one is enough
}

bool HasFace(HDC dc, const wchar_t* face) {
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    wcsncpy_s(lf.lfFaceName, LF_FACESIZE, face, _TRUNCATE);
    bool found = false;
    EnumFontFamiliesExW(dc, &lf, FontFound, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

// The face at a point size. A face whose lines are taller than its size
// (most besides the one the layout was made for) would lose its
// descenders in the box or a line; it is made just as tall as fits.
HFONT MakeFont(HDC dc, const std::wstring& face, int points, int dpi, int fitHeight) {
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(points, dpi, 72);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    wcsncpy_s(lf.lfFaceName, LF_FACESIZE, face.c_str(), _TRUNCATE);
    HFONT font = CreateFontIndirectW(&lf);
    if (!font || !dc || fitHeight <= 0) return font;
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW tm{};
    const bool measured = GetTextMetricsW(dc, &tm) != 0;
    SelectObject(dc, old);
    if (!measured || tm.tmHeight <= fitHeight) return font;
    DeleteObject(font);
    lf.lfHeight = fitHeight;  // positive: the height of the whole line
    return CreateFontIndirectW(&lf);
}

void Replace(HFONT& slot, HFONT font) {
    if (slot) DeleteObject(slot);
    slot = font;
}

}  // namespace

MainFormLook::~MainFormLook() {
    if (measureDc) DeleteDC(measureDc);
    if (boxFont) DeleteObject(boxFont);
    if (lineFont) DeleteObject(lineFont);
    if (backBrush) DeleteObject(backBrush);
}

std::wstring PickFontFace() {
    HDC dc = GetDC(nullptr);
    std::wstring face;
    for (const wchar_t* f : kFaces)
        if (HasFace(dc, f)) {
            face = f;
            break;
        }
    ReleaseDC(nullptr, dc);
    if (face.empty()) {
        NONCLIENTMETRICSW m{};
        m.cbSize = sizeof(m);
        if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(m), &m, 0))
            face = m.lfMessageFont.lfFaceName;
    }
    return face;
}

void SetLookColors(MainFormLook& look, RgbColor back, RgbColor line) {
    auto pack = [](RgbColor c) {
        auto byte = [](int v) { return static_cast<BYTE>(v < 0 ? 0 : v > 255 ? 255 : v); };
        return RGB(byte(c.Red), byte(c.Green), byte(c.Blue));
    };
    look.back = pack(back);
    look.line = pack(line);
    if (look.backBrush) DeleteObject(look.backBrush);
    look.backBrush = CreateSolidBrush(look.back);
}

void CreateLookFonts(MainFormLook& look, const WindowGeometry& g) {
    if (look.face.empty()) look.face = PickFontFace();
    if (!look.measureDc) look.measureDc = CreateCompatibleDC(nullptr);
    HDC dc = look.measureDc;
    if (dc) SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));  // let go of the old line font
    Replace(look.boxFont, MakeFont(dc, look.face, g.boxFontPoints, g.dpi, g.box.height));
    Replace(look.lineFont, MakeFont(dc, look.face, g.lineFontPoints, g.dpi, g.lineHeight));
    if (dc && look.lineFont) SelectObject(dc, look.lineFont);
}

int MeasureLineText(MainFormLook& look, const std::wstring& text) {
    if (!look.measureDc || text.empty()) return 0;
    SIZE size{};
    GetTextExtentPoint32W(look.measureDc, text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
}

RECT PadRect(const MainFormLook& look, int index) {
    const PixelRect& p = look.geometry.pads[static_cast<size_t>(index)];
    return RECT{p.left, p.top, p.Right(), p.Bottom()};
}

void PaintMainForm(MainFormLook& look, HDC dc, const RECT& client) {
    FillRect(dc, &client, look.backBrush ? look.backBrush : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    const WindowGeometry& g = look.geometry;
    if (g.width <= 0) return;  // not laid out yet

    HPEN pen = CreatePen(PS_SOLID, 1, look.line);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    // One pixel round the keyword box on every side.
    Rectangle(dc, g.frame.left, g.frame.top, g.frame.Right(), g.frame.Bottom());
    // The outline: three rounded rectangles, each corner a pixel tighter,
    // so the edge of the rounded region is traced without gaps.
    for (int i = 0; i < 3; ++i)
        RoundRect(dc, 0, 0, g.width - 1, look.height - 1, g.outlineEllipseWidth - i,
                  g.outlineEllipseHeight - i);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);

    for (int i = 0; i < 4; ++i) look.pictures.Draw(dc, look.padPictures[i], PadRect(look, i));
}

}  // namespace tw::win
