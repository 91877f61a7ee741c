#include "tools/icon_art.h"
#include "tools/icon_resources.h"
#include "tools/png_encoder.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using kvicons::Art;
using kvicons::Image;
using kvicons::Picture;

enum Colour : std::uint8_t {
    Black = 0,
    Green = 2,
    Olive = 3,
    Red = 9,
    Lime = 10,
    Yellow = 11,
    White = 15,
};

std::string sourcePath(const std::string& relative) {
    return std::string(KV_SOURCE_DIR) + "/" + relative;
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

Picture loadPicture(const std::string& name) {
    kvicons::ParseResult parsed =
        kvicons::parsePicture(readText(sourcePath("resources/icons/" + name + ".txt")));
    EXPECT_TRUE(parsed.picture.has_value()) << name << ": " << parsed.error;
    return parsed.picture.value_or(Picture{});
}

std::vector<kvicons::NamedPicture> committedPictures() {
    std::vector<kvicons::NamedPicture> pictures;
    for (const kvicons::IconName& icon : kvicons::iconNames()) {
        pictures.push_back({icon, loadPicture(icon.name)});
    }
    return pictures;
}

// Art text with every drawn size blank, and a way to place symbols in one size.
std::string blankArt() {
    std::string text;
    for (int size : kvicons::kDrawnSizes) {
        text += "size " + std::to_string(size) + "\n";
        for (int y = 0; y < size; ++y) {
            text += std::string(static_cast<std::size_t>(size), '.') + "\n";
        }
    }
    return text;
}

void put(std::string& text, int size, int x, int y, char symbol) {
    const std::size_t start = text.find("size " + std::to_string(size) + "\n");
    const std::size_t firstRow = text.find('\n', start) + 1;
    text[firstRow + static_cast<std::size_t>(y * (size + 1) + x)] = symbol;
}

Picture parseOrFail(const std::string& text) {
    kvicons::ParseResult parsed = kvicons::parsePicture(text);
    EXPECT_TRUE(parsed.picture.has_value()) << parsed.error;
    return parsed.picture.value_or(Picture{});
}

std::array<std::uint8_t, 4> pixel(const Image& image, int x, int y) {
    const auto at = static_cast<std::size_t>(y * image.size + x) * 4;
    return {image.rgba[at], image.rgba[at + 1], image.rgba[at + 2], image.rgba[at + 3]};
}

// -1 for transparent, else the palette index.
int colourAt(const Art& art, int x, int y) {
    if (x < 0 || y < 0 || x >= art.size || y >= art.size || art.isTransparent(x, y)) {
        return -1;
    }
    return art.at(x, y);
}

int count(const Art& art, int colour, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            n += colourAt(art, x, y) == colour;
        }
    }
    return n;
}

int countAll(const Art& art, int colour) {
    return count(art, colour, 0, 0, art.size - 1, art.size - 1);
}

// The pixels of a PNG as libpng reads it, an outside check on make_icons' encoder; empty
// unless it is a square of 8-bit RGBA, as make_icons writes them.
std::optional<Image> decodePng(const std::vector<std::uint8_t>& png) {
    png_image read{};
    read.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&read, png.data(), png.size())) {
        ADD_FAILURE() << "libpng: " << read.message;
        return std::nullopt;
    }
    Image image;
    image.size = static_cast<int>(read.width);
    image.rgba.resize(PNG_IMAGE_SIZE(read));
    const bool asWritten = read.format == PNG_FORMAT_RGBA && read.width == read.height;
    if (!png_image_finish_read(&read, nullptr, image.rgba.data(), 0, nullptr)) {
        ADD_FAILURE() << "libpng: " << read.message;
        return std::nullopt;
    }
    if (!asWritten) {
        ADD_FAILURE() << "not a square of 8-bit RGBA";
        return std::nullopt;
    }
    return image;
}

// ---- the committed files ----

