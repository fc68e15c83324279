// The simulated network from a description file, the built-in network and the backend factory.
#include "gige_sim/Network.h"

#include "mk_api/MkApi.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <set>

namespace gigesim {
namespace {

using mkapi::Description;
using mkapi::DescriptionEntry;
using mkapi::DescriptionError;
using mkapi::DescriptionSection;

constexpr const char* kDefault = R"(; The built-in network of the simulated camera library.
[Network]
HostAddress=192.168.10.1
HostMask=255.255.255.0
ReconfigureMs=2000

[Camera Mono]
UniqueId=100001
Model=ZX-640M
SerialNumber=ZX640M-0001
Firmware=2.4.1
Address=192.168.10.21
Mask=255.255.255.0
Gateway=192.168.10.1
IpModes=persistent,dhcp,auto
IpMode=persistent
Sensor=mono
SensorWidth=640
SensorHeight=480
SensorBits=12
PixelFormat=Mono8
FrameRate=30
SerialPorts=2
SerialPort0=kl7700
SerialPort1=loopback

[Camera Colour]
UniqueId=100002
Model=ZX-1920C
SerialNumber=ZX1920C-0002
Firmware=2.4.1
Address=192.168.10.22
Mask=255.255.255.0
Gateway=192.168.10.1
IpModes=persistent,dhcp,auto
IpMode=dhcp
Sensor=colour
BayerLayout=RG
SensorWidth=1920
SensorHeight=1200
SensorBits=12
PixelFormat=Bayer8
FrameRate=30
SerialPorts=1

[Camera Elsewhere]
UniqueId=100003
Model=ZX-640M
SerialNumber=ZX640M-0003
Firmware=2.3.0
Address=10.0.0.50
Mask=255.0.0.0
Gateway=10.0.0.1
IpModes=persistent,dhcp,auto
IpMode=persistent
Sensor=mono
SerialPorts=0
)";

bool parseAddress(std::string_view text, uint32_t& address)
{
    uint32_t value = 0;
    int octets = 0;
    size_t i = 0;
    while (octets < 4) {
        if (i >= text.size() || !std::isdigit(static_cast<unsigned char>(text[i])))
            return false;
        uint32_t octet = 0;
        size_t digits = 0;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) && digits < 4)
            octet = octet * 10 + uint32_t(text[i++] - '0'), ++digits;
        if (octet > 255)
            return false;
        value |= octet << (8 * octets++);
        if (octets < 4) {
            if (i >= text.size() || text[i] != '.')
                return false;
            ++i;
        }
    }
    if (i != text.size())
        return false;
    address = value;
    return true;
}

bool parseNumber(std::string_view text, uint64_t max, uint64_t& value)
{
    const std::string t(text);
    char* end = nullptr;
    if (t.empty() || t[0] == '-')
        return false;
    const unsigned long long v = std::strtoull(t.c_str(), &end, 0);
    if (*end || v > max)
        return false;
    value = v;
    return true;
}

bool parseModes(std::string_view text, uint32_t& modes)
{
    modes = 0;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = std::min(text.find(',', start), text.size());
        std::string word(text.substr(start, comma - start));
        word.erase(std::remove_if(word.begin(), word.end(), [](unsigned char c) { return std::isspace(c); }),
                   word.end());
        if (word == "persistent")
            modes |= MK_IP_PERSISTENT;
        else if (word == "dhcp")
            modes |= MK_IP_DHCP;
        else if (word == "auto")
            modes |= MK_IP_AUTO;
        else
            return false;
        start = comma + 1;
    }
    return modes != 0;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

bool isCameraSection(const DescriptionSection& section) { return startsWithNoCase(section.name, "Camera "); }

bool isNetworkSection(const DescriptionSection& section)
{
    return section.name.size() == 7 && startsWithNoCase(section.name, "Network");
}

class CameraReader {
public:
    CameraReader(const Description& description, std::vector<DescriptionError>& errors)
        : description_(description), errors_(errors)
    {
    }

    bool fail(const DescriptionEntry& e, const std::string& message)
    {
        errors_.push_back(description_.errorAt(e.line, "[" + section_ + "] " + e.key + ": " + message));
        return false;
    }

