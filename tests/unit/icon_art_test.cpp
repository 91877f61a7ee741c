#include "tools/icon_art.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using kvicons::Art;
using kvicons::kSize;

enum Colour : std::uint8_t {
    Black = 0,
    Olive = 3,
    Red = 9,
    Lime = 10,
    Yellow = 11,
    White = 15,
};

std::string iconPath(const std::string& name, const char* ext) {
    return std::string(KV_SOURCE_DIR) + "/resources/icons/" + name + ext;
}

std::vector<std::uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in),
                                     std::istreambuf_iterator<char>());
}

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream buf;
    buf << in.rdbuf();
    return buf.str();
}

Art loadArt(const std::string& name) {
    const kvicons::ParseResult parsed = kvicons::parseArt(readText(iconPath(name, ".txt")));
    EXPECT_TRUE(parsed.art.has_value()) << name << ": " << parsed.error;
    return parsed.art.value_or(Art{});
}

// Little-endian fields, read independently of the encoder.
std::uint32_t u16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint32_t>(b.at(at) | b.at(at + 1) << 8);
}
std::uint32_t u32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return u16(b, at) | u16(b, at + 2) << 16;
}

constexpr std::size_t kXorStart = 6 + 16 + 40 + 16 * 4;
constexpr std::size_t kAndStart = kXorStart + 512;

// Both bitmaps are stored bottom row first; the left pixel of a pair is the high nibble.
int decodedIndex(const std::vector<std::uint8_t>& ico, int x, int y) {
    const std::uint8_t byte = ico.at(kXorStart + static_cast<std::size_t>((31 - y) * 16 + x / 2));
    return x % 2 == 0 ? byte >> 4 : byte & 0x0F;
}
bool decodedMaskBit(const std::vector<std::uint8_t>& ico, int x, int y) {
    const std::uint8_t byte = ico.at(kAndStart + static_cast<std::size_t>((31 - y) * 4 + x / 8));
    return ((byte >> (7 - x % 8)) & 1) != 0;
}

std::string blankArt() {
    std::string text;
    for (int y = 0; y < kSize; ++y) {
        text += std::string(kSize, '.') + "\n";
    }
    return text;
}

// Places a symbol at (x, y) of art text made by blankArt().
void put(std::string& text, int x, int y, char symbol) {
    text[static_cast<std::size_t>(y * (kSize + 1) + x)] = symbol;
}

int count(const Art& art, int colour, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            if (!art.isTransparent(x, y) && art.at(x, y) == colour) {
                ++n;
            }
        }
    }
    return n;
}

int countAll(const Art& art, int colour) {
    return count(art, colour, 0, 0, kSize - 1, kSize - 1);
}

// ---- the committed files ----

TEST(CommittedIcons, IcoFilesMatchTheirArt) {
    for (const char* name : kvicons::kIconNames) {
        SCOPED_TRACE(name);
        const std::vector<std::uint8_t> committed = readBytes(iconPath(name, ".ico"));
        ASSERT_EQ(committed.size(), kvicons::kIcoFileSize) << "missing or truncated .ico";
        EXPECT_TRUE(committed == kvicons::encodeIco(loadArt(name)))
            << "stale .ico: rerun make_icons after editing the .txt";
    }
}

// ---- the file layout ----

TEST(IcoLayout, HeadersDescribeOne32x32SixteenColourImage) {
    const std::vector<std::uint8_t> ico = kvicons::encodeIco(loadArt("app"));
    ASSERT_EQ(ico.size(), 766u);
    struct Field {
        const char* what;
        std::size_t at;
        int width;
        std::uint32_t expected;
    };
    const Field fields[] = {
        {"reserved", 0, 2, 0},       {"type icon", 2, 2, 1},
        {"image count", 4, 2, 1},    {"width", 6, 1, 32},
        {"height", 7, 1, 32},        {"colour count", 8, 1, 16},
        {"entry reserved", 9, 1, 0}, {"planes", 10, 2, 1},
        {"bit count", 12, 2, 4},     {"bytes in resource", 14, 4, 744},
        {"image offset", 18, 4, 22}, {"biSize", 22, 4, 40},
        {"biWidth", 26, 4, 32},      {"biHeight counts XOR and AND", 30, 4, 64},
        {"biPlanes", 34, 2, 1},      {"biBitCount", 36, 2, 4},
        {"biCompression", 38, 4, 0}, {"biSizeImage", 42, 4, 512 + 128},
    };
    for (const Field& f : fields) {
        const std::uint32_t got = f.width == 1   ? ico.at(f.at)
                                  : f.width == 2 ? u16(ico, f.at)
                                                 : u32(ico, f.at);
        EXPECT_EQ(got, f.expected) << f.what;
    }
    EXPECT_EQ(u32(ico, 14) + u32(ico, 18), ico.size()) << "image must end the file";
}

