#pragma once
// The settings of a first start, and the rounding the program uses
// wherever a fraction becomes a whole number.
#include <array>
#include <cstdint>

namespace tw {

struct Settings;

// Wheel up, wheel down, third, fourth and fifth button: previous track,
// next track, play/pause, fast forward, rewind.
constexpr std::array<int16_t, 5> kDefaultButtonMap{7, 6, 1, 4, 5};

// Sets every setting to its default and empties the folder list. The
// window starts at 90 % of the screen less the window's size, rounded to
// the nearest even pixel on halves.
void SetDefaults(Settings& s, int screenWidth, int screenHeight);

// Rounds to the nearest integer, halves to the even neighbour.
int RoundHalfEven(double v);

}  // namespace tw
