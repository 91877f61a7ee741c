// The program's icons are kept as pixel art in plain text (resources/icons/*.txt)
// so they can be read and reviewed; this turns that text into .ico files.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvicons {

constexpr int kSize = 32;
constexpr int kPixels = kSize * kSize;
constexpr std::size_t kIcoFileSize = 766;

// The icons the program ships, by file stem under resources/icons.
constexpr std::array<const char*, 3> kIconNames = {"app", "waiting", "running"};

constexpr char kTransparentSymbol = '.';

struct PaletteEntry {
    char symbol;
    std::uint8_t r, g, b;
    const char* name;
};

// The 16-colour VGA palette, in index order.
const std::array<PaletteEntry, 16>& palette();

struct Art {
    // Row-major, top row first. Transparent pixels have index 0.
    std::array<std::uint8_t, kPixels> index{};
    std::array<bool, kPixels> transparent{};

    std::uint8_t at(int x, int y) const { return index[static_cast<std::size_t>(y * kSize + x)]; }
    bool isTransparent(int x, int y) const {
        return transparent[static_cast<std::size_t>(y * kSize + x)];
    }
};

struct ParseResult {
    std::optional<Art> art; // empty when the text is malformed
    std::string error;      // says why, with the line number where there is one
};

// Lines starting with '#' and empty lines are skipped; the rest must be
// exactly 32 rows of 32 palette symbols or '.'.
ParseResult parseArt(std::string_view text);

// A complete .ico file: one 32x32 image, 4 bits per pixel plus AND mask.
std::vector<std::uint8_t> encodeIco(const Art& art);

} // namespace kvicons