TEST(IcoLayout, PaletteIsVgaInBgrOrder) {
    const std::uint32_t vga[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                   0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                   0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    const std::vector<std::uint8_t> ico = kvicons::encodeIco(Art{});
    for (std::size_t i = 0; i < 16; ++i) {
        SCOPED_TRACE(i);
        const std::size_t at = 62 + i * 4;
        EXPECT_EQ(ico.at(at), vga[i] & 0xFF);
        EXPECT_EQ(ico.at(at + 1), (vga[i] >> 8) & 0xFF);
        EXPECT_EQ(ico.at(at + 2), (vga[i] >> 16) & 0xFF);
        EXPECT_EQ(ico.at(at + 3), 0);
    }
}

TEST(IcoLayout, PixelsDecodeBackToTheirColourAndMask) {
    // Asymmetric spots, so a flipped row order or swapped nibbles shows.
    struct Spot {
        int x, y;
        char symbol;
        int index; // -1: transparent
    };
    const Spot spots[] = {
        {0, 0, 'R', Red},    {1, 0, 'B', 12},      {31, 0, 'W', White}, {0, 1, 'Y', Yellow},
        {30, 31, 'G', Lime}, {31, 31, 'K', Black}, {7, 3, 'M', 1},      {8, 3, 'C', 14},
        {16, 20, 'A', 8},    {5, 30, '.', -1},     {31, 30, 'F', 13},   {2, 0, '.', -1},
    };
    std::string text = blankArt();
    for (const Spot& s : spots) {
        put(text, s.x, s.y, s.symbol);
    }
    const kvicons::ParseResult parsed = kvicons::parseArt(text);
    ASSERT_TRUE(parsed.art) << parsed.error;
    const std::vector<std::uint8_t> ico = kvicons::encodeIco(*parsed.art);
    for (const Spot& s : spots) {
        SCOPED_TRACE(std::string(1, s.symbol) + " at " + std::to_string(s.x) + "," +
                     std::to_string(s.y));
        EXPECT_EQ(decodedIndex(ico, s.x, s.y), s.index < 0 ? 0 : s.index);
        EXPECT_EQ(decodedMaskBit(ico, s.x, s.y), s.index < 0);
    }
    // Everything not placed stays transparent black.
    EXPECT_EQ(decodedIndex(ico, 10, 10), 0);
    EXPECT_TRUE(decodedMaskBit(ico, 10, 10));
}

TEST(IcoLayout, EveryPixelOfACommittedIconRoundTrips) {
    const Art art = loadArt("running");
    const std::vector<std::uint8_t> ico = kvicons::encodeIco(art);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            ASSERT_EQ(decodedIndex(ico, x, y), art.at(x, y)) << x << "," << y;
            ASSERT_EQ(decodedMaskBit(ico, x, y), art.isTransparent(x, y)) << x << "," << y;
        }
    }
}

TEST(IcoLayout, TransparentPixelIsBlackWhateverItsIndex) {
    Art art;
    art.index.fill(Yellow);
    art.transparent[0] = true; // top-left
    const std::vector<std::uint8_t> ico = kvicons::encodeIco(art);
    EXPECT_EQ(decodedIndex(ico, 0, 0), 0);
    EXPECT_TRUE(decodedMaskBit(ico, 0, 0));
    EXPECT_EQ(decodedIndex(ico, 1, 0), Yellow);
    EXPECT_FALSE(decodedMaskBit(ico, 1, 0));
}

