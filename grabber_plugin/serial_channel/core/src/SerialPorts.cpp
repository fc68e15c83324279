// The port table's lookups and the buffers' byte packing.
#include "zelmk_serial/SerialPorts.h"

#include "zelmk_serial/SerialSettings.h"

namespace zelmk::serial {

uint32_t PortNameToIndex(std::string_view name)
{
    for (uint32_t i = 0; i < kPortCount; ++i)
        if (EqualsNoCase(name, kPorts[i].name)) return i;
    return 0xFFFFFFFFu;
}

std::string PortIndexToName(uint32_t index) { return index < kPortCount ? kPorts[index].name : ""; }

int64_t FindPortEntry(std::string_view name, const std::vector<SerialPortEntry>& list)
{
    for (size_t i = 0; i < list.size(); ++i)
        if (EqualsNoCase(name, list[i].name)) return static_cast<int64_t>(i);
    return -1;
}

std::vector<uint32_t> PackBytes(std::span<const uint8_t> bytes)
{
    std::vector<uint32_t> values(RegistersFor(bytes.size()), 0);
    for (size_t i = 0; i < bytes.size(); ++i) values[i / 4] |= uint32_t{bytes[i]} << (24 - 8 * (i % 4));
    return values;
}

void UnpackBytes(std::span<const uint32_t> values, std::span<uint8_t> out)
{
    for (size_t i = 0; i < out.size() && i / 4 < values.size(); ++i)
        out[i] = static_cast<uint8_t>(values[i / 4] >> (24 - 8 * (i % 4)));
}

} // namespace zelmk::serial
