// The datagram path under the control and stream protocols, with every wait bounded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace mkgev {

enum class DatagramStatus {
    Ok,
    Timeout, // nothing arrived in time; the path is still usable
    Broken,  // the socket is gone; nothing more will arrive
};

class DatagramTransport {
public:
    virtual ~DatagramTransport() = default;
    // Sends one datagram to the transport's peer.
    virtual DatagramStatus send(std::span<const uint8_t> datagram) = 0;
    // Waits at most `timeoutUs` for one datagram from the peer; `got` is its size (a longer
    // datagram is cut to the buffer).
    virtual DatagramStatus receive(std::span<uint8_t> buffer, uint64_t timeoutUs, size_t& got) = 0;
};

} // namespace mkgev
