#include "tools/exe_check.h"

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string_view>

#include "resources/version.h"
#include "tools/png_codec.h"

namespace kvcheck {

namespace {

// --- just enough XML for a manifest: elements, attributes, comments --------

struct Element {
    std::string name;
    std::map<std::string, std::string> attributes;
    std::vector<std::unique_ptr<Element>> children;
};

class XmlReader {
  public:
    explicit XmlReader(std::string_view text) : text_(text) {}

    // The root element, or nothing with error set.
    std::unique_ptr<Element> Parse() {
        std::unique_ptr<Element> root;
        std::vector<Element*> open;
        while (Skip(), at_ < text_.size()) {
            if (text_[at_] != '<') {
                // Text is allowed inside elements only.
                if (open.empty())
                    return Error("text outside the root element");
                at_ = text_.find('<', at_);
                if (at_ == std::string_view::npos)
                    return Error("the document ends inside an element");
                continue;
            }
            if (Starts("<?")) {
                if (!SkipPast("?>"))
                    return Error("an unterminated processing instruction");
            } else if (Starts("<!--")) {
                if (!SkipPast("-->"))
                    return Error("an unterminated comment");
            } else if (Starts("</")) {
                at_ += 2;
                std::string name = Name();
                Skip();
                if (!Starts(">"))
                    return Error("a malformed end tag </" + name);
                ++at_;
                if (open.empty() || open.back()->name != name)
                    return Error("</" + name + "> closes " +
                                 (open.empty() ? "nothing" : "<" + open.back()->name + ">"));
                open.pop_back();
            } else {
                ++at_;
                auto element = std::make_unique<Element>();
                element->name = Name();
                if (element->name.empty())
                    return Error("a tag without a name");
                bool closed = false;
                if (!Attributes(*element, closed))
                    return nullptr;
                Element* raw = element.get();
                if (open.empty()) {
                    if (root)
                        return Error("a second root element <" + raw->name + ">");
                    root = std::move(element);
                } else {
                    open.back()->children.push_back(std::move(element));
                }
                if (!closed)
                    open.push_back(raw);
            }
        }
        if (!open.empty())
            return Error("<" + open.back()->name + "> is never closed");
        if (!root)
            return Error("no root element");
        return root;
    }

    const std::string& error() const { return error_; }

  private:
    std::unique_ptr<Element> Error(const std::string& why) {
        error_ = why;
        return nullptr;
    }
    bool Starts(std::string_view s) const { return text_.substr(at_, s.size()) == s; }
    bool SkipPast(std::string_view s) {
        std::size_t end = text_.find(s, at_);
        if (end == std::string_view::npos)
            return false;
        at_ = end + s.size();
        return true;
    }
    void Skip() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' ||
                                      text_[at_] == '\r' || text_[at_] == '\n'))
            ++at_;
    }
    std::string Name() {
        std::size_t start = at_;
        while (at_ < text_.size() && text_[at_] != '>' && text_[at_] != '/' && text_[at_] != '=' &&
               text_[at_] != ' ' && text_[at_] != '\t' && text_[at_] != '\r' && text_[at_] != '\n')
            ++at_;
        return std::string(text_.substr(start, at_ - start));
    }
    bool Attributes(Element& element, bool& closed) {
        for (;;) {
            Skip();
            if (Starts("/>")) {
                at_ += 2;
                closed = true;
                return true;
            }
            if (Starts(">")) {
                ++at_;
                return true;
            }
            std::string name = Name();
            Skip();
            if (name.empty() || !Starts("=")) {
                Error("a malformed attribute in <" + element.name + ">");
                return false;
            }
            ++at_;
            Skip();
            if (at_ >= text_.size() || (text_[at_] != '"' && text_[at_] != '\'')) {
                Error("an unquoted value of " + name + " in <" + element.name + ">");
                return false;
            }
            char quote = text_[at_++];
            std::size_t end = text_.find(quote, at_);
            if (end == std::string_view::npos) {
                Error("an unterminated value of " + name + " in <" + element.name + ">");
                return false;
            }
            if (!element.attributes.emplace(name, std::string(text_.substr(at_, end - at_)))
                     .second) {
                Error(name + " given twice in <" + element.name + ">");
                return false;
            }
            at_ = end + 1;
        }
    }

    std::string_view text_;
    std::size_t at_ = 0;
    std::string error_;
};

const Element* Child(const Element& parent, std::string_view name) {
    for (const auto& child : parent.children) {
        if (child->name == name)
            return child.get();
    }
    return nullptr;
}