TEST(CommittedIcons, GeneratedFilesHoldTheArtAtEverySize) {
    const kvicons::IconPlan plan = kvicons::planIcons(committedPictures());
    const std::string dir = sourcePath(kvicons::kGeneratedDir) + "/";
    const std::string stale = "stale: run make_icons after editing the pictures";

    std::map<std::uint16_t, std::uint32_t> pngBytes;
    std::set<std::string> expectedFiles = {kvicons::kRcFragment};
    for (const kvicons::IconImage& image : plan.images) {
        SCOPED_TRACE(image.file);
        expectedFiles.insert(image.file);
        const std::vector<std::uint8_t> png = readBytes(dir + image.file);
        pngBytes[image.id] = static_cast<std::uint32_t>(png.size());
        // Pixels, not bytes: another zlib build may compress the same pixels differently.
        EXPECT_TRUE(decodePng(png) == image.image) << stale;
        // The zlib header's level field: 3 is what levels 7 to 9 write.
        ASSERT_GT(png.size(), 43u);
        EXPECT_EQ(png[42] >> 6, 3) << "not compressed at the highest level";
    }
    for (const kvicons::IconGroup& group : plan.groups) {
        SCOPED_TRACE(group.file);
        expectedFiles.insert(group.file);
        std::vector<kvicons::GroupEntry> entries;
        for (std::size_t i = 0; i < group.imageIds.size(); ++i) {
            const std::uint16_t id = group.imageIds[i];
            entries.push_back({kvicons::kIconSizes[i], 32, pngBytes[id], id});
        }
        EXPECT_EQ(readBytes(dir + group.file), kvicons::encodeGroupDirectory(entries)) << stale;
    }
    EXPECT_EQ(readText(dir + kvicons::kRcFragment), kvicons::rcFragment(plan)) << stale;

    std::set<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        found.insert(entry.path().filename().string());
    }
    EXPECT_EQ(found, expectedFiles) << stale;
}

TEST(CommittedIcons, TheResourceScriptIncludesTheGeneratedFragment) {
    const std::string rc = readText(sourcePath("resources/kelvarion.rc"));
    EXPECT_NE(rc.find("#include \"icons/generated/icons.rc\""), std::string::npos);
    EXPECT_EQ(rc.find(" ICON "), std::string::npos) << "the ICON statement stores images twice";
}

// ---- which images the executable holds ----

TEST(IconPlan, AnImageIsStoredOnceWhateverListsIt) {
    std::string bolt = blankArt();
    for (int size : kvicons::kDrawnSizes) {
        put(bolt, size, 1, 1, 'Y');
    }
    std::string marked = bolt;
    put(marked, 64, 2, 2, 'R'); // differs at 64 px, and so in the 256 px scale of it too
    const std::vector<kvicons::NamedPicture> pictures = {
        {{"first", 7}, parseOrFail(bolt)},
        {{"second", 8}, parseOrFail(bolt)},
        {{"third", 9}, parseOrFail(marked)},
    };
    const kvicons::IconPlan plan = kvicons::planIcons(pictures);

    ASSERT_EQ(plan.images.size(), 10u);
    for (std::size_t i = 0; i < plan.images.size(); ++i) {
        EXPECT_EQ(plan.images[i].id, i + 1);
    }
    ASSERT_EQ(plan.groups.size(), 3u);
    const std::vector<std::uint16_t> first = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(plan.groups[0].imageIds, first);
    EXPECT_EQ(plan.groups[1].imageIds, first);
    EXPECT_EQ(plan.groups[2].imageIds, (std::vector<std::uint16_t>{1, 2, 3, 4, 5, 6, 9, 10}));
    EXPECT_EQ(plan.groups[2].id, 9);
    EXPECT_EQ(plan.images[7].file, "first-256.png");
    EXPECT_EQ(plan.images[8].file, "third-64.png");
    EXPECT_EQ(plan.groups[1].file, "second.group");

    const std::string rc = kvicons::rcFragment(plan);
    EXPECT_NE(rc.find("\n1 3 \"resources/icons/generated/first-16.png\"\n"), std::string::npos);
    EXPECT_NE(rc.find("\n10 3 \"resources/icons/generated/third-256.png\"\n"), std::string::npos);
    EXPECT_NE(rc.find("\n8 14 \"resources/icons/generated/second.group\"\n"), std::string::npos);
}

