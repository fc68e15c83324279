// A register port over plain memory for the node map's tests, counting its accesses.
#pragma once

#include "mk_gev/NodeMap.h"

#include <cstring>
#include <map>

namespace mkgev::testing {

class MemoryPort : public RegisterPort {
public:
    std::map<uint64_t, uint8_t> bytes;
    int reads = 0, writes = 0;
    bool failing = false;

    void set32(uint64_t address, uint32_t value) // big-endian, as GigE Vision registers are
    {
        for (int i = 0; i < 4; ++i)
            bytes[address + i] = uint8_t(value >> (24 - 8 * i));
    }
    uint32_t get32(uint64_t address)
    {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v = v << 8 | bytes[address + i];
        return v;
    }

    bool read(uint64_t address, std::span<uint8_t> out) override
    {
        ++reads;
        if (failing)
            return false;
        for (size_t i = 0; i < out.size(); ++i)
            out[i] = bytes.count(address + i) ? bytes[address + i] : 0;
        return true;
    }
    bool write(uint64_t address, std::span<const uint8_t> in) override
    {
        ++writes;
        if (failing)
            return false;
        for (size_t i = 0; i < in.size(); ++i)
            bytes[address + i] = in[i];
        return true;
    }
};

} // namespace mkgev::testing
