#include "tools/icon_art.h"

#include <algorithm>
#include <cstdint>

#include "resources/resource_ids.h"

namespace kvicons {

namespace {

std::string describe(char c) {
    if (c == '\t') {
        return "a tab";
    }
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F) {
        static const char hex[] = "0123456789ABCDEF";
        const auto u = static_cast<unsigned char>(c);
        return std::string("byte 0x") + hex[u >> 4] + hex[u & 0xF];
    }
    return std::string("'") + c + "'";
}

int paletteIndex(char c) {
    for (std::size_t i = 0; i < palette().size(); ++i) {
        if (palette()[i].symbol == c) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int drawnSlot(int size) {
    for (std::size_t i = 0; i < kDrawnSizes.size(); ++i) {
        if (kDrawnSizes[i] == size) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// "size N" with N a plain decimal number; -1 when the line is not one.
int sizeLine(std::string_view line) {
    constexpr std::string_view prefix = "size ";
    if (line.substr(0, prefix.size()) != prefix || line.size() == prefix.size() ||
        line.size() > prefix.size() + 4) {
        return -1;
    }
    int n = 0;
    for (char c : line.substr(prefix.size())) {
        if (c < '0' || c > '9') {
            return -1;
        }
        n = n * 10 + (c - '0');
    }
    return n;
}

// Linear interpolation weights for each of the factor output pixels that fall in one input
// pixel: the left (or upper) of the two input pixels they mix, and their weights over
// 2 * factor.
struct Taps {
    int first;
    std::array<std::int64_t, 2> weight;
};

std::vector<Taps> linearTaps(int factor) {
    const std::int64_t d = 2 * factor;
    std::vector<Taps> taps;
    for (int i = 0; i < factor; ++i) {
        // Output pixel i sits at input position (2i + 1 - factor) / d, from this pixel's left.
        const std::int64_t num = 2 * i + 1 - factor;
        const std::int64_t whole = num >= 0 ? num / d : -((-num + d - 1) / d);
        const std::int64_t a = num - whole * d; // the fraction, over d
        taps.push_back({static_cast<int>(whole), {d - a, a}});
    }
    return taps;
}

} // namespace

const std::array<IconName, 3>& iconNames() {
    static const std::array<IconName, 3> names = {{
        {"app", IDI_KV_APP},
        {"waiting", IDI_KV_WAITING},
        {"running", IDI_KV_RUNNING},
    }};
    return names;
}

const std::array<PaletteEntry, 16>& palette() {
    static const std::array<PaletteEntry, 16> table = {{
        {'K', 0x00, 0x00, 0x00, "black"},
        {'M', 0x80, 0x00, 0x00, "maroon"},
        {'D', 0x00, 0x80, 0x00, "green"},
        {'O', 0x80, 0x80, 0x00, "olive"},
        {'N', 0x00, 0x00, 0x80, "navy"},
        {'P', 0x80, 0x00, 0x80, "purple"},
        {'T', 0x00, 0x80, 0x80, "teal"},
        {'S', 0xC0, 0xC0, 0xC0, "silver"},
        {'A', 0x80, 0x80, 0x80, "grey"},
        {'R', 0xFF, 0x00, 0x00, "red"},
        {'G', 0x00, 0xFF, 0x00, "lime"},
        {'Y', 0xFF, 0xFF, 0x00, "yellow"},
        {'B', 0x00, 0x00, 0xFF, "blue"},
        {'F', 0xFF, 0x00, 0xFF, "fuchsia"},
        {'C', 0x00, 0xFF, 0xFF, "aqua"},
        {'W', 0xFF, 0xFF, 0xFF, "white"},
    }};
    return table;
}

const Art& Picture::at(int size) const {
    return drawn.at(static_cast<std::size_t>(drawnSlot(size)));
}

ParseResult parsePicture(std::string_view text) {
    ParseResult result;
    std::vector<std::optional<Art>> found(kDrawnSizes.size());
    Art* art = nullptr; // the size being read
    int rows = 0;
    int startLine = 0;
    auto finishSize = [&]() -> bool {
        if (art && rows != art->size) {
            result.error = "size " + std::to_string(art->size) + " (line " +
                           std::to_string(startLine) + "): found " + std::to_string(rows) +
                           " rows of pixels, expected " + std::to_string(art->size);
            return false;
        }
        return true;
    };

    int lineNo = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        // Tolerate a checkout that turned the line endings into CRLF.
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const std::string where = "line " + std::to_string(lineNo) + ": ";
        if (line.substr(0, 4) == "size") {
            const int size = sizeLine(line);
            const int slot = drawnSlot(size);
            if (size < 0) {
                result.error = where + "expected \"size N\", found \"" + std::string(line) + "\"";
                return result;
            }
            if (slot < 0) {
                result.error = where + "size " + std::to_string(size) + " is not drawn";
                return result;
            }
            if (found[static_cast<std::size_t>(slot)]) {
                result.error = where + "size " + std::to_string(size) + " drawn twice";
                return result;
            }
            if (!finishSize()) {
                return result;
            }
            found[static_cast<std::size_t>(slot)].emplace(size);
            art = &*found[static_cast<std::size_t>(slot)];
            rows = 0;
            startLine = lineNo;
            continue;
        }
        if (!art) {
            result.error = where + "pixels before the first \"size N\" line";
            return result;
        }
        if (rows == art->size) {
            result.error = where + "more than " + std::to_string(art->size) + " rows for size " +
                           std::to_string(art->size);
            return result;
        }
        if (line.size() != static_cast<std::size_t>(art->size)) {
            result.error = where + "row has " + std::to_string(line.size()) +
                           " characters, expected " + std::to_string(art->size);
            return result;
        }
        for (int x = 0; x < art->size; ++x) {
            const char c = line[static_cast<std::size_t>(x)];
            const std::size_t cell = art->cell(x, rows);
            if (c == kTransparentSymbol) {
                continue; // a new Art is transparent throughout
            }
            const int index = paletteIndex(c);
            if (index < 0) {
                result.error =
                    where + "column " + std::to_string(x + 1) + ": unknown symbol " + describe(c);
                return result;
            }
            art->index[cell] = static_cast<std::uint8_t>(index);
            art->transparent[cell] = false;
        }
        ++rows;
    }
    if (!finishSize()) {
        return result;
    }
    Picture picture;
    for (std::size_t i = 0; i < kDrawnSizes.size(); ++i) {
        if (!found[i]) {
            result.error = "size " + std::to_string(kDrawnSizes[i]) + " is missing";
            return result;
        }
        picture.drawn.push_back(std::move(*found[i]));
    }
    result.picture = std::move(picture);
    return result;
}

Image toImage(const Art& art) {
    Image image;
    image.size = art.size;
    image.rgba.reserve(static_cast<std::size_t>(art.size * art.size * 4));
    for (int y = 0; y < art.size; ++y) {
        for (int x = 0; x < art.size; ++x) {
            if (art.isTransparent(x, y)) {
                image.rgba.insert(image.rgba.end(), {0, 0, 0, 0});
                continue;
            }
            const PaletteEntry& colour = palette()[art.at(x, y) & 0x0F];
            image.rgba.insert(image.rgba.end(), {colour.r, colour.g, colour.b, 0xFF});
        }
    }
    return image;
}

Image scaleSmooth(const Image& from, int factor) {
    const int n = from.size;
    const int m = n * factor;
    const std::vector<Taps> taps = linearTaps(factor);
    const std::int64_t unit = 2 * factor;
    auto clampIndex = [n](int i) { return static_cast<std::size_t>(std::clamp(i, 0, n - 1)); };
    auto at = [](std::size_t x, std::size_t y, std::size_t width, std::size_t c) {
        return (y * width + x) * 4 + c;
    };

    // Premultiplied, so that the colour of a transparent pixel weighs nothing; each channel
    // times 255 to keep the precision.
    std::vector<std::int64_t> premultiplied(from.rgba.size());
    for (std::size_t p = 0; p < from.rgba.size(); p += 4) {
        const std::int64_t alpha = from.rgba[p + 3];
        for (std::size_t c = 0; c < 3; ++c) {
            premultiplied[p + c] = from.rgba[p + c] * alpha;
        }
        premultiplied[p + 3] = alpha * 255;
    }
    const auto sn = static_cast<std::size_t>(n);
    const auto sm = static_cast<std::size_t>(m);
    // Across first: n rows of m pixels.
    std::vector<std::int64_t> across(sn * sm * 4);
    for (std::size_t y = 0; y < sn; ++y) {
        for (int x = 0; x < m; ++x) {
            const Taps& t = taps[static_cast<std::size_t>(x % factor)];
            const std::size_t left = clampIndex(x / factor + t.first);
            const std::size_t right = clampIndex(x / factor + t.first + 1);
            for (std::size_t c = 0; c < 4; ++c) {
                across[at(static_cast<std::size_t>(x), y, sm, c)] =
                    t.weight[0] * premultiplied[at(left, y, sn, c)] +
                    t.weight[1] * premultiplied[at(right, y, sn, c)];
            }
        }
    }
    // Then down, rounded, and back to straight alpha.
    Image image;
    image.size = m;
    image.rgba.resize(sm * sm * 4);
    const std::int64_t whole = unit * unit * 255;
    for (int y = 0; y < m; ++y) {
        const Taps& t = taps[static_cast<std::size_t>(y % factor)];
        const std::size_t upper = clampIndex(y / factor + t.first);
        const std::size_t lower = clampIndex(y / factor + t.first + 1);
        for (std::size_t x = 0; x < sm; ++x) {
            std::array<std::int64_t, 4> value{};
            for (std::size_t c = 0; c < 4; ++c) {
                const std::int64_t sum = t.weight[0] * across[at(x, upper, sm, c)] +
                                         t.weight[1] * across[at(x, lower, sm, c)];
                value[c] = (sum + whole / 2) / whole;
            }
            const std::int64_t alpha = value[3];
            std::uint8_t* out = &image.rgba[at(x, static_cast<std::size_t>(y), sm, 0)];
            out[3] = static_cast<std::uint8_t>(alpha);
            for (std::size_t c = 0; c < 3 && alpha > 0; ++c) {
                out[c] = static_cast<std::uint8_t>(
                    std::min<std::int64_t>((value[c] * 255 + alpha / 2) / alpha, 255));
            }
        }
    }
    return image;
}

std::vector<Image> iconImages(const Picture& picture) {
    std::vector<Image> images;
    for (int size : kIconSizes) {
        if (size == kScaledSize) {
            images.push_back(scaleSmooth(toImage(picture.at(kScaledFrom)), size / kScaledFrom));
        } else {
            images.push_back(toImage(picture.at(size)));
        }
    }
    return images;
}

} // namespace kvicons
