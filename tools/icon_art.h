// The program's icons are kept as pixel art in plain text (resources/icons/*.txt) so they
// can be read and reviewed; this turns that text into the images each icon holds.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvicons {

// Every size an icon holds. Each is drawn by hand in the text, except the largest, which
// is a smooth scale of the largest drawn one: views that big are rare.
constexpr std::array<int, 8> kIconSizes = {16, 20, 24, 32, 40, 48, 64, 256};
constexpr std::array<int, 7> kDrawnSizes = {16, 20, 24, 32, 40, 48, 64};
constexpr int kScaledSize = 256;
constexpr int kScaledFrom = 64;

// The icons the program ships, by file stem under resources/icons, and their resource ids.
struct IconName {
    const char* name;
    int resourceId;
};
const std::array<IconName, 3>& iconNames();

constexpr char kTransparentSymbol = '.';

struct PaletteEntry {
    char symbol;
    std::uint8_t r, g, b;
    const char* name;
};

// The 16-colour VGA palette, in index order.
const std::array<PaletteEntry, 16>& palette();

// One drawn size: row-major, top row first. Transparent pixels have index 0.
struct Art {
    int size = 0;
    std::vector<std::uint8_t> index;
    std::vector<bool> transparent;

    explicit Art(int side = 0)
        : size(side), index(static_cast<std::size_t>(side * side), 0),
          transparent(static_cast<std::size_t>(side * side), true) {}
    std::uint8_t at(int x, int y) const { return index[cell(x, y)]; }
    bool isTransparent(int x, int y) const { return transparent[cell(x, y)]; }
    std::size_t cell(int x, int y) const { return static_cast<std::size_t>(y * size + x); }
};

// One picture at every drawn size, in the order of kDrawnSizes.
struct Picture {
    std::vector<Art> drawn;
    const Art& at(int size) const;
};

struct ParseResult {
    std::optional<Picture> picture; // empty when the text is malformed
    std::string error;              // says why, with the line number where there is one
};

// Lines starting with '#' and empty lines are skipped. A line "size N" starts the picture
// drawn for N pixels: N rows of N palette symbols or '.'. Each drawn size comes once.
ParseResult parsePicture(std::string_view text);

// 32-bit pixels: R, G, B, A bytes, straight alpha, top row first.
struct Image {
    int size = 0;
    std::vector<std::uint8_t> rgba;

    bool operator==(const Image&) const = default;
};

// The palette's colours, opaque; a transparent pixel is all zero.
Image toImage(const Art& art);

// Scales up by a whole factor with linear interpolation in premultiplied alpha, in integers
// only, so the result is the same on every machine.
Image scaleSmooth(const Image& from, int factor);

// The picture at every size the icon holds, in the order of kIconSizes.
std::vector<Image> iconImages(const Picture& picture);

} // namespace kvicons
