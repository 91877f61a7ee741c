// The check of what each build embeds runs on the real .exe files (exe_resources_*);
// here, the manifest and icon rules it enforces and the reader's handling of broken files.
#include "tools/exe_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "tools/png_codec.h"

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

namespace {

// Icons as make_icons and the resource compiler embed them, from small pictures: the
// application and waiting icons alike, the running one with a mark of its own.
struct BuiltIcons {
    kvpe::Image image;
    std::vector<kvcheck::ExpectedIcon> icons;
};

kvicons::Picture Dotted(char mark) {
    kvicons::Picture picture;
    for (int size : kvicons::kDrawnSizes) {
        kvicons::Art art(size);
        art.transparent[art.cell(1, 1)] = false;
        art.index[art.cell(1, 1)] = mark == 'R' ? 9 : 11;
        picture.drawn.push_back(art);
    }
    return picture;
}

kvpe::Resource IconResource(std::uint16_t id, const kvicons::Image& pixels,
                            kvicons::PngFilter filter = kvicons::PngFilter::None) {
    return {kvpe::kRtIcon, id, "", 1033, kvicons::encodePng(pixels, filter)};
}

// A group of these images; sizes are kIconSizes unless given.
std::vector<std::uint8_t> Directory(const kvpe::Image& image, std::vector<std::uint16_t> ids,
                                    std::vector<int> sizes = {}) {
    if (sizes.empty())
        sizes.assign(kvicons::kIconSizes.begin(), kvicons::kIconSizes.end());
    std::vector<kvicons::GroupEntry> entries;
    for (std::size_t i = 0; i < ids.size(); ++i) {
        const kvpe::Resource* icon = kvpe::FindResource(image, kvpe::kRtIcon, ids[i]);
        entries.push_back(
            {sizes[i], 32, static_cast<std::uint32_t>(icon ? icon->data.size() : 0), ids[i]});
    }
    return kvicons::encodeGroupDirectory(entries);
}

BuiltIcons BuildIcons() {
    const std::vector<kvicons::NamedPicture> pictures = {{{"app", 1}, Dotted('Y')},
                                                         {{"waiting", 101}, Dotted('Y')},
                                                         {{"running", 102}, Dotted('R')}};
    const kvicons::IconPlan plan = kvicons::planIcons(pictures);
    BuiltIcons built;
    for (const kvicons::IconImage& image : plan.images)
        built.image.resources.push_back(IconResource(image.id, image.image));
    for (const kvicons::IconGroup& group : plan.groups)
        built.image.resources.push_back({kvpe::kRtGroupIcon, static_cast<std::uint32_t>(group.id),
                                         "", 1033, Directory(built.image, group.imageIds)});
    built.icons = kvcheck::ExpectedIcons(pictures);
    return built;
}

kvpe::Resource* Find(kvpe::Image& image, std::uint32_t type, std::uint32_t id) {
    for (kvpe::Resource& resource : image.resources)
        if (resource.type == type && resource.id == id)
            return &resource;
    return nullptr;
}

} // namespace

TEST(CheckIconGroups, EverySizeOnceAsItsArtDrawsIt) {
    const std::vector<std::uint16_t> app = {1, 2, 3, 4, 5, 6, 7, 8};
    struct Case {
        const char* what;
        std::function<void(BuiltIcons&)> change;
        std::vector<std::string> problems; // each found in a problem of its own
    };
    const Case cases[] = {
        {"as built", [](BuiltIcons&) {}, {}},
        {"a size left out",
         [&](BuiltIcons& b) {
             Find(b.image, kvpe::kRtGroupIcon, 101)->data =
                 Directory(b.image, {1, 2, 3, 4, 6, 7, 8}, {16, 20, 24, 32, 48, 64, 256});
         },
         {"icon group 101 holds 16, 20, 24, 32, 48, 64, 256 px, not 16, 20, 24, 32, 40, 48, 64, "
          "256"}},
        {"art edited since the build",
         [](BuiltIcons& b) { b.icons[0].images[2].rgba[3] = 0xFF; },
         {"icon group 1's 24 px image (icon 3) differs from its art"}},
        {"an image that is no PNG",
         [](BuiltIcons& b) { Find(b.image, kvpe::kRtIcon, 2)->data[1] = 'B'; },
         {"icon group 1's 20 px image (icon 2) is not a PNG",
          "icon group 101's 20 px image (icon 2) is not a PNG"}},
        {"a picture stored twice, in other bytes",
         [&](BuiltIcons& b) {
             b.image.resources.push_back(
                 IconResource(17, b.icons[1].images[0], kvicons::PngFilter::Sub));
             std::vector<std::uint16_t> ids = app;
             ids[0] = 17;
             Find(b.image, kvpe::kRtGroupIcon, 101)->data = Directory(b.image, ids);
         },
         {"icon 17 holds the same image as icon 1"}},
        {"an image no group lists",
         [](BuiltIcons& b) { b.image.resources.push_back(IconResource(18, b.icons[2].images[1])); },
         {"icon 18 is listed by no icon group", "icon 18 holds the same image as icon 10"}},
        {"a group missing",
         [](BuiltIcons& b) {
             std::erase_if(b.image.resources, [](const kvpe::Resource& r) {
                 return r.type == kvpe::kRtGroupIcon && r.id == 102;
             });
         },
         {"icon group 102 is missing", "icon 9 is listed by no", "icon 10 is listed by no",
          "icon 11 is listed by no", "icon 12 is listed by no", "icon 13 is listed by no",
          "icon 14 is listed by no", "icon 15 is listed by no", "icon 16 is listed by no"}},
        {"a byte count wrong",
         [](BuiltIcons& b) { Find(b.image, kvpe::kRtGroupIcon, 1)->data[6 + 14 * 7 + 8] ^= 1; },
         {"icon group 1 says icon 8 has"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        static const BuiltIcons asBuilt = BuildIcons();
        BuiltIcons built = asBuilt;
        c.change(built);
        const kvcheck::Problems problems = kvcheck::CheckIconGroups(built.image, built.icons);
        std::string all;
        for (const std::string& problem : problems)
            all += problem + "\n";
        EXPECT_EQ(problems.size(), c.problems.size()) << all;
        for (const std::string& expected : c.problems) {
            EXPECT_EQ(std::count_if(problems.begin(), problems.end(),
                                    [&](const std::string& p) {
                                        return p.find(expected) != std::string::npos;
                                    }),
                      1)
                << expected << " in:\n"
                << all;
        }
    }
}