std::optional<std::string> Attribute(const Element& element, const std::string& name) {
    auto found = element.attributes.find(name);
    if (found == element.attributes.end())
        return std::nullopt;
    return found->second;
}

void CheckArchitecture(const Element& identity, const std::string& what,
                       const std::string& expected, Problems& problems) {
    std::optional<std::string> arch = Attribute(identity, "processorArchitecture");
    if (!arch) {
        problems.push_back(what + " names no processorArchitecture");
    } else if (*arch != expected && *arch != "*") {
        problems.push_back(what + " says processorArchitecture=\"" + *arch + "\" in an " +
                           expected + " image: Windows would refuse to start it");
    }
}

// --- the version block: a tree of { length, value length, type, key, value } ---

struct VersionNode {
    std::u16string key;
    std::vector<std::uint8_t> value;
    bool text = false;
    std::vector<VersionNode> children;
};

std::uint16_t At16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

std::size_t Align4(std::size_t at) {
    return (at + 3) & ~static_cast<std::size_t>(3);
}

bool ReadNode(const std::vector<std::uint8_t>& b, std::size_t at, std::size_t limit,
              VersionNode& node, std::size_t& end, int depth) {
    if (depth > 8 || at + 6 > limit)
        return false;
    std::size_t length = At16(b, at);
    std::size_t valueLength = At16(b, at + 2);
    node.text = At16(b, at + 4) == 1;
    if (length < 6 || at + length > limit)
        return false;
    end = at + length;
    std::size_t p = at + 6;
    for (;;) {
        if (p + 2 > end)
            return false;
        char16_t c = static_cast<char16_t>(At16(b, p));
        p += 2;
        if (c == 0)
            break;
        node.key += c;
    }
    p = Align4(p);
    // A text value's length counts UTF-16 units, a binary one bytes.
    std::size_t valueBytes = node.text ? valueLength * 2 : valueLength;
    if (p + valueBytes > end)
        return false;
    node.value.assign(b.begin() + static_cast<std::ptrdiff_t>(p),
                      b.begin() + static_cast<std::ptrdiff_t>(p + valueBytes));
    p = Align4(p + valueBytes);
    while (p + 6 <= end) {
        VersionNode child;
        std::size_t childEnd = 0;
        if (!ReadNode(b, p, end, child, childEnd, depth + 1))
            return false;
        node.children.push_back(std::move(child));
        p = Align4(childEnd);
    }
    return true;
}

std::u16string Wide(std::string_view ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

std::string Narrow(const std::vector<std::uint8_t>& utf16) {
    std::string text;
    for (std::size_t i = 0; i + 1 < utf16.size(); i += 2) {
        std::uint16_t c = At16(utf16, i);
        if (c == 0)
            break;
        text += c < 0x80 ? static_cast<char>(c) : '?';
    }
    return text;
}

const VersionNode* Find(const VersionNode& node, std::string_view key) {
    for (const VersionNode& child : node.children) {
        if (child.key == Wide(key))
            return &child;
    }
    return nullptr;
}

} // namespace

std::string ManifestArchitecture(std::uint16_t machine) {
    switch (machine) {
    case kvpe::kMachineI386:
        return "x86";
    case kvpe::kMachineAmd64:
        return "amd64";
    default:
        return "";
    }
}

Problems CheckManifest(const std::string& xml, std::uint16_t machine) {
    Problems problems;
    std::string_view text = xml;
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    XmlReader reader(text);
    std::unique_ptr<Element> root = reader.Parse();
    if (!root)
        return {"the manifest is not well-formed XML: " + reader.error()};
    if (root->name != "assembly" || Attribute(*root, "manifestVersion") != "1.0")
        return {"the manifest's root is not <assembly manifestVersion=\"1.0\">"};
    std::string expected = ManifestArchitecture(machine);
    const Element* identity = Child(*root, "assemblyIdentity");
    if (!identity)
        problems.push_back("the manifest has no assemblyIdentity of its own");
    else
        CheckArchitecture(*identity, "Kelvarion's assemblyIdentity", expected, problems);

    const Element* controls = nullptr;
    for (const auto& dependency : root->children) {
        if (dependency->name != "dependency")
            continue;
        const Element* dependent = Child(*dependency, "dependentAssembly");
        const Element* id = dependent ? Child(*dependent, "assemblyIdentity") : nullptr;
        if (id && Attribute(*id, "name") == "Microsoft.Windows.Common-Controls")
            controls = id;
    }
    if (!controls)
        problems.push_back("the manifest has no Microsoft.Windows.Common-Controls dependency");
    else
        CheckArchitecture(*controls, "the Common-Controls dependency", expected, problems);
    return problems;
}

