// Framix.ini section names, the load list and discovery order.
#include "framix_core/IniLayout.h"

#include "config_store/IniFile.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace framix {

namespace {

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string Lower(std::string_view s)
{
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// Decimal 0..9999 without sign or leading blanks.
std::optional<int32_t> ParseSmallNumber(std::string_view digits)
{
    if (digits.empty() || digits.size() > 4)
        return std::nullopt;
    int32_t n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        n = n * 10 + (c - '0');
    }
    return n;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix)
{
    return s.size() >= prefix.size() && EqualsNoCase(s.substr(0, prefix.size()), prefix);
}

} // namespace

std::string CmdChannelTypeKey(uint32_t channelIndex)
{
    return "CmdChannel" + std::to_string(channelIndex) + "Type";
}

std::string GrabberSection(int32_t grabber)
{
    return "Grabber_" + std::to_string(grabber);
}

std::string CameraSection(int32_t grabber, int32_t camera)
{
    return GrabberSection(grabber) + "_Camera_" + std::to_string(camera);
}

std::string ModeSection(int32_t grabber, int32_t camera, int32_t mode)
{
    return CameraSection(grabber, camera) + "_Mode_" + std::to_string(mode);
}

std::string CmdChannelSection(int32_t grabber, uint32_t channelIndex)
{
    return GrabberSection(grabber) + "_CmdChannel_" + std::to_string(channelIndex);
}

std::optional<int32_t> ParseGrabberSection(std::string_view section)
{
    constexpr std::string_view prefix = "Grabber_";
    if (!StartsWithNoCase(section, prefix))
        return std::nullopt;
    return ParseSmallNumber(section.substr(prefix.size()));
}

std::optional<int32_t> ParseCameraSection(std::string_view section, int32_t grabber)
{
    const std::string prefix = GrabberSection(grabber) + "_Camera_";
    if (!StartsWithNoCase(section, prefix))
        return std::nullopt;
    return ParseSmallNumber(section.substr(prefix.size()));
}

std::vector<GrabberEntry> ReadLoadList(CIniFile_0& store)
{
    std::vector<GrabberEntry> list;
    const size_t count = store.GetSectionCount();
    // A count with the error bit set is a failure of the medium: no list then.
    if (count >= 0x80000000u)
        return list;
    for (size_t i = 0; i < count; ++i) {
        char name[kSectionNameSize * 4];
        const size_t length = store.GetSectionName(i, name, sizeof name);
        if (length >= sizeof name)
            continue;
        const auto number = ParseGrabberSection(name);
        if (!number)
            continue;
        std::string file;
        int found = 0;
        store.ReadRaw(name, kKeyFile, "", file, &found);
        // Blanks around the value are the layout's, not part of a file name.
        const size_t first = file.find_first_not_of(" \t");
        const size_t last = file.find_last_not_of(" \t");
        file = first == std::string::npos ? std::string() : file.substr(first, last - first + 1);
        if (!found || file.empty())
            continue;
        const bool duplicate = std::any_of(list.begin(), list.end(), [&](const GrabberEntry& e) { return e.section == *number; });
        if (!duplicate)
            list.push_back({*number, file});
    }
    std::sort(list.begin(), list.end(), [](const GrabberEntry& a, const GrabberEntry& b) { return a.section < b.section; });
    return list;
}

std::vector<GrabberEntry> DiscoveryList(const std::vector<std::string>& fileNames)
{
    std::vector<std::string> matches;
    for (const std::string& name : fileNames) {
        const std::string lower = Lower(name);
        if (lower.size() > 10 && lower.compare(0, 6, "framix") == 0 && lower.compare(lower.size() - 4, 4, ".dll") == 0)
            matches.push_back(name);
    }
    std::sort(matches.begin(), matches.end(), [](const std::string& a, const std::string& b) { return Lower(a) < Lower(b); });
    std::vector<GrabberEntry> list;
    for (const std::string& name : matches)
        list.push_back({static_cast<int32_t>(list.size()), name});
    return list;
}

std::string ResolvePluginPath(std::string_view folder, std::string_view file)
{
    const bool absolute = (file.size() >= 2 && file[1] == ':') || (!file.empty() && (file[0] == '\\' || file[0] == '/'));
    if (absolute || folder.empty())
        return std::string(file);
    std::string path(folder);
    if (path.back() != '\\' && path.back() != '/')
        path.push_back('\\');
    path += file;
    return path;
}

std::string FolderOf(std::string_view path)
{
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
}

} // namespace framix