TEST(GroupDirectory, LaysOutEachEntryInFourteenBytes) {
    const std::vector<kvicons::GroupEntry> entries = {{16, 32, 0x12345, 1}, {256, 32, 7000, 300}};
    const std::vector<std::uint8_t> bytes = kvicons::encodeGroupDirectory(entries);
    const std::vector<std::uint8_t> expected = {
        0,  0,  1, 0, 2, 0,                                      // reserved, icons, two entries
        16, 16, 0, 0, 1, 0, 32, 0, 0x45, 0x23, 0x01, 0, 1,    0, // 16 px, 0x12345 bytes, id 1
        0,  0,  0, 0, 1, 0, 32, 0, 0x58, 0x1B, 0,    0, 0x2C, 1, // 256 px is written as 0
    };
    EXPECT_EQ(bytes, expected);
}

// ---- PNG ----

// Every kind of neighbour a filter looks at: gradients, edges, transparency.
Image testImage(int size) {
    Image image;
    image.size = size;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const bool clear = (x * 7 + y * 3) % 11 == 0;
            image.rgba.insert(image.rgba.end(),
                              {static_cast<std::uint8_t>(clear ? 0 : x * 37 + y),
                               static_cast<std::uint8_t>(clear ? 0 : 255 - y * 29),
                               static_cast<std::uint8_t>(clear ? 0 : (x ^ y) * 13),
                               static_cast<std::uint8_t>(clear ? 0 : 128 + x * 3)});
        }
    }
    return image;
}

TEST(Png, EveryFilterDecodesBackToTheSamePixels) {
    const Image image = testImage(19);
    const std::vector<std::uint8_t> best = kvicons::encodePng(image);
    for (auto filter :
         {kvicons::PngFilter::None, kvicons::PngFilter::Sub, kvicons::PngFilter::Up,
          kvicons::PngFilter::Average, kvicons::PngFilter::Paeth, kvicons::PngFilter::PerRow}) {
        SCOPED_TRACE(static_cast<int>(filter));
        const std::vector<std::uint8_t> png = kvicons::encodePng(image, filter);
        EXPECT_TRUE(decodePng(png) == image);
        EXPECT_LE(best.size(), png.size()) << "the smallest is kept";
    }
}

// ---- pixels ----

TEST(Images, PaletteColoursOpaqueAndTransparentAllZero) {
    std::string text = blankArt();
    put(text, 16, 0, 0, 'O');
    put(text, 16, 15, 0, 'G');
    put(text, 16, 0, 15, 'K');
    const Image image = kvicons::toImage(parseOrFail(text).at(16));
    ASSERT_EQ(image.size, 16);
    using Px = std::array<std::uint8_t, 4>;
    EXPECT_EQ(pixel(image, 0, 0), (Px{0x80, 0x80, 0x00, 0xFF}));
    EXPECT_EQ(pixel(image, 15, 0), (Px{0x00, 0xFF, 0x00, 0xFF}));
    EXPECT_EQ(pixel(image, 0, 15), (Px{0x00, 0x00, 0x00, 0xFF}));
    EXPECT_EQ(pixel(image, 15, 15), (Px{0, 0, 0, 0}));
}

