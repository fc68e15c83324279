// A stream channel's receiving end: its own thread takes datagrams from the socket and
// feeds them to a frame assembler, whose target is called from that thread. Stopping is
// bounded by the socket's poll interval.
#pragma once

#include "mk_api_core/Backend.h"
#include "mk_gev/FrameAssembler.h"
#include "mk_gev/UdpSocket.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

namespace mkgev {

class StreamReceiver {
public:
    // Polls the socket at most this long before it looks at the stop flag and the
    // assembler's time limits again.
    static constexpr uint64_t kPollUs = 20000;

    StreamReceiver(std::unique_ptr<UdpSocket> socket, FrameTarget& target, AssemblyLimits limits,
                   const mkapi::Clock& clock);
    ~StreamReceiver();
    StreamReceiver(const StreamReceiver&) = delete;
    StreamReceiver& operator=(const StreamReceiver&) = delete;

    uint16_t port() const { return port_; }
    void start();
    // Returns when the thread has ended; every frame still open is handed back before.
    void stop();

    AssemblyCounters counters() const;
    // The socket failed: the thread ended by itself.
    bool broken() const { return broken_; }

private:
    void run();

    std::unique_ptr<UdpSocket> socket_;
    const mkapi::Clock& clock_;
    uint16_t port_;
    FrameAssembler assembler_;
    mutable std::mutex countersMutex_;
    AssemblyCounters counters_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> broken_{false};
    std::thread thread_;
};

} // namespace mkgev
