// Bootstrap block decoding and the description URL.
#include "mk_gev/Bootstrap.h"

#include "mk_gev/Gvcp.h"
#include "mk_gev/Wire.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>

namespace mkgev {

std::string registerText(std::span<const uint8_t> bytes)
{
    auto end = std::find(bytes.begin(), bytes.end(), uint8_t(0));
    return std::string(bytes.begin(), end);
}

std::optional<DeviceInfo> decodeDeviceInfo(std::span<const uint8_t> data)
{
    if (data.size() < kDiscoveryDataSize)
        return std::nullopt;
    DeviceInfo info;
    uint32_t version = load32(data, bootstrap::Version);
    info.versionMajor = uint16_t(version >> 16);
    info.versionMinor = uint16_t(version);
    info.mac = uint64_t(load32(data, bootstrap::MacHigh) & 0xFFFF) << 32 | load32(data, bootstrap::MacLow);
    info.supportedIpConfig = load32(data, bootstrap::SupportedIpConfig);
    info.currentIpConfig = load32(data, bootstrap::CurrentIpConfig);
    info.address = load32(data, bootstrap::CurrentAddress);
    info.mask = load32(data, bootstrap::CurrentMask);
    info.gateway = load32(data, bootstrap::CurrentGateway);
    info.manufacturer = registerText(data.subspan(bootstrap::ManufacturerName, 32));
    info.model = registerText(data.subspan(bootstrap::ModelName, 32));
    info.deviceVersion = registerText(data.subspan(bootstrap::DeviceVersion, 32));
    info.manufacturerInfo = registerText(data.subspan(bootstrap::ManufacturerInfo, 48));
    info.serialNumber = registerText(data.subspan(bootstrap::SerialNumber, 16));
    info.userName = registerText(data.subspan(bootstrap::UserDefinedName, 16));
    return info;
}

void encodeDeviceInfo(const DeviceInfo& info, std::span<uint8_t, 248> out)
{
    std::fill(out.begin(), out.end(), uint8_t(0));
    store32(&out[bootstrap::Version], uint32_t(info.versionMajor) << 16 | info.versionMinor);
    store32(&out[bootstrap::MacHigh], uint32_t(info.mac >> 32) & 0xFFFF);
    store32(&out[bootstrap::MacLow], uint32_t(info.mac));
    store32(&out[bootstrap::SupportedIpConfig], info.supportedIpConfig);
    store32(&out[bootstrap::CurrentIpConfig], info.currentIpConfig);
    store32(&out[bootstrap::CurrentAddress], info.address);
    store32(&out[bootstrap::CurrentMask], info.mask);
    store32(&out[bootstrap::CurrentGateway], info.gateway);
    auto text = [&](uint32_t at, size_t size, const std::string& s) {
        std::memcpy(&out[at], s.data(), std::min(size, s.size()));
    };
    text(bootstrap::ManufacturerName, 32, info.manufacturer);
    text(bootstrap::ModelName, 32, info.model);
    text(bootstrap::DeviceVersion, 32, info.deviceVersion);
    text(bootstrap::ManufacturerInfo, 48, info.manufacturerInfo);
    text(bootstrap::SerialNumber, 16, info.serialNumber);
    text(bootstrap::UserDefinedName, 16, info.userName);
}

namespace {

bool parseHex(std::string_view text, uint32_t& value)
{
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.remove_prefix(2);
    if (text.empty())
        return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return ec == std::errc() && end == text.data() + text.size();
}

bool endsWithNoCase(std::string_view text, std::string_view suffix)
{
    if (text.size() < suffix.size())
        return false;
    for (size_t i = 0; i < suffix.size(); ++i)
        if (std::tolower(uint8_t(text[text.size() - suffix.size() + i])) != std::tolower(uint8_t(suffix[i])))
            return false;
    return true;
}

} // namespace

std::string parseDescriptionUrl(std::string_view url, DescriptionLocation& out)
{
    constexpr std::string_view kLocal = "local:";
    if (url.size() < kLocal.size() || !std::equal(kLocal.begin(), kLocal.end(), url.begin(), [](char a, char b) {
            return a == std::tolower(uint8_t(b));
        })) {
        return "the device description is at \"" + std::string(url) + "\": only Local: descriptions are read";
    }
    std::string_view rest = url.substr(kLocal.size());
    if (auto query = rest.find('?'); query != std::string_view::npos)
        rest = rest.substr(0, query);
    auto first = rest.find(';');
    auto second = first == std::string_view::npos ? first : rest.find(';', first + 1);
    if (second == std::string_view::npos)
        return "the description URL \"" + std::string(url) + "\" is not Local:NAME;ADDRESS;LENGTH";
    DescriptionLocation location;
    location.fileName = std::string(rest.substr(0, first));
    if (!parseHex(rest.substr(first + 1, second - first - 1), location.address) ||
        !parseHex(rest.substr(second + 1), location.length))
        return "the description URL \"" + std::string(url) + "\" has a bad address or length";
    if (location.length == 0 || location.fileName.empty())
        return "the description URL \"" + std::string(url) + "\" names an empty description";
    location.zipped = endsWithNoCase(location.fileName, ".zip");
    out = std::move(location);
    return {};
}

std::string formatAddress(uint32_t address)
{
    return std::to_string(address >> 24) + "." + std::to_string(address >> 16 & 0xFF) + "." +
        std::to_string(address >> 8 & 0xFF) + "." + std::to_string(address & 0xFF);
}

std::optional<uint32_t> parseAddress(std::string_view text)
{
    uint32_t address = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (text.empty() || text[0] != '.')
                return std::nullopt;
            text.remove_prefix(1);
        }
        unsigned octet = 0;
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), octet);
        size_t used = size_t(end - text.data());
        if (ec != std::errc() || used == 0 || used > 3 || octet > 255)
            return std::nullopt;
        address = address << 8 | octet;
        text.remove_prefix(used);
    }
    if (!text.empty())
        return std::nullopt;
    return address;
}

} // namespace mkgev
