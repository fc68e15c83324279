// A UDP socket as a datagram transport (POSIX sockets or Winsock). Broadcast stays off
// unless enableBroadcast() is called (only for a discovery the description file asks for):
// without it a datagram to a broadcast address is refused by the system, so nothing built
// on it can reach beyond the addresses it is given.
#pragma once

#include "mk_gev/Datagram.h"

#include <memory>
#include <string>

namespace mkgev {

class UdpSocket : public DatagramTransport {
public:
    // Binds to `localAddress` (wire order, 0 = any) and `localPort` (0 = ephemeral).
    // nullptr with `error` saying why.
    static std::unique_ptr<UdpSocket> open(uint32_t localAddress, uint16_t localPort, std::string& error);
    ~UdpSocket() override;

    // Where send() goes; receive() then takes datagrams from that address only.
    void setPeer(uint32_t address, uint16_t port);
    uint16_t localPort() const;
    uint32_t localAddress() const;
    // Asks the system for a receive buffer of `bytes` (a stream needs at least one frame).
    bool setReceiveBuffer(uint32_t bytes);
    // Lets send() reach a broadcast peer.
    bool enableBroadcast();

    DatagramStatus send(std::span<const uint8_t> datagram) override;
    DatagramStatus receive(std::span<uint8_t> buffer, uint64_t timeoutUs, size_t& got) override;

    // The sender of the last datagram received (wire order), for discovery answers.
    uint32_t lastSender() const { return lastSender_; }

    struct Impl;

private:
    explicit UdpSocket(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
    uint32_t peerAddress_ = 0;
    uint16_t peerPort_ = 0;
    uint32_t lastSender_ = 0;
};

} // namespace mkgev
