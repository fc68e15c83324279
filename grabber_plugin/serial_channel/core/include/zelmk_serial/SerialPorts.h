// The camera's serial ports: the fixed port table, the register map of one
// port, the four-bytes-per-register packing of its buffers, and the list of
// ports a camera offers.
#pragma once

#include "zelmk_dialogs/DialogRules.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zelmk::serial {

struct PortInfo {
    const char* name;
    const char* description;
    uint32_t base;
};

inline constexpr uint32_t kPortCount = 3;
inline constexpr PortInfo kPorts[kPortCount] = {
    {"MKAPISERIALPORT0", "Serial port 0", 0x16000},
    {"MKAPISERIALPORT1", "Serial port 1", 0x60000},
    {"MKAPISERIALPORT2", "Serial port 2", 0x61000},
};

// Offsets from a port's base; every register is 32 bits wide.
namespace reg {
inline constexpr uint32_t kCapability = 0x000; // the port exists when bits 0 and 1 are set
inline constexpr uint32_t kSupported = 0x100;  // bit n baud n; 16..18 parity; 20..23 byte size; 24..26 stop bits
inline constexpr uint32_t kMode = 0x104;
inline constexpr uint32_t kTxStatus = 0x124; // bit 0: ready to take data
inline constexpr uint32_t kTxControl = 0x128;
inline constexpr uint32_t kTxLength = 0x12C;
inline constexpr uint32_t kRxStatus = 0x144;
inline constexpr uint32_t kRxControl = 0x148;
inline constexpr uint32_t kRxLength = 0x14C;
inline constexpr uint32_t kTxBuffer = 0x400;
inline constexpr uint32_t kRxBuffer = 0x800;
inline constexpr uint32_t kBufferBytes = 0x400; // each buffer ends where the next block begins
} // namespace reg

// Control values: 3 empties the buffer and keeps the direction on, 1 turns it off.
inline constexpr uint32_t kControlOn = 3, kControlOff = 1, kRxStatusClearAll = 0xFFFFFFFF;

inline bool PortExists(uint32_t capability) { return (capability & 3u) == 3u; }

// The index of the table name equal to `name` without regard to case, else 0xFFFFFFFF.
uint32_t PortNameToIndex(std::string_view name);
// The table name, or "" beyond the table.
std::string PortIndexToName(uint32_t index);

// A port the camera offers, as the configuration dialog lists it.
using SerialPortEntry = zelmk::SerialPortEntry;

// Position of the first entry named `name` (without regard to case), else -1.
int64_t FindPortEntry(std::string_view name, const std::vector<SerialPortEntry>& list);

// ceil(n / 4): the registers n bytes take.
inline uint32_t RegistersFor(uint64_t bytes) { return static_cast<uint32_t>((bytes + 3) / 4); }

// Four bytes per register, the first in the most significant byte; the bytes
// past the end in the last register are zero.
std::vector<uint32_t> PackBytes(std::span<const uint8_t> bytes);
// The first out.size() bytes the registers carry, in the same order.
void UnpackBytes(std::span<const uint32_t> values, std::span<uint8_t> out);

} // namespace zelmk::serial
