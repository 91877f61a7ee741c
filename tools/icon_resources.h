// The icons as the executable holds them: each distinct image once, as an RT_ICON resource
// (a PNG), and for each icon an RT_GROUP_ICON directory that lists its sizes by image id.
// The .rc file's ICON statement would store an image again for every icon that has it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/icon_art.h"

namespace kvicons {

// Where make_icons writes, under the source folder; the .rc fragment names the files from
// there, as the resource compiler finds them through the source folder on its include path.
constexpr const char* kGeneratedDir = "resources/icons/generated";
constexpr const char* kRcFragment = "icons.rc";

// One entry of a group directory (GRPICONDIRENTRY), 14 bytes.
struct GroupEntry {
    int size;               // 256 is stored as 0
    std::uint16_t bitCount; // 32
    std::uint32_t bytes;    // of the image resource
    std::uint16_t imageId;  // the RT_ICON id
};

std::vector<std::uint8_t> encodeGroupDirectory(const std::vector<GroupEntry>& entries);

struct IconImage {
    std::uint16_t id; // RT_ICON id, from 1
    std::string file; // under kGeneratedDir
    Image image;
};

struct IconGroup {
    int id; // the icon's resource id
    std::string name;
    std::string file;                    // its directory, under kGeneratedDir
    std::vector<std::uint16_t> imageIds; // in the order of kIconSizes
};

// Which images there are and which icon lists which: pixels only, so it is the same
// whatever zlib compresses them.
struct IconPlan {
    std::vector<IconImage> images;
    std::vector<IconGroup> groups;
};

struct NamedPicture {
    IconName icon;
    Picture picture;
};

// The pictures of every icon the program ships, from resources/icons under the source
// folder; empty, with the reason in error, when one cannot be read or is malformed.
std::optional<std::vector<NamedPicture>> loadPictures(const std::string& sourceDir,
                                                      std::string& error);

// Images are numbered in order of first use; a picture identical to one already seen at a
// size (any size) reuses it.
IconPlan planIcons(const std::vector<NamedPicture>& pictures);

// The .rc fragment that embeds the plan's files.
std::string rcFragment(const IconPlan& plan);

} // namespace kvicons
