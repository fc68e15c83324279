// One register call as the tests' transcripts keep it: read or write, the
// addresses and (for writes) the values; printed as "W 60104=1e09 ...".
#pragma once

#include <cstdint>
#include <ostream>
#include <vector>

namespace zelmk::serial::test_support {

struct Call {
    bool write;
    std::vector<uint32_t> addresses;
    std::vector<uint32_t> values;
    bool operator==(const Call&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Call& call)
{
    out << (call.write ? "W" : "R") << std::hex;
    for (size_t i = 0; i < call.addresses.size(); ++i) {
        out << " " << call.addresses[i];
        if (call.write) out << "=" << call.values[i];
    }
    return out << std::dec;
}

inline Call W(std::vector<uint32_t> addresses, std::vector<uint32_t> values)
{
    return {true, std::move(addresses), std::move(values)};
}
inline Call R(std::vector<uint32_t> addresses) { return {false, std::move(addresses), {}}; }

} // namespace zelmk::serial::test_support
