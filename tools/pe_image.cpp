#include "tools/pe_image.h"

#include <cstddef>

namespace kvpe {

namespace {

using Bytes = std::vector<std::uint8_t>;

// Little-endian reads that fail instead of reading past the end.
bool Read16(const Bytes& b, std::size_t at, std::uint16_t& value) {
    if (at > b.size() || b.size() - at < 2)
        return false;
    value = static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
    return true;
}

bool Read32(const Bytes& b, std::size_t at, std::uint32_t& value) {
    if (at > b.size() || b.size() - at < 4)
        return false;
    value = static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
            static_cast<std::uint32_t>(b[at + 2]) << 16 |
            static_cast<std::uint32_t>(b[at + 3]) << 24;
    return true;
}

struct Section {
    std::uint32_t virtualAddress, virtualSize, rawOffset, rawSize;
};

class Reader {
  public:
    explicit Reader(const Bytes& bytes) : b_(bytes) {}

    ReadResult Read();

  private:
    bool Fail(const std::string& why) {
        error_ = why;
        return false;
    }
    // The file offset of rva, with at least length bytes from there in the file.
    bool Offset(std::uint32_t rva, std::uint32_t length, std::size_t& offset) const;
    bool ReadResources(std::uint32_t rva, std::uint32_t size);
    bool ReadDirectory(std::uint32_t at, int level, Resource& path);

