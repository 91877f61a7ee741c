#include "tools/png_encoder.h"

#include <zlib.h>

#include <utility>
#include <array>
#include <cstdlib>

namespace kvicons {

namespace {

constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::size_t kBytesPerPixel = 4;

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(v >> shift));
    }
}

void putChunk(std::vector<std::uint8_t>& out, const char* type,
              const std::vector<std::uint8_t>& data) {
    put32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), &out[typeAt], static_cast<uInt>(4 + data.size()));
    put32(out, static_cast<std::uint32_t>(crc));
}

int paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a);
    const int pb = std::abs(p - b);
    const int pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) {
        return a;
    }
    return pb <= pc ? b : c;
}

// The predictor of one byte from its left, upper and upper-left neighbours.
int predict(int filter, int left, int up, int upLeft) {
    switch (filter) {
    case 1:
        return left;
    case 2:
        return up;
    case 3:
        return (left + up) / 2;
    case 4:
        return paeth(left, up, upLeft);
    default:
        return 0;
    }
}

void filterRow(int filter, const std::uint8_t* row, const std::uint8_t* above, std::size_t length,
               std::vector<std::uint8_t>& out) {
    out.push_back(static_cast<std::uint8_t>(filter));
    for (std::size_t i = 0; i < length; ++i) {
        const int left = i >= kBytesPerPixel ? row[i - kBytesPerPixel] : 0;
        const int up = above ? above[i] : 0;
        const int upLeft = above && i >= kBytesPerPixel ? above[i - kBytesPerPixel] : 0;
        out.push_back(static_cast<std::uint8_t>(row[i] - predict(filter, left, up, upLeft)));
    }
}

std::vector<std::uint8_t> filtered(const Image& image, PngFilter choice) {
    const std::size_t rowBytes = static_cast<std::size_t>(image.size) * kBytesPerPixel;
    std::vector<std::uint8_t> out;
    out.reserve((rowBytes + 1) * static_cast<std::size_t>(image.size));
    for (int y = 0; y < image.size; ++y) {
        const std::uint8_t* row = &image.rgba[static_cast<std::size_t>(y) * rowBytes];
        const std::uint8_t* above = y > 0 ? row - rowBytes : nullptr;
        if (choice != PngFilter::PerRow) {
            filterRow(static_cast<int>(choice), row, above, rowBytes, out);
            continue;
        }
        std::vector<std::uint8_t> best;
        long bestCost = -1;
        for (int filter = 0; filter <= 4; ++filter) {
            std::vector<std::uint8_t> candidate;
            filterRow(filter, row, above, rowBytes, candidate);
            long cost = 0;
            for (std::size_t i = 1; i < candidate.size(); ++i) {
                cost += std::abs(static_cast<std::int8_t>(candidate[i]));
            }
            if (bestCost < 0 || cost < bestCost) {
                bestCost = cost;
                best = std::move(candidate);
            }
        }
        out.insert(out.end(), best.begin(), best.end());
    }
    return out;
}

std::vector<std::uint8_t> deflateAt9(const std::vector<std::uint8_t>& data, int strategy) {
    z_stream stream{};
    if (deflateInit2(&stream, 9, Z_DEFLATED, 15, 9, strategy) != Z_OK) {
        std::abort();
    }
    std::vector<std::uint8_t> out(deflateBound(&stream, static_cast<uLong>(data.size())));
    stream.next_in = const_cast<Bytef*>(data.data());
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    if (deflate(&stream, Z_FINISH) != Z_STREAM_END) {
        std::abort();
    }
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

std::vector<std::uint8_t> assemble(const Image& image, const std::vector<std::uint8_t>& idat) {
    std::vector<std::uint8_t> png(kSignature.begin(), kSignature.end());
    std::vector<std::uint8_t> header;
    put32(header, static_cast<std::uint32_t>(image.size));
    put32(header, static_cast<std::uint32_t>(image.size));
    header.insert(header.end(), {8, 6, 0, 0, 0}); // 8 bits, RGBA, deflate, filters, no interlace
    putChunk(png, "IHDR", header);
    putChunk(png, "IDAT", idat);
    putChunk(png, "IEND", {});
    return png;
}

std::vector<std::uint8_t> smallestDeflate(const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> best;
    for (int strategy : {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_RLE}) {
        std::vector<std::uint8_t> candidate = deflateAt9(data, strategy);
        if (best.empty() || candidate.size() < best.size()) {
            best = std::move(candidate);
        }
    }
    return best;
}

} // namespace

std::vector<std::uint8_t> encodePng(const Image& image, PngFilter filter) {
    return assemble(image, smallestDeflate(filtered(image, filter)));
}

std::vector<std::uint8_t> encodePng(const Image& image) {
    std::vector<std::uint8_t> best;
    for (PngFilter filter : {PngFilter::None, PngFilter::Sub, PngFilter::Up, PngFilter::Average,
                             PngFilter::Paeth, PngFilter::PerRow}) {
        std::vector<std::uint8_t> candidate = encodePng(image, filter);
        if (best.empty() || candidate.size() < best.size()) {
            best = std::move(candidate);
        }
    }
    return best;
}

} // namespace kvicons