TEST(Images, SmoothScaleBlendsNeighboursWithoutDarkFringes) {
    // Yellow left, transparent right; the lower row red and opaque.
    Image image;
    image.size = 2;
    image.rgba = {0xFF, 0xFF, 0, 0xFF, 0, 0, 0, 0, 0xFF, 0, 0, 0xFF, 0xFF, 0, 0, 0xFF};
    const Image big = kvicons::scaleSmooth(image, 4);
    ASSERT_EQ(big.size, 8);
    using Px = std::array<std::uint8_t, 4>;
    // Beyond the middle of the outer pixels, each colour is its own.
    EXPECT_EQ(pixel(big, 0, 0), (Px{0xFF, 0xFF, 0, 0xFF}));
    EXPECT_EQ(pixel(big, 1, 1), (Px{0xFF, 0xFF, 0, 0xFF}));
    EXPECT_EQ(pixel(big, 7, 0), (Px{0, 0, 0, 0}));
    EXPECT_EQ(pixel(big, 7, 7), (Px{0xFF, 0, 0, 0xFF}));
    // Between yellow and clear the colour stays yellow as it fades: its alpha
    // steps 7/8, 5/8, 3/8, 1/8 of the way.
    const std::uint8_t fades[] = {0xDF, 0x9F, 0x60, 0x20};
    for (int x = 2; x < 6; ++x) {
        SCOPED_TRACE(x);
        EXPECT_EQ(pixel(big, x, 0), (Px{0xFF, 0xFF, 0, fades[x - 2]}));
    }
    // Between yellow and red, opaque throughout: the green fades.
    EXPECT_EQ(pixel(big, 0, 3), (Px{0xFF, 0x9F, 0, 0xFF}));
    EXPECT_EQ(pixel(big, 0, 4), (Px{0xFF, 0x60, 0, 0xFF}));
}

// ---- reading the art ----

TEST(ArtText, EverySymbolMapsToItsPaletteIndex) {
    const char symbols[] = "KMDONPTSARGYBFCW";
    std::string text = blankArt();
    for (int i = 0; i < 16; ++i) {
        put(text, 20, i, 5, symbols[i]);
    }
    const Picture picture = parseOrFail(text);
    ASSERT_EQ(picture.drawn.size(), kvicons::kDrawnSizes.size());
    const Art& art = picture.at(20);
    for (int i = 0; i < 16; ++i) {
        SCOPED_TRACE(symbols[i]);
        EXPECT_EQ(art.at(i, 5), i);
        EXPECT_FALSE(art.isTransparent(i, 5));
        EXPECT_EQ(kvicons::palette()[static_cast<std::size_t>(i)].symbol, symbols[i]);
    }
    EXPECT_TRUE(art.isTransparent(16, 5));
    EXPECT_EQ(art.at(16, 5), 0);
    EXPECT_EQ(countAll(picture.at(16), Black) + countAll(picture.at(24), Black), 0);
}

