// check_exe EXE x86|x64 SOURCE_DIR: fails, naming each problem, when a built kelvarion.exe
// does not embed and declare what every build must, its icons as the pixel art under
// SOURCE_DIR draws them. Needs no Windows and no Wine.
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "tools/exe_check.h"

int main(int argc, char** argv) {
    std::string arch = argc == 4 ? argv[2] : "";
    if (arch != "x86" && arch != "x64") {
        std::cerr << "usage: check_exe EXE x86|x64 SOURCE_DIR\n";
        return 2;
    }
    std::string error;
    const auto pictures = kvicons::loadPictures(argv[3], error);
    if (!pictures) {
        std::cerr << error << "\n";
        return 1;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << argv[1] << ": cannot be read (build the mingw presets first)\n";
        return 1;
    }
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    kvpe::ReadResult read = kvpe::ReadImage(bytes);
    if (!read.image) {
        std::cerr << argv[1] << ": " << read.error << "\n";
        return 1;
    }
    std::uint16_t machine = arch == "x86" ? kvpe::kMachineI386 : kvpe::kMachineAmd64;
    kvcheck::Problems problems =
        kvcheck::CheckExe(*read.image, machine, kvcheck::ExpectedIcons(*pictures));
    for (const std::string& problem : problems)
        std::cerr << argv[1] << " (" << arch << "): " << problem << "\n";
    if (!problems.empty())
        return 1;
    std::cout << argv[1] << " (" << arch << "): manifest, version block, icon groups and headers"
              << " as every build must have them (" << read.image->resources.size()
              << " resources)\n";
    return 0;
}