    const Bytes& b_;
    Image image_;
    std::vector<Section> sections_;
    std::uint32_t rsrcRva_ = 0;
    std::uint32_t rsrcSize_ = 0;
    int entries_ = 0;
    std::string error_;
};

bool Reader::Offset(std::uint32_t rva, std::uint32_t length, std::size_t& offset) const {
    for (const Section& s : sections_) {
        std::uint32_t span = s.virtualSize > s.rawSize ? s.virtualSize : s.rawSize;
        if (rva < s.virtualAddress || rva - s.virtualAddress >= span)
            continue;
        std::uint32_t into = rva - s.virtualAddress;
        if (into > s.rawSize || s.rawSize - into < length)
            return false;
        offset = static_cast<std::size_t>(s.rawOffset) + into;
        return offset <= b_.size() && b_.size() - offset >= length;
    }
    return false;
}

// Three levels: type, then id or name, then language, then the data entry.
bool Reader::ReadDirectory(std::uint32_t at, int level, Resource& path) {
    std::size_t dir = 0;
    std::uint16_t named = 0, numbered = 0;
    if (at > rsrcSize_ || !Offset(rsrcRva_ + at, 16, dir) || !Read16(b_, dir + 12, named) ||
        !Read16(b_, dir + 14, numbered))
        return Fail("a resource directory lies outside the file");
    for (int i = 0; i < named + numbered; ++i) {
        // A loop in the directory would never end: no real file has this many.
        if (++entries_ > 100000)
            return Fail("too many resource entries");
        std::size_t entry = dir + 16 + static_cast<std::size_t>(i) * 8;
        std::uint32_t nameOrId = 0, target = 0;
        if (!Read32(b_, entry, nameOrId) || !Read32(b_, entry + 4, target))
            return Fail("a resource entry lies outside the file");
        std::uint32_t id = 0;
        std::string name;
        if (nameOrId & 0x80000000u) {
            std::size_t text = 0;
            std::uint16_t length = 0;
            std::uint32_t nameAt = nameOrId & 0x7fffffffu;
            if (!Offset(rsrcRva_ + nameAt, 2, text) || !Read16(b_, text, length) ||
                !Offset(rsrcRva_ + nameAt, 2u + 2u * length, text))
                return Fail("a resource name lies outside the file");
            for (std::uint16_t c = 0; c < length; ++c) {
                std::uint16_t unit = 0;
                Read16(b_, text + 2 + 2u * c, unit);
                name += unit < 0x80 ? static_cast<char>(unit) : '?';
            }
        } else {
            id = nameOrId;
        }
        if (level == 0) {
            path.type = id;
        } else if (level == 1) {
            path.id = id;
            path.name = name;
        } else {
            path.language = id;
        }

        if (target & 0x80000000u) {
            if (level >= 2)
                return Fail("the resource tree is deeper than three levels");
            if (!ReadDirectory(target & 0x7fffffffu, level + 1, path))
                return false;
            continue;
        }
        if (level != 2)
            return Fail("resource data where a directory should be");
        std::size_t dataEntry = 0;
        std::uint32_t dataRva = 0, dataSize = 0;
        std::size_t data = 0;
        if (target > rsrcSize_ || !Offset(rsrcRva_ + target, 16, dataEntry) ||
            !Read32(b_, dataEntry, dataRva) || !Read32(b_, dataEntry + 4, dataSize) ||
            !Offset(dataRva, dataSize, data))
            return Fail("resource data lies outside the file");
        Resource resource = path;
        resource.data.assign(b_.begin() + static_cast<std::ptrdiff_t>(data),
                             b_.begin() + static_cast<std::ptrdiff_t>(data + dataSize));
        image_.resources.push_back(std::move(resource));
    }
    return true;
}

bool Reader::ReadResources(std::uint32_t rva, std::uint32_t size) {
    rsrcRva_ = rva;
    rsrcSize_ = size;
    if (rva == 0 || size == 0)
        return true; // no resources at all
    Resource path;
    return ReadDirectory(0, 0, path);
}

ReadResult Reader::Read() {
    std::uint16_t mz = 0;
    std::uint32_t peAt = 0, signature = 0;
    if (!Read16(b_, 0, mz) || mz != 0x5a4d || !Read32(b_, 0x3c, peAt))
        return {std::nullopt, "not an executable: no MZ header"};
    if (!Read32(b_, peAt, signature) || signature != 0x00004550)
        return {std::nullopt, "not a PE image: no PE signature"};
    std::size_t coff = static_cast<std::size_t>(peAt) + 4;
    std::uint16_t sectionCount = 0, optionalSize = 0, magic = 0;
    if (!Read16(b_, coff, image_.machine) || !Read16(b_, coff + 2, sectionCount) ||
        !Read32(b_, coff + 4, image_.timeDateStamp) || !Read16(b_, coff + 16, optionalSize))
        return {std::nullopt, "the file header is cut short"};
    std::size_t optional = coff + 20;
    if (!Read16(b_, optional, magic) || (magic != 0x10b && magic != 0x20b))
        return {std::nullopt, "unknown optional header"};
    image_.pe32Plus = magic == 0x20b;
    // These offsets are the same in both header forms.
    std::size_t directories = optional + (image_.pe32Plus ? 112 : 96);
    std::uint32_t directoryCount = 0, rsrcRva = 0, rsrcSize = 0;
    if (!Read16(b_, optional + 40, image_.majorOsVersion) ||
        !Read16(b_, optional + 42, image_.minorOsVersion) ||
        !Read16(b_, optional + 48, image_.majorSubsystemVersion) ||
        !Read16(b_, optional + 50, image_.minorSubsystemVersion) ||
        !Read32(b_, optional + 64, image_.checksum) ||
        !Read16(b_, optional + 68, image_.subsystem) ||
        !Read16(b_, optional + 70, image_.dllCharacteristics) ||
        !Read32(b_, directories - 4, directoryCount))
        return {std::nullopt, "the optional header is cut short"};
    if (directoryCount > 2 &&
        (!Read32(b_, directories + 16, rsrcRva) || !Read32(b_, directories + 20, rsrcSize)))
        return {std::nullopt, "the data directories are cut short"};

    std::size_t table = optional + optionalSize;
    for (std::uint16_t i = 0; i < sectionCount; ++i) {
        std::size_t at = table + static_cast<std::size_t>(i) * 40;
        Section s{};
        if (!Read32(b_, at + 8, s.virtualSize) || !Read32(b_, at + 12, s.virtualAddress) ||
            !Read32(b_, at + 16, s.rawSize) || !Read32(b_, at + 20, s.rawOffset))
            return {std::nullopt, "the section table is cut short"};
        sections_.push_back(s);
    }
    if (!ReadResources(rsrcRva, rsrcSize))
        return {std::nullopt, error_};
    return {std::move(image_), ""};
}

} // namespace

ReadResult ReadImage(const std::vector<std::uint8_t>& bytes) {
    return Reader(bytes).Read();
}

const Resource* FindResource(const Image& image, std::uint32_t type, std::uint32_t id) {
    for (const Resource& r : image.resources) {
        if (r.type == type && r.id == id && r.name.empty())
            return &r;
    }
    return nullptr;
}

} // namespace kvpe