    bool read(const DescriptionSection& section, CameraSetup& camera, std::vector<DeviceAttachment>& attachments)
    {
        section_ = section.name;
        camera.name = section.name.substr(7);
        while (!camera.name.empty() && camera.name.front() == ' ') camera.name.erase(0, 1);
        bool ok = true, haveId = false;
        std::string initialFormat;
        for (const DescriptionEntry& e : section.entries) {
            const std::string key = lower(e.key);
            uint64_t n = 0;
            if (key == "uniqueid") {
                ok &= parseNumber(e.value, UINT32_MAX, n) && n != 0 ? true : fail(e, "expected a non-zero number");
                camera.uniqueId = uint32_t(n), haveId = true;
            } else if (key == "model" || key == "vendor" || key == "serialnumber" || key == "firmware" ||
                       key == "name") {
                if (e.value.size() > 31) {
                    ok &= fail(e, "at most 31 characters");
                    continue;
                }
                (key == "model"              ? camera.model
                     : key == "vendor"       ? camera.vendor
                     : key == "serialnumber" ? camera.serialNumber
                     : key == "firmware"     ? camera.firmware
                                             : camera.name) = e.value;
            } else if (key == "address" || key == "mask" || key == "gateway") {
                uint32_t a = 0;
                if (!parseAddress(e.value, a)) {
                    ok &= fail(e, "expected an address a.b.c.d, got '" + e.value + "'");
                    continue;
                }
                (key == "address" ? camera.ip.address : key == "mask" ? camera.ip.mask
                                                                      : camera.ip.gateway) = a;
            } else if (key == "ipmodes" || key == "ipmode") {
                uint32_t modes = 0;
                if (!parseModes(e.value, modes)) {
                    ok &= fail(e, "expected persistent, dhcp or auto separated by commas");
                    continue;
                }
                (key == "ipmodes" ? camera.ip.supportedModes : camera.ip.mode) = modes;
            } else if (key == "sensor") {
                if (e.value != "mono" && e.value != "colour" && e.value != "color")
                    ok &= fail(e, "expected mono or colour");
                camera.colour = e.value != "mono";
            } else if (key == "bayerlayout") {
                static const char* const kLayouts[] = {"GR", "RG", "GB", "BG"};
                const auto it = std::find_if(std::begin(kLayouts), std::end(kLayouts),
                                             [&](const char* l) { return e.value == l; });
                if (it == std::end(kLayouts))
                    ok &= fail(e, "expected GR, RG, GB or BG");
                else
                    camera.layout = BayerLayout(it - std::begin(kLayouts));
            } else if (key == "sensorwidth" || key == "sensorheight" || key == "sensorbits") {
                const uint64_t max = key == "sensorbits" ? 16 : 16384;
                const uint64_t min = key == "sensorbits" ? 8 : 16;
                if (!parseNumber(e.value, max, n) || n < min || (key == "sensorwidth" && n % 4)) {
                    ok &= fail(e, "expected a number from " + std::to_string(min) + " to " + std::to_string(max) + (key == "sensorwidth" ? ", a multiple of 4" : ""));
                    continue;
                }
                (key == "sensorwidth" ? camera.sensorWidth : key == "sensorheight" ? camera.sensorHeight
                                                                                   : camera.sensorBits) = uint32_t(n);
            } else if (key == "pixelformats") {
                camera.pixelFormats.clear();
                size_t start = 0;
                while (start <= e.value.size()) {
                    const size_t comma = std::min(e.value.find(',', start), e.value.size());
                    const std::string name = e.value.substr(start, comma - start);
                    const PixelFormat* f = findPixelFormat(name);
                    if (!f) {
                        ok &= fail(e, "unknown pixel format '" + name + "'");
                        break;
                    }
                    camera.pixelFormats.push_back(f->name);
                    start = comma + 1;
                }
            } else if (key == "pixelformat") {
                initialFormat = e.value;
                lines_["PixelFormat"] = &e;
            } else if (key == "framerate") {
                camera.initialValues.push_back({"AcquisitionFrameRate", e.value});
                lines_["AcquisitionFrameRate"] = &e;
            } else if (key == "serialports") {
                if (!parseNumber(e.value, 3, n))
                    ok &= fail(e, "expected 0 to 3");
                camera.serialPorts = int(n);
            } else if (key.size() == 11 && key.compare(0, 10, "serialport") == 0 && key[10] >= '0' &&
                       key[10] <= '2') {
                // A TCP endpoint is reached when the network starts, not while reading.
                const bool known = e.value == "kl7700" || e.value == "loopback" || e.value == "none" ||
                    (e.value.compare(0, 4, "tcp:") == 0 && e.value.find(':', 4) != std::string::npos);
                if (!known)
                    ok &= fail(e, "unknown device '" + e.value + "' (kl7700, loopback, tcp:HOST:PORT or none)");
                attachments.push_back({0, key[10] - '0', e.value, description_.file() + ":" + std::to_string(e.line)});
                lines_["serial" + std::string(1, key[10])] = &e;
            } else if (key == "extraattributes" || key == "extravolatile") {
                if (!parseNumber(e.value, 100000, n)) {
                    ok &= fail(e, "expected 0 to 100000");
                    continue;
                }
                (key == "extraattributes" ? camera.extraAttributes : camera.extraVolatile) = uint32_t(n);
                lines_[key] = &e;
            } else if (key.compare(0, 10, "attribute.") == 0 && key.size() > 10) {
                const std::string name = e.key.substr(10);
                camera.initialValues.push_back({name, e.value});
                lines_[name] = &e;
            } else {
                ok &= fail(e, "unknown key");
            }
        }
        if (!initialFormat.empty())
            camera.initialValues.insert(camera.initialValues.begin(), {"PixelFormat", initialFormat});
        if (!haveId) {
            errors_.push_back(description_.errorAt(section.line, "[" + section_ + "] needs a UniqueId"));
            ok = false;
        }
        if (camera.ip.supportedModes == 0)
            camera.ip.supportedModes = MK_IP_PERSISTENT | MK_IP_DHCP | MK_IP_AUTO;
        if (camera.ip.mode == 0)
            camera.ip.mode = MK_IP_PERSISTENT;
        camera.ip.persistentAddress = camera.ip.address, camera.ip.persistentMask = camera.ip.mask,
        camera.ip.persistentGateway = camera.ip.gateway;
        for (DeviceAttachment& a : attachments) {
            a.uniqueId = camera.uniqueId;
            if (a.port >= camera.serialPorts) {
                const DescriptionEntry* e = lines_["serial" + std::to_string(a.port)];
                ok &= fail(*e, "the camera has " + std::to_string(camera.serialPorts) + " serial port(s)");
            }
        }
        if (camera.extraVolatile > camera.extraAttributes)
            ok &= fail(*lines_["extravolatile"], "more than ExtraAttributes");
        if (!ok)
            return false;
        // Initial values go through the camera's own rules; a value it refuses is an error here.
        SimCamera probe(CameraSetup{camera.uniqueId, camera.name, camera.model, camera.vendor, camera.serialNumber, camera.firmware, camera.ip, camera.macAddress, camera.colour, camera.layout, camera.sensorWidth, camera.sensorHeight, camera.sensorBits, camera.pixelFormats, camera.serialPorts, {}, camera.extraAttributes, camera.extraVolatile});
        for (const auto& [name, value] : camera.initialValues) {
            if (const mkapi::Code code = probe.setFromText(name, value, 0)) {
                const DescriptionEntry* e = lines_[name];
                const std::string why = code == MK_ERR_NOT_FOUND ? "no such attribute"
                    : code == MK_ERR_OUT_OF_RANGE                ? "value out of range"
                    : code == MK_ERR_WRONG_TYPE                  ? "the attribute takes no value"
                                                                 : "value not understood";
                ok &= e ? fail(*e, why + " ('" + value + "')") : false;
            }
        }
        return ok;
    }

private:
    static std::string lower(std::string text)
    {
        for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
        return text;
    }

