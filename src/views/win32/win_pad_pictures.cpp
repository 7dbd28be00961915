#include "views/win32/win_pad_pictures.h"

#include "views/win32/resource.h"

namespace tw::win {

namespace {

constexpr int kSizes[3] = {18, 27, 36};
constexpr int kIds[3] = {IDB_PADS_18, IDB_PADS_27, IDB_PADS_36};
constexpr int kPictures = 20;

}  // namespace

PadPictures::~PadPictures() {
    for (HBITMAP b : strips_)
        if (b) DeleteObject(b);
}

void PadPictures::Draw(HDC dc, int picture, const RECT& target) {
    if (picture < 1 || picture > kPictures) return;
    const int width = target.right - target.left, height = target.bottom - target.top;
    if (width <= 0 || height <= 0) return;
    int pick = 2;
    for (int i = 0; i < 3; ++i)
        if (kSizes[i] >= width) {
            pick = i;
            break;
        }
    if (!tried_[pick]) {
        tried_[pick] = true;
        // A DIB section keeps the alpha bytes as they are in the file.
        strips_[pick] = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr),
                                                        MAKEINTRESOURCEW(kIds[pick]), IMAGE_BITMAP,
                                                        0, 0, LR_CREATEDIBSECTION));
    }
    HBITMAP strip = strips_[pick];
    if (!strip) return;
    const int size = kSizes[pick];
    HDC mem = CreateCompatibleDC(dc);
    if (!mem) return;
    HGDIOBJ old = SelectObject(mem, strip);
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, target.left, target.top, width, height, mem, (picture - 1) * size, 0, size, size,
               blend);
    SelectObject(mem, old);
    DeleteDC(mem);
}

}  // namespace tw::win
