#include "tools/icon_art.h"

namespace kvicons {

namespace {

constexpr std::uint32_t kSide = kSize;
constexpr std::uint32_t kHeaderSize = 40;
constexpr std::uint32_t kXorRowBytes = kSide / 2; // two pixels per byte
constexpr std::uint32_t kAndRowBytes = 4;         // 32 bits, already a multiple of 4
constexpr std::uint32_t kImageBytes = (kXorRowBytes + kAndRowBytes) * kSide;
constexpr std::uint32_t kImageOffset = 6 + 16;
constexpr std::uint32_t kResourceBytes = kHeaderSize + 16 * 4 + kImageBytes;

static_assert(kImageOffset + kResourceBytes == kIcoFileSize);

void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

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

// A transparent pixel's colour is black whatever the art says, so the screen shows through.
std::uint8_t colourAt(const Art& art, int x, int y) {
    return art.isTransparent(x, y) ? std::uint8_t{0}
                                   : static_cast<std::uint8_t>(art.at(x, y) & 0x0F);
}

} // namespace

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

ParseResult parseArt(std::string_view text) {
    ParseResult result;
    Art art;
    int rows = 0;
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
        if (rows == kSize) {
            result.error = where + "more than " + std::to_string(kSize) + " rows of pixels";
            return result;
        }
        if (line.size() != static_cast<std::size_t>(kSize)) {
            result.error = where + "row has " + std::to_string(line.size()) +
                           " characters, expected " + std::to_string(kSize);
            return result;
        }
        for (int x = 0; x < kSize; ++x) {
            const char c = line[static_cast<std::size_t>(x)];
            const auto cell = static_cast<std::size_t>(rows * kSize + x);
            if (c == kTransparentSymbol) {
                art.index[cell] = 0;
                art.transparent[cell] = true;
                continue;
            }
            bool known = false;
            for (std::size_t i = 0; i < palette().size(); ++i) {
                if (palette()[i].symbol == c) {
                    art.index[cell] = static_cast<std::uint8_t>(i);
                    art.transparent[cell] = false;
                    known = true;
                    break;
                }
            }
            if (!known) {
                result.error =
                    where + "column " + std::to_string(x + 1) + ": unknown symbol " + describe(c);
                return result;
            }
        }
        ++rows;
    }
    if (rows != kSize) {
        result.error =
            "found " + std::to_string(rows) + " rows of pixels, expected " + std::to_string(kSize);
        return result;
    }
    result.art = art;
    return result;
}

std::vector<std::uint8_t> encodeIco(const Art& art) {
    std::vector<std::uint8_t> out;
    out.reserve(kIcoFileSize);

    // ICONDIR
    put16(out, 0);
    put16(out, 1); // type: icon
    put16(out, 1); // one image

    // ICONDIRENTRY
    out.push_back(static_cast<std::uint8_t>(kSide));
    out.push_back(static_cast<std::uint8_t>(kSide));
    out.push_back(16); // colours in the palette
    out.push_back(0);
    put16(out, 1); // planes
    put16(out, 4); // bits per pixel
    put32(out, kResourceBytes);
    put32(out, kImageOffset);

    // BITMAPINFOHEADER; the height counts the XOR and AND bitmaps together.
    put32(out, kHeaderSize);
    put32(out, kSide);
    put32(out, kSide * 2);
    put16(out, 1);
    put16(out, 4);
    put32(out, 0); // BI_RGB
    put32(out, kImageBytes);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);

    for (const PaletteEntry& e : palette()) {
        out.push_back(e.b);
        out.push_back(e.g);
        out.push_back(e.r);
        out.push_back(0);
    }

    // Both bitmaps are stored bottom row first; the left pixel is the high nibble.
    for (int y = kSize - 1; y >= 0; --y) {
        for (int x = 0; x < kSize; x += 2) {
            out.push_back(
                static_cast<std::uint8_t>((colourAt(art, x, y) << 4) | colourAt(art, x + 1, y)));
        }
    }
    for (int y = kSize - 1; y >= 0; --y) {
        for (int x = 0; x < kSize; x += 8) {
            std::uint8_t bits = 0;
            for (int b = 0; b < 8; ++b) {
                if (art.isTransparent(x + b, y)) {
                    bits = static_cast<std::uint8_t>(bits | (0x80 >> b));
                }
            }
            out.push_back(bits);
        }
    }
    return out;
}

} // namespace kvicons
