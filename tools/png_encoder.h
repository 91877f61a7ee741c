// PNG for icon images: 8-bit RGBA, square, not interlaced. Windows reads such images inside
// icons from Vista on, and they are far smaller than the classic bitmaps.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/icon_art.h"

namespace kvicons {

// The row filters of PNG, and the choice made for each row by the usual heuristic
// (the smallest sum of the filtered bytes taken as signed).
enum class PngFilter { None = 0, Sub = 1, Up = 2, Average = 3, Paeth = 4, PerRow = 5 };

// The smallest PNG found: every filter choice, each compressed by zlib at level 9 with
// each of its strategies. Only IHDR, IDAT and IEND; the same bytes for the same pixels
// with the same zlib.
std::vector<std::uint8_t> encodePng(const Image& image);

// One filter choice, at the strongest compression.
std::vector<std::uint8_t> encodePng(const Image& image, PngFilter filter);

} // namespace kvicons
