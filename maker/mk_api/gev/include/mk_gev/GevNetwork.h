// What the GigE Vision backend opens on the wire. On a real network: UDP sockets, and the
// heartbeats and streams on threads of the backend's own. A network on virtual time (the
// tests') gives transports whose waits move its clock, and the backend then does its
// time-driven work (heartbeats, stream packets, frame time limits) in advance(), on the
// library's clock: time-outs, retries and losses are tested without sleeping.
#pragma once

#include "mk_api_core/Backend.h"
#include "mk_gev/Datagram.h"

#include <memory>
#include <string>

namespace mkgev {

class GevNetwork {
public:
    virtual ~GevNetwork() = default;
    // A transport from the interface (wire order, 0 = any) to a device's control port.
    virtual std::unique_ptr<DatagramTransport> control(uint32_t interfaceAddress, uint32_t device, uint16_t port,
                                                       std::string& error) = 0;
    // A stream channel's receiving end on the interface, taking datagrams from `device`
    // only and holding `bufferBytes` of them; `port` is where the device is to send.
    virtual std::unique_ptr<DatagramTransport> stream(uint32_t interfaceAddress, uint32_t device,
                                                      uint32_t bufferBytes, uint16_t& port, std::string& error) = 0;
    // True: heartbeats and streams on threads of their own. False: in advance().
    virtual bool ownThreads() const = 0;
    // On virtual time, when a datagram next arrives on any stream transport
    // (Backend::kNever: none is coming by itself).
    virtual uint64_t nextArrivalUs() const { return mkapi::Backend::kNever; }
};

// UDP sockets (POSIX or Winsock), threads of the backend's own.
std::unique_ptr<GevNetwork> udpNetwork();

} // namespace mkgev