Problems CheckVersion(const std::vector<std::uint8_t>& block) {
    VersionNode root;
    std::size_t end = 0;
    if (!ReadNode(block, 0, block.size(), root, end, 0) || root.key != Wide("VS_VERSION_INFO"))
        return {"the version block is malformed"};
    Problems problems;
    const std::uint32_t version[] = {KV_VERSION_RC};
    const std::uint32_t ms = version[0] << 16 | version[1];
    const std::uint32_t ls = version[2] << 16 | version[3];
    auto fixed = [&](std::size_t i) {
        std::size_t at = i * 4;
        return at + 4 <= root.value.size()
                   ? static_cast<std::uint32_t>(At16(root.value, at) | At16(root.value, at + 2)
                                                                           << 16)
                   : 0u;
    };
    if (fixed(0) != 0xFEEF04BD)
        problems.push_back("the version block has no fixed file information");
    else if (fixed(2) != ms || fixed(3) != ls || fixed(4) != ms || fixed(5) != ls)
        problems.push_back("the file or product version is not " KV_VERSION_TEXT);

    const VersionNode* strings = Find(root, "StringFileInfo");
    const VersionNode* table =
        strings && !strings->children.empty() ? &strings->children.front() : nullptr;
    const std::pair<const char*, const char*> wanted[] = {
        {"FileVersion", KV_VERSION_TEXT},
        {"ProductVersion", KV_VERSION_TEXT},
        {"ProductName", KV_PRODUCT_NAME},
        {"FileDescription", KV_PRODUCT_NAME}, // what Task Manager and every notice show
        {"OriginalFilename", "kelvarion.exe"},
    };
    for (const auto& [key, value] : wanted) {
        const VersionNode* entry = table ? Find(*table, key) : nullptr;
        std::string actual = entry ? Narrow(entry->value) : "";
        if (!entry)
            problems.push_back(std::string("the version block has no ") + key);
        else if (actual != value)
            problems.push_back(std::string("the version block's ") + key + " is \"" + actual +
                               "\", not \"" + value + "\"");
    }
    return problems;
}

std::vector<ExpectedIcon> ExpectedIcons(const std::vector<kvicons::NamedPicture>& pictures) {
    std::vector<ExpectedIcon> icons;
    for (const kvicons::NamedPicture& picture : pictures)
        icons.push_back({static_cast<std::uint32_t>(picture.icon.resourceId),
                         kvicons::iconImages(picture.picture)});
    return icons;
}

