// Port settings of the communication device: the stored keys, the dialog's
// fields and the texts shown to the user, parsed and formatted without the OS.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kivinst {

enum class PortKind { Serial,
                      Tcp,
                      Emulator,
                      Grabber }; // the active command channel of a grabber of Framix
enum class StopBits { One,
                      OneHalf,
                      Two };

struct SerialSettings {
    unsigned comNumber = 1; // COM1 ... COM255
    uint32_t baud = 115200;
    char parity = 'N';     // N, E, O, M or S
    unsigned dataBits = 8; // 5 ... 8
    StopBits stopBits = StopBits::One;

    bool operator==(const SerialSettings&) const = default;
};

// The serial settings are kept for every kind so that switching the kind back
// and forth in the dialog does not lose them.
struct PortConfig {
    PortKind kind = PortKind::Serial;
    SerialSettings serial;
    std::string host;     // TCP only
    uint16_t tcpPort = 0; // TCP only
    unsigned grabber = 0; // grabber only: its position in Framix's load order
    // Grabber only, not stored with the port: the Framix.ini the store names
    // under "UGIni", filled in by the device when it opens the port.
    std::string framixIni;

    bool operator==(const PortConfig&) const = default;
};

// Section and key names in the configuration store.
inline constexpr const char* kStoreSection = "CommDev_0";
inline constexpr const char* kKeyPort = "Port";
inline constexpr const char* kKeyBaud = "Baud";
inline constexpr const char* kKeyParity = "Parity";
inline constexpr const char* kKeyDataBits = "DataBits";
inline constexpr const char* kKeyStopBits = "StopBits";
// Written by the hosts: the path of Framix.ini, which a grabber port opens Framix with.
inline constexpr const char* kKeyUGIni = "UGIni";
inline constexpr unsigned kMaxGrabber = 9999;

// The stored texts; an absent key is nullopt (the serial keys then take their
// defaults, an absent "Port" means "not configured").
struct StoredPortKeys {
    std::optional<std::string> port, baud, parity, dataBits, stopBits;

    bool operator==(const StoredPortKeys&) const = default;
};

// A configuration, or why there is none.
struct ConfigResult {
    std::optional<PortConfig> config;
    std::string error;
};

ConfigResult parseStoredKeys(const StoredPortKeys& keys);
// The keys to write: "Port" always, the serial keys for every kind (see PortConfig).
StoredPortKeys toStoredKeys(const PortConfig& config);

// The dialog's fields as the user typed or picked them.
struct PortForm {
    PortKind kind = PortKind::Serial;
    std::string comNumber; // decimal text
    std::string baud;      // decimal text
    char parity = 'N';
    unsigned dataBits = 8;
    StopBits stopBits = StopBits::One;
    std::string host;
    std::string tcpPort; // decimal text
    std::string grabber; // decimal text
};

PortForm toForm(const PortConfig& config);
ConfigResult parseForm(const PortForm& form);

std::string portKeyText(const PortConfig& config);      // "COM3", "TCP:10.0.0.2:4001", "EMULATOR", "GRABBER", "GRABBER:1"
std::string describePort(const PortConfig& config);     // "COM3", "TCP 10.0.0.2:4001", "Built-in KL-7700 emulator"
std::string describeSettings(const PortConfig& config); // "COM3, 115200 Baud, 8N1", "10.0.0.2:4001", ...
std::string stopBitsText(StopBits bits);                // "1", "1.5", "2"
// Name of the kernel mutex that keeps other programs off the same port.
std::string portLockName(const PortConfig& config);

// Strict unsigned decimal: blanks around it allowed, nothing else.
std::optional<uint32_t> parseDecimal(std::string_view text, uint32_t min, uint32_t max);

} // namespace kivinst
