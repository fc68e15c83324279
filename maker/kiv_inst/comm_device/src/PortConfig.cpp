// Parsing and formatting of the communication device's port settings.
#include "kiv_comm_device/PortConfig.h"

#include <algorithm>
#include <cctype>

namespace kivinst {
namespace {

constexpr uint32_t kMinBaud = 50;
constexpr uint32_t kMaxBaud = 4000000;

std::string_view trim(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

std::string upper(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && upper(text.substr(0, prefix.size())) == prefix;
}

std::optional<char> parseParity(std::string_view text)
{
    const std::string t = upper(trim(text));
    if (t.size() == 1 && std::string_view("NEOMS").find(t[0]) != std::string_view::npos)
        return t[0];
    return std::nullopt;
}

std::optional<StopBits> parseStopBits(std::string_view text)
{
    const std::string_view t = trim(text);
    if (t == "1")
        return StopBits::One;
    if (t == "1.5")
        return StopBits::OneHalf;
    if (t == "2")
        return StopBits::Two;
    return std::nullopt;
}

ConfigResult failure(std::string error)
{
    return ConfigResult{std::nullopt, std::move(error)};
}

// "COM<n>", "TCP:<host>:<port>" or "EMULATOR"; the serial settings are left alone.
std::optional<std::string> parsePortText(std::string_view text, PortConfig& config)
{
    text = trim(text);
    if (upper(text) == "EMULATOR") {
        config.kind = PortKind::Emulator;
        return std::nullopt;
    }
    if (upper(text) == "GRABBER" || startsWithNoCase(text, "GRABBER:")) {
        const std::string_view number = text.size() > 7 ? text.substr(8) : std::string_view("0");
        const auto grabber = parseDecimal(number, 0, kMaxGrabber);
        if (!grabber || trim(number) != number)
            return "The grabber port \"" + std::string(text) + "\" is not GRABBER or GRABBER:0 to GRABBER:9999.";
        config.kind = PortKind::Grabber;
        config.grabber = *grabber;
        return std::nullopt;
    }
    if (startsWithNoCase(text, "COM")) {
        const auto number = parseDecimal(text.substr(3), 1, 255);
        if (!number || trim(text.substr(3)) != text.substr(3))
            return "The serial port \"" + std::string(text) + "\" is not COM1 to COM255.";
        config.kind = PortKind::Serial;
        config.serial.comNumber = *number;
        return std::nullopt;
    }
    if (startsWithNoCase(text, "TCP:")) {
        const std::string_view rest = text.substr(4);
        const size_t colon = rest.rfind(':');
        if (colon == std::string_view::npos)
            return "The TCP port \"" + std::string(text) + "\" lacks \":<port number>\".";
        std::string_view host = rest.substr(0, colon);
        if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
            host = host.substr(1, host.size() - 2); // [::1] style IPv6 address
        const auto port = parseDecimal(rest.substr(colon + 1), 1, 65535);
        if (host.empty() || trim(host) != host)
            return "The TCP port \"" + std::string(text) + "\" names no host.";
        if (!port)
            return "The TCP port number in \"" + std::string(text) + "\" is not 1 to 65535.";
        config.kind = PortKind::Tcp;
        config.host = std::string(host);
        config.tcpPort = static_cast<uint16_t>(*port);
        return std::nullopt;
    }
    return "The port \"" + std::string(text) + "\" is none of COM<n>, TCP:<host>:<port>, EMULATOR and GRABBER[:<n>].";
}

std::string framingText(const SerialSettings& s)
{
    return std::to_string(s.dataBits) + s.parity + stopBitsText(s.stopBits);
}

} // namespace

std::optional<uint32_t> parseDecimal(std::string_view text, uint32_t min, uint32_t max)
{
    text = trim(text);
    if (text.empty() || text.size() > 10)
        return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value < min || value > max)
        return std::nullopt;
    return static_cast<uint32_t>(value);
}

std::string stopBitsText(StopBits bits)
{
    switch (bits) {
    case StopBits::OneHalf: return "1.5";
    case StopBits::Two: return "2";
    case StopBits::One: break;
    }
    return "1";
}

ConfigResult parseStoredKeys(const StoredPortKeys& keys)
{
    if (!keys.port || trim(*keys.port).empty())
        return failure("No port is configured.");
    PortConfig config;
    if (keys.baud) {
        const auto baud = parseDecimal(*keys.baud, kMinBaud, kMaxBaud);
        if (!baud)
            return failure("The stored baud rate \"" + *keys.baud + "\" is not a number from 50 to 4000000.");
        config.serial.baud = *baud;
    }
    if (keys.parity) {
        const auto parity = parseParity(*keys.parity);
        if (!parity)
            return failure("The stored parity \"" + *keys.parity + "\" is none of N, E, O, M and S.");
        config.serial.parity = *parity;
    }
    if (keys.dataBits) {
        const auto bits = parseDecimal(*keys.dataBits, 5, 8);
        if (!bits)
            return failure("The stored data bits \"" + *keys.dataBits + "\" are not 5 to 8.");
        config.serial.dataBits = *bits;
    }
    if (keys.stopBits) {
        const auto bits = parseStopBits(*keys.stopBits);
        if (!bits)
            return failure("The stored stop bits \"" + *keys.stopBits + "\" are none of 1, 1.5 and 2.");
        config.serial.stopBits = *bits;
    }
    if (auto error = parsePortText(*keys.port, config))
        return failure(std::move(*error));
    return ConfigResult{config, {}};
}

StoredPortKeys toStoredKeys(const PortConfig& config)
{
    StoredPortKeys keys;
    keys.port = portKeyText(config);
    keys.baud = std::to_string(config.serial.baud);
    keys.parity = std::string(1, config.serial.parity);
    keys.dataBits = std::to_string(config.serial.dataBits);
    keys.stopBits = stopBitsText(config.serial.stopBits);
    return keys;
}

PortForm toForm(const PortConfig& config)
{
    PortForm form;
    form.kind = config.kind;
    form.comNumber = std::to_string(config.serial.comNumber);
    form.baud = std::to_string(config.serial.baud);
    form.parity = config.serial.parity;
    form.dataBits = config.serial.dataBits;
    form.stopBits = config.serial.stopBits;
    form.host = config.host;
    form.tcpPort = config.tcpPort ? std::to_string(config.tcpPort) : std::string();
    form.grabber = std::to_string(config.grabber);
    return form;
}

ConfigResult parseForm(const PortForm& form)
{
    PortConfig config;
    config.kind = form.kind;
    // The serial fields are checked for every kind: they are stored for every kind.
    const auto com = parseDecimal(form.comNumber, 1, 255);
    if (!com)
        return failure("The COM port number must be 1 to 255.");
    const auto baud = parseDecimal(form.baud, kMinBaud, kMaxBaud);
    if (!baud)
        return failure("The baud rate must be a number from 50 to 4000000.");
    if (!parseParity(std::string(1, form.parity)) || form.dataBits < 5 || form.dataBits > 8)
        return failure("The parity or the data bits are not valid.");
    config.serial = SerialSettings{*com, *baud, form.parity, form.dataBits, form.stopBits};
    if (form.kind == PortKind::Tcp) {
        const std::string_view host = trim(form.host);
        if (host.empty() || host.find_first_of(" \t") != std::string_view::npos)
            return failure("The TCP host must be a name or an address without blanks.");
        const auto port = parseDecimal(form.tcpPort, 1, 65535);
        if (!port)
            return failure("The TCP port must be 1 to 65535.");
        config.host = std::string(host);
        config.tcpPort = static_cast<uint16_t>(*port);
    } else {
        if (form.kind == PortKind::Grabber) {
            const auto grabber = parseDecimal(form.grabber, 0, kMaxGrabber);
            if (!grabber)
                return failure("The grabber number must be 0 to 9999.");
            config.grabber = *grabber;
        } else {
            config.grabber = parseDecimal(form.grabber, 0, kMaxGrabber).value_or(0);
        }
        config.host = trim(form.host);
        config.tcpPort = static_cast<uint16_t>(parseDecimal(form.tcpPort, 1, 65535).value_or(0));
    }
    return ConfigResult{config, {}};
}

std::string portKeyText(const PortConfig& config)
{
    switch (config.kind) {
    case PortKind::Tcp: {
        const bool ipv6 = config.host.find(':') != std::string::npos;
        const std::string host = ipv6 ? "[" + config.host + "]" : config.host;
        return "TCP:" + host + ":" + std::to_string(config.tcpPort);
    }
    case PortKind::Emulator: return "EMULATOR";
    case PortKind::Grabber: return config.grabber == 0 ? "GRABBER" : "GRABBER:" + std::to_string(config.grabber);
    case PortKind::Serial: break;
    }
    return "COM" + std::to_string(config.serial.comNumber);
}

std::string describePort(const PortConfig& config)
{
    switch (config.kind) {
    case PortKind::Tcp: return "TCP " + config.host + ":" + std::to_string(config.tcpPort);
    case PortKind::Emulator: return "Built-in KL-7700 emulator";
    case PortKind::Grabber: return "Command channel of grabber " + std::to_string(config.grabber);
    case PortKind::Serial: break;
    }
    return portKeyText(config);
}

std::string describeSettings(const PortConfig& config)
{
    switch (config.kind) {
    case PortKind::Tcp: return config.host + ":" + std::to_string(config.tcpPort);
    case PortKind::Emulator: return "In-process, no line settings";
    case PortKind::Grabber: return "Grabber " + std::to_string(config.grabber) + ", its camera and channel as Framix.ini sets them";
    case PortKind::Serial: break;
    }
    return portKeyText(config) + ", " + std::to_string(config.serial.baud) + " Baud, " +
        framingText(config.serial);
}

std::string portLockName(const PortConfig& config)
{
    // Backslashes are not allowed after the namespace prefix; host names are
    // compared without regard to case, so the name is upper-cased.
    std::string name = upper(portKeyText(config));
    std::replace(name.begin(), name.end(), '\\', '/');
    return "Local\\Quarnel.CommDev." + name;
}

} // namespace kivinst