TEST(ArtText, CommentsBlankLinesCrlfAndAnyOrderOfSizesAreAccepted) {
    std::string plain = blankArt();
    put(plain, 24, 3, 4, 'Y');
    // The same text with the 16 px picture moved to the end, comments and CRLF.
    const std::size_t second = plain.find("size 20");
    std::string reordered = "# title\r\n\r\n";
    for (char c : plain.substr(second) + "# the smallest last\n" + plain.substr(0, second)) {
        reordered += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    const Picture a = parseOrFail(plain);
    const Picture b = parseOrFail(reordered);
    for (int size : kvicons::kDrawnSizes) {
        EXPECT_EQ(a.at(size).index, b.at(size).index) << size;
        EXPECT_EQ(a.at(size).transparent, b.at(size).transparent) << size;
    }
    EXPECT_EQ(b.at(24).at(3, 4), Yellow);
}

TEST(ArtText, MalformedArtIsRejectedWithAReason) {
    const std::string art = blankArt();
    const std::size_t at20 = art.find("size 20");
    const std::size_t at24 = art.find("size 24");
    const std::string row16(16, '.');
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string t = art;
        t.replace(t.find(from), from.size(), to);
        return t;
    };
    std::string badSymbol = art;
    put(badSymbol, 32, 6, 2, 'Z');
    std::string lowercase = art;
    put(lowercase, 16, 0, 0, 'y');
    std::string tab = art;
    put(tab, 16, 15, 15, '\t');

    struct Case {
        const char* what;
        std::string text;
        const char* reason;
    };
    const Case cases[] = {
        {"empty", "", "size 16 is missing"},
        {"one size left out", art.substr(0, at20) + art.substr(at24), "size 20 is missing"},
        {"a size twice", art + art.substr(at20, at24 - at20), "line 252: size 20 drawn twice"},
        {"a size not drawn", art + "size 256\n", "size 256 is not drawn"},
        {"an odd size", replaced("size 20", "size 17"), "line 18: size 17 is not drawn"},
        {"not a number", replaced("size 20", "size 2O"), "line 18: expected \"size N\""},
        {"pixels first", row16 + "\n" + art, "line 1: pixels before the first"},
        {"one row short", replaced(row16 + "\n", ""), "size 16 (line 1): found 15 rows"},
        {"one row too many", replaced(row16 + "\n", row16 + "\n" + row16 + "\n"),
         "line 18: more than 16 rows for size 16"},
        {"short row", replaced(row16 + "\n", row16.substr(1) + "\n"),
         "line 2: row has 15 characters, expected 16"},
        {"trailing space", replaced(row16 + "\n", row16 + " \n"), "line 2: row has 17 characters"},
        {"indented comment", " # note\n" + art, "line 1: pixels before the first"},
        {"unknown symbol", badSymbol, "line 67: column 7: unknown symbol 'Z'"},
        {"lowercase symbol", lowercase, "line 2: column 1: unknown symbol 'y'"},
        {"tab", tab, "line 17: column 16: unknown symbol a tab"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const kvicons::ParseResult parsed = kvicons::parsePicture(c.text);
        EXPECT_FALSE(parsed.picture.has_value());
        EXPECT_NE(parsed.error.find(c.reason), std::string::npos) << "error was: " << parsed.error;
    }
}

// ---- the pictures, at every drawn size ----

// The outline stays legible: no fill colour ever touches the ground or the image's edge.
void expectOutlined(const Art& art) {
    for (int y = 0; y < art.size; ++y) {
        for (int x = 0; x < art.size; ++x) {
            const int c = colourAt(art, x, y);
            if (c == -1 || c == Black) {
                continue;
            }
            for (const auto& [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
                EXPECT_NE(colourAt(art, x + dx, y + dy), -1)
                    << "colour " << c << " at " << x << "," << y << " meets the ground";
            }
        }
    }
}

TEST(Pictures, BoltIsYellowOutlinedInBlackAndShadedOlive) {
    for (const char* name : {"app", "waiting"}) {
        const Picture picture = loadPicture(name);
        for (const Art& art : picture.drawn) {
            SCOPED_TRACE(std::string(name) + " " + std::to_string(art.size));
            const int area = art.size * art.size;
            EXPECT_GT(countAll(art, Yellow), area / 7);
            EXPECT_GT(countAll(art, Black), area / 16);
            EXPECT_GT(countAll(art, Olive), art.size / 2);
            for (int colour = 0; colour < 16; ++colour) {
                if (colour != Yellow && colour != Black && colour != Olive) {
                    EXPECT_EQ(countAll(art, colour), 0) << "unexpected colour " << colour;
                }
            }
            expectOutlined(art);
            // Olive shades the right-hand edge: along a row no yellow lies right of
            // olive, and olive runs into the black outline.
            for (int y = 0; y < art.size; ++y) {
                bool seenOlive = false;
                for (int x = 0; x < art.size; ++x) {
                    const int c = colourAt(art, x, y);
                    EXPECT_FALSE(seenOlive && c == Yellow)
                        << "yellow right of olive at " << x << "," << y;
                    if (c == Olive) {
                        seenOlive = true;
                        const int right = colourAt(art, x + 1, y);
                        EXPECT_TRUE(right == Olive || right == Black) << x << "," << y;
                    }
                }
            }
        }
    }
}

TEST(Pictures, BoltRunsFromTopRightToBottomLeftAndFillsTheIcon) {
    for (const kvicons::IconName& icon : kvicons::iconNames()) {
        for (const Art& art : loadPicture(icon.name).drawn) {
            SCOPED_TRACE(std::string(icon.name) + " " + std::to_string(art.size));
            const int n = art.size;
            for (const auto& [x, y] : {std::pair{0, 0}, {n - 1, 0}, {0, n - 1}, {n - 1, n - 1}}) {
                EXPECT_TRUE(art.isTransparent(x, y)) << "corner " << x << "," << y;
            }
            int left = n, right = -1, top = n, bottom = -1;
            double topX = 0, bottomX = 0;
            int topN = 0, bottomN = 0;
            for (int y = 0; y < n; ++y) {
                for (int x = 0; x < n; ++x) {
                    if (art.isTransparent(x, y)) {
                        continue;
                    }
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                    if (y < n / 4) {
                        topX += x;
                        ++topN;
                    } else if (y >= n * 3 / 4) {
                        bottomX += x;
                        ++bottomN;
                    }
                }
            }
            EXPECT_GE(right - left + 1, n * 13 / 16);
            EXPECT_GE(bottom - top + 1, n * 7 / 8);
            ASSERT_GT(topN, 0);
            ASSERT_GT(bottomN, 0);
            EXPECT_GT(topX / topN, n * 0.55);
            EXPECT_LT(bottomX / bottomN, n * 0.45);
        }
    }
}

TEST(Pictures, WaitingIsTheApplicationBolt) {
    const Picture app = loadPicture("app");
    const Picture waiting = loadPicture("waiting");
    for (int size : kvicons::kDrawnSizes) {
        EXPECT_EQ(app.at(size).index, waiting.at(size).index) << size;
        EXPECT_EQ(app.at(size).transparent, waiting.at(size).transparent) << size;
    }
}

TEST(Pictures, RunningHasARedExclamationOnALimeDiscOverTheBolt) {
    for (const Art& art : loadPicture("running").drawn) {
        const int n = art.size;
        SCOPED_TRACE(n);
        // The disc and its mark sit in the middle; the bolt shows around them.
        const int lo = n / 4, hi = n - 1 - n / 4;
        EXPECT_GT(count(art, Lime, lo, lo, hi, hi), n * n / 16);
        EXPECT_GT(count(art, Red, lo, lo, hi, hi), n / 2);
        EXPECT_EQ(countAll(art, Lime), count(art, Lime, lo, lo, hi, hi));
        EXPECT_EQ(countAll(art, Red), count(art, Red, lo, lo, hi, hi));
        EXPECT_GT(countAll(art, Yellow) - count(art, Yellow, lo, lo, hi, hi), n / 2);
        EXPECT_GT(countAll(art, Olive), n / 4);
        expectOutlined(art);
        // Legible at any size: the mark lies inside the disc, and the disc is ringed in
        // black wherever it meets the bolt or the ground.
        for (int y = 0; y < n; ++y) {
            for (int x = 0; x < n; ++x) {
                const int c = colourAt(art, x, y);
                for (const auto& [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
                    const int next = colourAt(art, x + dx, y + dy);
                    if (c == Red) {
                        EXPECT_TRUE(next == Red || next == Lime || next == Green) << x << "," << y;
                    } else if (c == Lime || c == Green) {
                        EXPECT_TRUE(next == Lime || next == Green || next == Red || next == Black)
                            << x << "," << y;
                    }
                }
            }
        }

        // Down the middle column: lime, a long red stroke, a lime gap, a shorter red dot.
        std::string runs;
        int stroke = 0, dot = 0;
        for (int y = lo; y <= hi; ++y) {
            const int c = colourAt(art, n / 2, y);
            const char mark = c == Red ? 'R' : c == Lime ? 'G' : '-';
            if (runs.empty() || runs.back() != mark) {
                runs += mark;
            }
            if (mark == 'R') {
                ++(runs.find("RGR") == std::string::npos ? stroke : dot);
            }
        }
        EXPECT_NE(runs.find("GRGR"), std::string::npos) << runs;
        EXPECT_GT(stroke, dot);
        EXPECT_GE(dot, n / 16);
    }
}

} // namespace
