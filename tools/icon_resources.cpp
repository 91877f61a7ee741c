#include "tools/icon_resources.h"

#include <fstream>
#include <sstream>

namespace kvicons {

namespace {

void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

} // namespace

std::vector<std::uint8_t> encodeGroupDirectory(const std::vector<GroupEntry>& entries) {
    std::vector<std::uint8_t> out;
    put16(out, 0);
    put16(out, 1); // icons, not cursors
    put16(out, static_cast<std::uint32_t>(entries.size()));
    for (const GroupEntry& e : entries) {
        const auto side = static_cast<std::uint8_t>(e.size >= 256 ? 0 : e.size);
        out.insert(out.end(), {side, side, 0, 0}); // no palette, reserved
        put16(out, 1);                             // planes
        put16(out, e.bitCount);
        put16(out, e.bytes & 0xFFFF);
        put16(out, e.bytes >> 16);
        put16(out, e.imageId);
    }
    return out;
}

std::optional<std::vector<NamedPicture>> loadPictures(const std::string& sourceDir,
                                                      std::string& error) {
    std::vector<NamedPicture> pictures;
    for (const IconName& icon : iconNames()) {
        const std::string path = sourceDir + "/resources/icons/" + icon.name + ".txt";
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        if (!in) {
            error = "cannot read " + path;
            return std::nullopt;
        }
        ParseResult parsed = parsePicture(text.str());
        if (!parsed.picture) {
            error = path + ": " + parsed.error;
            return std::nullopt;
        }
        pictures.push_back({icon, std::move(*parsed.picture)});
    }
    return pictures;
}

IconPlan planIcons(const std::vector<NamedPicture>& pictures) {
    IconPlan plan;
    for (const NamedPicture& p : pictures) {
        IconGroup group{p.icon.resourceId, p.icon.name, std::string(p.icon.name) + ".group", {}};
        const std::vector<Image> images = iconImages(p.picture);
        for (std::size_t i = 0; i < images.size(); ++i) {
            std::uint16_t id = 0;
            for (const IconImage& seen : plan.images) {
                if (seen.image == images[i]) {
                    id = seen.id;
                    break;
                }
            }
            if (id == 0) {
                id = static_cast<std::uint16_t>(plan.images.size() + 1);
                plan.images.push_back(
                    {id, std::string(p.icon.name) + "-" + std::to_string(kIconSizes[i]) + ".png",
                     images[i]});
            }
            group.imageIds.push_back(id);
        }
        plan.groups.push_back(std::move(group));
    }
    return plan;
}

std::string rcFragment(const IconPlan& plan) {
    const std::string dir = std::string(kGeneratedDir) + "/";
    std::string rc =
        "// Made by make_icons from the pixel art in resources/icons: do not edit.\n"
        "// Each distinct image once, as type 3 (RT_ICON), a PNG; then each icon's directory\n"
        "// of its sizes, type 14 (RT_GROUP_ICON), which names its images by these ids. The\n"
        "// ICON statement would store an image again for every icon that shows it.\n";
    for (const IconImage& image : plan.images) {
        rc += std::to_string(image.id) + " 3 \"" + dir + image.file + "\"\n";
    }
    for (const IconGroup& group : plan.groups) {
        rc += std::to_string(group.id) + " 14 \"" + dir + group.file + "\"\n";
    }
    return rc;
}

} // namespace kvicons
