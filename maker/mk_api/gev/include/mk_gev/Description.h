// A device's description XML: found through its first URL, read from its memory, and
// inflated when it is a zip archive; and the register port that serves the node map
// over the control client.
#pragma once

#include "mk_gev/GvcpClient.h"
#include "mk_gev/NodeMap.h"

#include <span>
#include <string>

namespace mkgev {

// A zip archive's single XML file (or its first file), inflated with zlib and checked
// against its CRC. Archives and files larger than kMaxDescriptionBytes are refused.
inline constexpr size_t kMaxDescriptionBytes = 64u << 20;
std::string unzipDescription(std::span<const uint8_t> archive, std::string& xml);

// Reads the description through the URL in the bootstrap registers: the first URL, and
// the second when the first cannot be used. `source` gets the URL that was read.
std::string readDescription(GvcpClient& client, std::string& xml, std::string* source = nullptr);

// The node map's register port on a GigE Vision device. Reads go by read memory (one
// register: read register); writes by write register, word by word, unless the device
// can write memory.
class GvcpPort : public RegisterPort {
public:
    explicit GvcpPort(GvcpClient& client, bool writeMemory = false) : client_(client), writeMemory_(writeMemory) {}
    bool read(uint64_t address, std::span<uint8_t> bytes) override;
    bool write(uint64_t address, std::span<const uint8_t> bytes) override;
    const GvcpResult& lastResult() const { return last_; }

private:
    GvcpClient& client_;
    bool writeMemory_;
    GvcpResult last_;
};

} // namespace mkgev