    const Description& description_;
    std::vector<DescriptionError>& errors_;
    std::string section_;
    std::map<std::string, const DescriptionEntry*> lines_;
};

} // namespace

const char* defaultNetworkDescription() { return kDefault; }

std::optional<NetworkSetup> readNetworkSetup(const Description& description, std::vector<DescriptionError>& errors)
{
    NetworkSetup setup;
    bool ok = true;
    if (const DescriptionSection* network = description.section("Network")) {
        for (const DescriptionEntry& e : network->entries) {
            const auto fail = [&](const std::string& message) {
                errors.push_back(description.errorAt(e.line, "[Network] " + e.key + ": " + message));
                ok = false;
            };
            uint64_t n = 0;
            if (startsWithNoCase(e.key, "HostAddress") && e.key.size() == 11) {
                if (!parseAddress(e.value, setup.hostAddress))
                    fail("expected an address a.b.c.d, got '" + e.value + "'");
            } else if (startsWithNoCase(e.key, "HostMask") && e.key.size() == 8) {
                if (!parseAddress(e.value, setup.hostMask))
                    fail("expected an address a.b.c.d, got '" + e.value + "'");
            } else if (startsWithNoCase(e.key, "ReconfigureMs") && e.key.size() == 13) {
                if (!parseNumber(e.value, 600000, n))
                    fail("expected milliseconds up to 600000");
                setup.reconfigureUs = n * 1000;
            } else {
                fail("unknown key");
            }
        }
    }
    std::set<uint32_t> ids;
    for (const DescriptionSection& section : description.sections()) {
        if (!isCameraSection(section))
            continue;
        CameraSetup camera;
        camera.macAddress = 0x000F31000000ull + setup.cameras.size() + 1;
        std::vector<DeviceAttachment> attachments;
        CameraReader reader(description, errors);
        if (!reader.read(section, camera, attachments)) {
            ok = false;
            continue;
        }
        if (!ids.insert(camera.uniqueId).second) {
            errors.push_back(description.errorAt(section.line, "[" + section.name + "] UniqueId " + std::to_string(camera.uniqueId) + " given twice"));
            ok = false;
            continue;
        }
        setup.cameras.push_back(std::move(camera));
        setup.attachments.insert(setup.attachments.end(), attachments.begin(), attachments.end());
    }
    if (!ok)
        return std::nullopt;
    return setup;
}

mkapi::BackendFactory simulatedNetworkFactory()
{
    mkapi::BackendFactory factory;
    factory.name = "simulated";
    factory.claims = [](const DescriptionSection& section) {
        return isNetworkSection(section) || isCameraSection(section);
    };
    factory.make = [](const Description& description, const mkapi::Clock& clock,
                      std::vector<DescriptionError>& errors) -> std::unique_ptr<mkapi::Backend> {
        auto setup = readNetworkSetup(description, errors);
        if (!setup)
            return nullptr;
        return std::make_unique<Network>(std::move(*setup), clock);
    };
    return factory;
}

} // namespace gigesim