// ---- reading the art ----

TEST(ArtText, EverySymbolMapsToItsPaletteIndex) {
    const char symbols[] = "KMDONPTSARGYBFCW";
    std::string text = blankArt();
    for (int i = 0; i < 16; ++i) {
        put(text, i, 5, symbols[i]);
    }
    const kvicons::ParseResult parsed = kvicons::parseArt(text);
    ASSERT_TRUE(parsed.art) << parsed.error;
    for (int i = 0; i < 16; ++i) {
        SCOPED_TRACE(symbols[i]);
        EXPECT_EQ(parsed.art->at(i, 5), i);
        EXPECT_FALSE(parsed.art->isTransparent(i, 5));
        EXPECT_EQ(kvicons::palette()[static_cast<std::size_t>(i)].symbol, symbols[i]);
    }
    EXPECT_TRUE(parsed.art->isTransparent(16, 5));
    EXPECT_EQ(parsed.art->at(16, 5), 0);
}

TEST(ArtText, CommentsBlankLinesAndCrlfAreAccepted) {
    std::string plain = blankArt();
    put(plain, 3, 4, 'Y');
    std::string decorated = "# title\r\n\r\n";
    for (char c : plain) {
        decorated += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    decorated += "# trailing note\n";
    const kvicons::ParseResult a = kvicons::parseArt(plain);
    const kvicons::ParseResult b = kvicons::parseArt(decorated);
    ASSERT_TRUE(a.art) << a.error;
    ASSERT_TRUE(b.art) << b.error;
    EXPECT_EQ(a.art->index, b.art->index);
    EXPECT_EQ(a.art->transparent, b.art->transparent);
    EXPECT_EQ(b.art->at(3, 4), Yellow);
}

TEST(ArtText, MalformedArtIsRejectedWithAReason) {
    const std::string row(kSize, '.');
    auto rows = [&](int n) {
        std::string t;
        for (int i = 0; i < n; ++i) {
            t += row + "\n";
        }
        return t;
    };
    std::string badSymbol = blankArt();
    put(badSymbol, 6, 2, 'Z');
    std::string lowercase = blankArt();
    put(lowercase, 0, 0, 'y');
    std::string tab = blankArt();
    put(tab, 31, 31, '\t');

    struct Case {
        const char* what;
        std::string text;
        const char* reason;
    };
    const Case cases[] = {
        {"empty", "", "found 0 rows"},
        {"only comments", "# nothing\n#\n", "found 0 rows"},
        {"one row short", rows(31), "found 31 rows"},
        {"one row too many", rows(33), "line 33: more than 32 rows"},
        {"short row", rows(4) + row.substr(1) + "\n" + rows(27), "line 5: row has 31 characters"},
        {"long row", rows(2) + row + ".\n" + rows(29), "line 3: row has 33 characters"},
        {"trailing space", row + " \n" + rows(31), "line 1: row has 33 characters"},
        {"indented comment", " # note\n" + rows(32), "line 1: row has 7 characters"},
        {"unknown symbol", badSymbol, "line 3: column 7: unknown symbol 'Z'"},
        {"lowercase symbol", lowercase, "line 1: column 1: unknown symbol 'y'"},
        {"tab", tab, "line 32: column 32: unknown symbol a tab"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const kvicons::ParseResult parsed = kvicons::parseArt(c.text);
        EXPECT_FALSE(parsed.art.has_value());
        EXPECT_NE(parsed.error.find(c.reason), std::string::npos) << "error was: " << parsed.error;
    }
}

// ---- the pictures ----

TEST(Pictures, BoltIsYellowOutlinedInBlackAndShadedOlive) {
    for (const char* name : {"app", "waiting"}) {
        SCOPED_TRACE(name);
        const Art art = loadArt(name);
        EXPECT_GT(countAll(art, Yellow), 150);
        EXPECT_GT(countAll(art, Black), 60);
        EXPECT_GT(countAll(art, Olive), 30);
        for (int colour = 0; colour < 16; ++colour) {
            if (colour != Yellow && colour != Black && colour != Olive) {
                EXPECT_EQ(countAll(art, colour), 0) << "unexpected colour " << colour;
            }
        }
        // Olive shades the right-hand edge: along a row no yellow lies right of
        // olive, and olive runs into the black outline.
        for (int y = 0; y < kSize; ++y) {
            bool seenOlive = false;
            for (int x = 0; x < kSize; ++x) {
                const int c = art.isTransparent(x, y) ? -1 : art.at(x, y);
                EXPECT_FALSE(seenOlive && c == Yellow)
                    << "yellow right of olive at " << x << "," << y;
                if (c == Olive) {
                    seenOlive = true;
                    ASSERT_LT(x + 1, kSize);
                    EXPECT_TRUE(art.at(x + 1, y) == Olive || art.at(x + 1, y) == Black)
                        << x << "," << y;
                }
            }
        }
    }
}

TEST(Pictures, BoltRunsFromTopRightToBottomLeftAndFillsTheIcon) {
    for (const char* name : kvicons::kIconNames) {
        SCOPED_TRACE(name);
        const Art art = loadArt(name);
        const std::pair<int, int> corners[] = {{0, 0}, {31, 0}, {0, 31}, {31, 31}};
        for (const auto& [x, y] : corners) {
            EXPECT_TRUE(art.isTransparent(x, y)) << "corner " << x << "," << y;
        }
        int left = kSize, right = -1, top = kSize, bottom = -1;
        double topX = 0, bottomX = 0;
        int topN = 0, bottomN = 0;
        for (int y = 0; y < kSize; ++y) {
            for (int x = 0; x < kSize; ++x) {
                if (art.isTransparent(x, y)) {
                    continue;
                }
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
                if (y < 8) {
                    topX += x;
                    ++topN;
                } else if (y >= 24) {
                    bottomX += x;
                    ++bottomN;
                }
            }
        }
        EXPECT_GE(right - left + 1, 26);
        EXPECT_GE(bottom - top + 1, 28);
        ASSERT_GT(topN, 0);
        ASSERT_GT(bottomN, 0);
        EXPECT_GT(topX / topN, 16.0 + 4.0);
        EXPECT_LT(bottomX / bottomN, 16.0 - 4.0);
    }
}

TEST(Pictures, WaitingIsTheApplicationBolt) {
    const Art app = loadArt("app");
    const Art waiting = loadArt("waiting");
    EXPECT_EQ(app.index, waiting.index);
    EXPECT_EQ(app.transparent, waiting.transparent);
}

TEST(Pictures, RunningHasARedExclamationOnALimeDiscOverTheBolt) {
    const Art art = loadArt("running");
    // The disc and its mark sit in the middle; the bolt shows around them.
    EXPECT_GT(count(art, Lime, 8, 8, 23, 23), 80);
    EXPECT_GT(count(art, Red, 8, 8, 23, 23), 15);
    EXPECT_EQ(countAll(art, Lime), count(art, Lime, 8, 8, 23, 23));
    EXPECT_EQ(countAll(art, Red), count(art, Red, 8, 8, 23, 23));
    EXPECT_GT(countAll(art, Yellow) - count(art, Yellow, 8, 8, 23, 23), 60);
    EXPECT_GT(countAll(art, Olive) - count(art, Olive, 8, 8, 23, 23), 15);

    // Down the middle column: lime, a long red stroke, a lime gap, a shorter red dot.
    std::string runs;
    for (int y = 8; y <= 23; ++y) {
        const char c = art.at(15, y) == Red ? 'R' : art.at(15, y) == Lime ? 'G' : '-';
        if (runs.empty() || runs.back() != c) {
            runs += c;
        }
    }
    EXPECT_NE(runs.find("GRGR"), std::string::npos) << runs;
    int stroke = 0, dot = 0;
    bool gap = false;
    for (int y = 8; y <= 23; ++y) {
        if (art.at(15, y) == Red) {
            ++(gap ? dot : stroke);
        } else if (stroke > 0) {
            gap = true;
        }
    }
    EXPECT_GE(stroke, 2 * dot);
    EXPECT_GE(dot, 2);
}

} // namespace
