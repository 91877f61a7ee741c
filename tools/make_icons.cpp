// Regenerates resources/icons/generated from the pixel art in resources/icons/*.txt: each
// distinct image as a PNG, each icon's directory of sizes, and the .rc fragment that embeds
// them. Run it after editing a .txt and commit the results; the unit tests check they agree.
#include "tools/icon_art.h"
#include "tools/icon_resources.h"
#include "tools/png_encoder.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <string>

namespace {

bool writeBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        return false;
    }
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

std::string asText(const std::vector<std::uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_icons <source-dir>\n";
        return 2;
    }
    const std::string source = argv[1];

    // Every picture is read and checked before anything is written, so a typo leaves the
    // set as it was.
    std::string error;
    const auto pictures = kvicons::loadPictures(source, error);
    if (!pictures) {
        std::cerr << "make_icons: " << error << "\n";
        return 1;
    }
    const kvicons::IconPlan plan = kvicons::planIcons(*pictures);

    std::map<std::string, std::string> files; // name under the folder -> bytes
    std::map<std::uint16_t, std::uint32_t> pngBytes;
    for (const kvicons::IconImage& image : plan.images) {
        const std::vector<std::uint8_t> png = kvicons::encodePng(image.image);
        pngBytes[image.id] = static_cast<std::uint32_t>(png.size());
        files[image.file] = asText(png);
    }
    for (const kvicons::IconGroup& group : plan.groups) {
        std::vector<kvicons::GroupEntry> entries;
        for (std::size_t i = 0; i < group.imageIds.size(); ++i) {
            const std::uint16_t id = group.imageIds[i];
            entries.push_back({kvicons::kIconSizes[i], 32, pngBytes[id], id});
        }
        files[group.file] = asText(kvicons::encodeGroupDirectory(entries));
    }
    files[kvicons::kRcFragment] = kvicons::rcFragment(plan);

    const std::filesystem::path dir = std::filesystem::path(source) / kvicons::kGeneratedDir;
    std::error_code fsError;
    std::filesystem::create_directories(dir, fsError);
    // Images no picture uses any more would linger in the folder and in reviews.
    for (const auto& entry : std::filesystem::directory_iterator(dir, fsError)) {
        const std::string name = entry.path().filename().string();
        if (!files.contains(name)) {
            std::filesystem::remove(entry.path(), fsError);
            std::cout << "removed " << entry.path().string() << "\n";
        }
    }
    std::size_t total = 0;
    for (const auto& [name, bytes] : files) {
        if (!writeBytes(dir / name, bytes)) {
            std::cerr << "make_icons: cannot write " << (dir / name).string() << "\n";
            return 1;
        }
        total += bytes.size();
    }
    std::cout << "wrote " << files.size() << " files to " << dir.string() << ": "
              << plan.images.size() << " distinct images, " << total << " bytes\n";
    return 0;
}
