// The check of what each build embeds runs on the real .exe files (exe_resources_*);
// here, the manifest rule it enforces and the reader's handling of broken files.
#include "tools/exe_check.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Manifest(const std::string& own, const std::string& controls) {
    return "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\n"
           "  <assemblyIdentity type=\"win32\" name=\"Kelvarion\" version=\"1.0.0.0\" " +
           own +
           "/>\n"
           "  <!-- a comment <with> tags -->\n"
           "  <dependency><dependentAssembly>\n"
           "    <assemblyIdentity type=\"win32\" name=\"Microsoft.Windows.Common-Controls\" "
           "version=\"6.0.0.0\" " +
           controls +
           " publicKeyToken=\"6595b64144ccf1df\"/>\n"
           "  </dependentAssembly></dependency>\n"
           "  <application xmlns=\"urn:schemas-microsoft-com:asm.v3\"><windowsSettings>"
           "<dpiAware>true/pm</dpiAware></windowsSettings></application>\n"
           "</assembly>\n";
}

} // namespace

TEST(CheckManifest, BothIdentitiesMustNameTheImagesArchitecture) {
    const std::string x86 = "processorArchitecture=\"x86\"";
    const std::string amd64 = "processorArchitecture='amd64'";
    const std::string any = "processorArchitecture=\"*\"";
    struct Case {
        std::string own, controls;
        std::uint16_t machine;
        size_t problems;
    };
    const Case cases[] = {
        {x86, x86, kvpe::kMachineI386, 0},
        {amd64, amd64, kvpe::kMachineAmd64, 0},
        {any, any, kvpe::kMachineAmd64, 0},
        {any, x86, kvpe::kMachineI386, 0},
        // The fault that kept a 64-bit build from starting: an x86 manifest.
        {x86, x86, kvpe::kMachineAmd64, 2},
        {amd64, x86, kvpe::kMachineAmd64, 1},
        {x86, amd64, kvpe::kMachineAmd64, 1},
        {amd64, amd64, kvpe::kMachineI386, 2},
        // Windows takes a missing architecture as x86.
        {"", amd64, kvpe::kMachineAmd64, 1},
    };
    for (const Case& c : cases) {
        kvcheck::Problems problems = kvcheck::CheckManifest(Manifest(c.own, c.controls), c.machine);
        EXPECT_EQ(problems.size(), c.problems)
            << c.own << " / " << c.controls << " on " << c.machine
            << (problems.empty() ? "" : ": " + problems.front());
    }
}

TEST(CheckManifest, AMalformedOrIncompleteManifestIsOneProblem) {
    const std::string good =
        Manifest("processorArchitecture=\"x86\"", "processorArchitecture=\"x86\"");
    const std::string broken[] = {
        "",
        "not xml at all",
        good.substr(0, good.size() - 12),             // </assembly> missing
        good + "<assembly manifestVersion=\"1.0\"/>", // two roots
        "<assembly manifestVersion=\"1.0\"><dependency></assembly>",
        "<assembly manifestVersion=\"1.0\"><a b=unquoted/></assembly>",
        "<assembly manifestVersion=\"1.0\"><!-- open </assembly>",
        "<assembly manifestVersion=\"2.0\"/>",
    };
    for (const std::string& text : broken) {
        kvcheck::Problems problems = kvcheck::CheckManifest(text, kvpe::kMachineI386);
        EXPECT_EQ(problems.size(), 1u) << text;
    }
    // Well-formed, but without the dependency the program's controls need.
    kvcheck::Problems problems = kvcheck::CheckManifest(
        "<assembly manifestVersion=\"1.0\"><assemblyIdentity processorArchitecture=\"x86\"/>"
        "</assembly>",
        kvpe::kMachineI386);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems.front().find("Common-Controls"), std::string::npos);
}

TEST(ReadImage, ABrokenFileIsAnErrorNotACrash) {
    std::vector<std::uint8_t> file(0x200, 0);
    file[0] = 'M';
    file[1] = 'Z';
    EXPECT_FALSE(kvpe::ReadImage({}).image);
    EXPECT_FALSE(kvpe::ReadImage(file).image); // e_lfanew 0: no PE signature there
    file[0x3c] = 0xf0;                         // points past the end
    EXPECT_FALSE(kvpe::ReadImage(file).image);
    file[0x3c] = 0x40;
    file[0x40] = 'P';
    file[0x41] = 'E';
    EXPECT_FALSE(kvpe::ReadImage(file).image); // no optional header
}