Problems CheckIconGroups(const kvpe::Image& image, const std::vector<ExpectedIcon>& icons) {
    Problems problems;
    std::string wanted;
    for (int size : kvicons::kIconSizes)
        wanted += (wanted.empty() ? "" : ", ") + std::to_string(size);
    std::set<std::uint32_t> listed;
    for (const ExpectedIcon& icon : icons) {
        const std::string group = "icon group " + std::to_string(icon.id);
        const kvpe::Resource* directory = kvpe::FindResource(image, kvpe::kRtGroupIcon, icon.id);
        if (!directory) {
            problems.push_back(group + " is missing");
            continue;
        }
        const auto entries = kvicons::parseGroupDirectory(directory->data);
        if (!entries || entries->empty()) {
            problems.push_back(group + " is malformed");
            continue;
        }
        std::string sizes;
        for (const kvicons::GroupEntry& entry : *entries)
            sizes += (sizes.empty() ? "" : ", ") + std::to_string(entry.size);
        if (sizes != wanted)
            problems.push_back(group + " holds " + sizes + " px, not " + wanted);
        for (const kvicons::GroupEntry& entry : *entries) {
            const std::string iconName = "icon " + std::to_string(entry.imageId);
            const std::string what =
                group + "'s " + std::to_string(entry.size) + " px image (" + iconName + ")";
            listed.insert(entry.imageId);
            const kvpe::Resource* resource =
                kvpe::FindResource(image, kvpe::kRtIcon, entry.imageId);
            if (!resource) {
                problems.push_back(group + " lists " + iconName + ", which is missing");
                continue;
            }
            if (resource->data.size() != entry.bytes)
                problems.push_back(group + " says " + iconName + " has " +
                                   std::to_string(entry.bytes) + " bytes; it has " +
                                   std::to_string(resource->data.size()));
            if (entry.bitCount != 32)
                problems.push_back(what + " is said to have " + std::to_string(entry.bitCount) +
                                   " bits a pixel, not 32");
            const kvicons::PngDecodeResult png = kvicons::decodePng(resource->data);
            if (!png.image) {
                problems.push_back(what + " is not a PNG as make_icons writes: " + png.error);
                continue;
            }
            const kvicons::Image* art = nullptr;
            for (const kvicons::Image& candidate : icon.images)
                art = candidate.size == entry.size ? &candidate : art;
            if (png.image->size != entry.size)
                problems.push_back(what + " is " + std::to_string(png.image->size) + " px");
            else if (art && !(*png.image == *art))
                problems.push_back(what + " differs from its art: run make_icons and rebuild");
        }
    }
    // Each picture once: the point of writing the images and groups ourselves.
    std::vector<std::pair<std::uint32_t, const std::vector<std::uint8_t>*>> seen;
    std::vector<std::optional<kvicons::Image>> seenPixels;
    for (const kvpe::Resource& resource : image.resources) {
        if (resource.type != kvpe::kRtIcon)
            continue;
        const std::string iconName = "icon " + std::to_string(resource.id);
        if (!listed.contains(resource.id))
            problems.push_back(iconName + " is listed by no icon group");
        std::optional<kvicons::Image> pixels = kvicons::decodePng(resource.data).image;
        for (std::size_t i = 0; i < seen.size(); ++i) {
            const bool same = pixels && seenPixels[i] ? *pixels == *seenPixels[i]
                                                      : resource.data == *seen[i].second;
            if (same)
                problems.push_back(iconName + " holds the same image as icon " +
                                   std::to_string(seen[i].first) + ": it should be stored once");
        }
        seen.emplace_back(resource.id, &resource.data);
        seenPixels.push_back(std::move(pixels));
    }
    return problems;
}

Problems CheckHeaders(const kvpe::Image& image) {
    Problems problems;
    auto version = [](int major, int minor) {
        return std::to_string(major) + "." + std::to_string(minor);
    };
    if (image.subsystem != kvpe::kSubsystemWindowsGui)
        problems.push_back("the subsystem is " + std::to_string(image.subsystem) +
                           ", not the Windows GUI (2)");
    if (image.majorSubsystemVersion != 6 || image.minorSubsystemVersion != 0)
        problems.push_back("the subsystem version is " +
                           version(image.majorSubsystemVersion, image.minorSubsystemVersion) +
                           ", not 6.0");
    if (image.majorOsVersion != 6 || image.minorOsVersion != 0)
        problems.push_back("the operating system version is " +
                           version(image.majorOsVersion, image.minorOsVersion) + ", not 6.0");
    const std::pair<std::uint16_t, const char*> flags[] = {
        {kvpe::kTerminalServerAware, "TERMINAL_SERVER_AWARE"},
        {kvpe::kDynamicBase, "DYNAMIC_BASE (ASLR)"},
        {kvpe::kNxCompat, "NX_COMPAT"},
        {kvpe::kHighEntropyVa, "HIGH_ENTROPY_VA"},
    };
    for (const auto& [flag, name] : flags) {
        bool wanted = flag != kvpe::kHighEntropyVa || image.pe32Plus;
        if (wanted && !(image.dllCharacteristics & flag))
            problems.push_back(std::string("the image is not marked ") + name);
    }
    return problems;
}

Problems CheckExe(const kvpe::Image& image, std::uint16_t expectedMachine,
                  const std::vector<ExpectedIcon>& icons) {
    Problems problems;
    if (image.machine != expectedMachine) {
        problems.push_back("the machine type is " + std::to_string(image.machine) + ", not " +
                           std::to_string(expectedMachine));
        return problems;
    }
    auto add = [&](Problems more) { problems.insert(problems.end(), more.begin(), more.end()); };
    const kvpe::Resource* manifest = kvpe::FindResource(image, kvpe::kRtManifest, 1);
    if (!manifest)
        problems.push_back("there is no manifest (resource 24, id 1)");
    else
        add(CheckManifest(std::string(manifest->data.begin(), manifest->data.end()),
                          image.machine));
    const kvpe::Resource* version = kvpe::FindResource(image, kvpe::kRtVersion, 1);
    if (!version)
        problems.push_back("there is no version block");
    else
        add(CheckVersion(version->data));
    add(CheckIconGroups(image, icons));
    add(CheckHeaders(image));
    return problems;
}

} // namespace kvcheck
