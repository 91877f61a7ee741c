// Regenerates resources/icons/*.ico from their pixel-art text. Run it after
// editing a .txt and commit both; the unit tests check they agree.
#include "tools/icon_art.h"

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

bool readText(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream buf;
    buf << in.rdbuf();
    text = buf.str();
    return static_cast<bool>(in);
}

bool writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        return false;
    }
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_icons <source-dir>\n";
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/resources/icons/";

    // Check every picture before writing any, so a typo leaves the set consistent.
    std::vector<std::vector<std::uint8_t>> encoded;
    for (const char* name : kvicons::kIconNames) {
        const std::string path = dir + name + ".txt";
        std::string text;
        if (!readText(path, text)) {
            std::cerr << "make_icons: cannot read " << path << "\n";
            return 1;
        }
        const kvicons::ParseResult parsed = kvicons::parseArt(text);
        if (!parsed.art) {
            std::cerr << "make_icons: " << path << ": " << parsed.error << "\n";
            return 1;
        }
        encoded.push_back(kvicons::encodeIco(*parsed.art));
    }
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        const std::string path = dir + kvicons::kIconNames[i] + ".ico";
        if (!writeBytes(path, encoded[i])) {
            std::cerr << "make_icons: cannot write " << path << "\n";
            return 1;
        }
        std::cout << "wrote " << path << "\n";
    }
    return 0;
}
