#pragma once
// The pads' 20 pictures, carried in the exe as strips of 18, 27 and 36
// pixel squares (100, 150 and 200 % scaling) with premultiplied alpha.
#include "platform/win32/win_include.h"

namespace tw::win {

class PadPictures {
public:
    PadPictures() = default;
    ~PadPictures();
    PadPictures(const PadPictures&) = delete;
    PadPictures& operator=(const PadPictures&) = delete;

    // Draws picture 1 to 20 into `target`, blended over what is there,
    // from the smallest strip at least as large (scaled when the sizes
    // differ). Nothing is drawn for another number.
    void Draw(HDC dc, int picture, const RECT& target);

private:
    HBITMAP strips_[3] = {};
    bool tried_[3] = {};
};

}  // namespace tw::win
