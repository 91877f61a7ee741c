// What every build of kelvarion.exe must embed and declare, checked from its
// bytes alone: each function returns the problems it found, none when all is well.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/icon_art.h"
#include "tools/icon_resources.h"
#include "tools/pe_image.h"

namespace kvcheck {

using Problems = std::vector<std::string>;

// The architecture name a manifest uses for a PE machine type ("x86",
// "amd64"), or empty for one we do not build.
std::string ManifestArchitecture(std::uint16_t machine);

// The manifest must be well-formed, and both Kelvarion's own identity and its
// Common Controls dependency must name the image's architecture (or "*"):
// Windows refuses to start a process whose manifest binds an assembly of
// another architecture.
Problems CheckManifest(const std::string& xml, std::uint16_t machine);

// The version block carries the version and names of resources/version.h.
Problems CheckVersion(const std::vector<std::uint8_t>& block);

// What an icon must hold: its resource id, and its pixels at each of kvicons::kIconSizes.
struct ExpectedIcon {
    std::uint32_t id;
    std::vector<kvicons::Image> images;
};

// The icons as their pixel art draws them.
std::vector<ExpectedIcon> ExpectedIcons(const std::vector<kvicons::NamedPicture>& pictures);

// Each icon's group exists and lists every size an icon holds, each a 32-bit PNG image that
// is there, of the size the group says, with the pixels of its art; no two icon images
// are alike and none is left that no group lists.
Problems CheckIconGroups(const kvpe::Image& image, const std::vector<ExpectedIcon>& icons);

// A Windows GUI program for Windows 6.0 and later, aware of Terminal
// Services, with ASLR and NX, and high-entropy ASLR when 64-bit: what the
// MSVC linker gives by default, so both toolchains make the same program.
Problems CheckHeaders(const kvpe::Image& image);

// All of the above, for an image that must be of the given machine type.
Problems CheckExe(const kvpe::Image& image, std::uint16_t expectedMachine,
                  const std::vector<ExpectedIcon>& icons);

} // namespace kvcheck
