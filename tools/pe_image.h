// Reads what a Windows executable says of itself (headers and resources) on
// any platform, so what each build embeds can be checked without Windows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kvpe {

constexpr std::uint16_t kMachineI386 = 0x014c;
constexpr std::uint16_t kMachineAmd64 = 0x8664;

constexpr std::uint16_t kSubsystemWindowsGui = 2;

// IMAGE_DLLCHARACTERISTICS_*
constexpr std::uint16_t kHighEntropyVa = 0x0020;
constexpr std::uint16_t kDynamicBase = 0x0040;
constexpr std::uint16_t kNxCompat = 0x0100;
constexpr std::uint16_t kTerminalServerAware = 0x8000;

// Resource types
constexpr std::uint32_t kRtIcon = 3;
constexpr std::uint32_t kRtGroupIcon = 14;
constexpr std::uint32_t kRtVersion = 16;
constexpr std::uint32_t kRtManifest = 24;

struct Resource {
    std::uint32_t type = 0;
    std::uint32_t id = 0; // 0 when the resource has a name instead
    std::string name;     // the name, when it has one (ASCII only)
    std::uint32_t language = 0;
    std::vector<std::uint8_t> data;
};

struct Image {
    std::uint16_t machine = 0;
    std::uint32_t timeDateStamp = 0;
    bool pe32Plus = false; // the 64-bit optional header
    std::uint16_t majorOsVersion = 0, minorOsVersion = 0;
    std::uint16_t majorSubsystemVersion = 0, minorSubsystemVersion = 0;
    std::uint32_t checksum = 0;
    std::uint16_t subsystem = 0;
    std::uint16_t dllCharacteristics = 0;
    std::vector<Resource> resources;
};

struct ReadResult {
    std::optional<Image> image; // empty when the bytes are not a PE image we can read
    std::string error;
};

ReadResult ReadImage(const std::vector<std::uint8_t>& bytes);

// The first resource of that type and numeric id, whatever its language.
const Resource* FindResource(const Image& image, std::uint32_t type, std::uint32_t id);

} // namespace kvpe
