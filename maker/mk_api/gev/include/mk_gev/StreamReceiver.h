// A stream channel's receiving end: its own thread takes datagrams from the socket and
// feeds them to a frame assembler, whose target is called from that thread. Stopping is
// bounded by the socket's poll interval. On virtual time there is no thread: pump() takes
// what has arrived and applies the time limits, on the caller's thread.
#pragma once

#include "mk_api_core/Backend.h"
#include "mk_gev/Datagram.h"
#include "mk_gev/FrameAssembler.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace mkgev {

class StreamReceiver {
public:
    // Polls the socket at most this long before it looks at the stop flag and the
    // assembler's time limits again.
    static constexpr uint64_t kPollUs = 20000;
    // Datagrams one pump() takes at most, so a flood cannot hold its caller.
    static constexpr int kMaxPerPump = 4096;

    // `port` is the local port the socket is bound to, where the device is to send.
    StreamReceiver(std::unique_ptr<DatagramTransport> socket, uint16_t port, FrameTarget& target,
                   AssemblyLimits limits, const mkapi::Clock& clock);
    ~StreamReceiver();
    StreamReceiver(const StreamReceiver&) = delete;
    StreamReceiver& operator=(const StreamReceiver&) = delete;

    uint16_t port() const { return port_; }
    // Starts the receive thread.
    void start();
    // Without a thread: every datagram there now, then the time limits at the clock's now.
    void pump();
    // When pump() next has a time limit to apply; Backend::kNever when no frame is open.
    uint64_t nextDueUs() const;
    // Returns when the thread has ended; every frame still open is handed back before.
    void stop();

    AssemblyCounters counters() const;
    // The socket failed: the thread ended by itself.
    bool broken() const { return broken_; }

private:
    void run();
    // One receive waiting at most `timeoutUs`, then the time limits; under mutex_.
    DatagramStatus step(uint64_t timeoutUs);

    std::unique_ptr<DatagramTransport> socket_;
    const mkapi::Clock& clock_;
    const uint16_t port_;
    // The assembler and the packet buffer: the thread (or pump) and stop() take turns.
    mutable std::mutex mutex_;
    FrameAssembler assembler_;
    std::vector<uint8_t> packet_;
    bool stopped_ = false;
    mutable std::mutex countersMutex_;
    AssemblyCounters counters_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> broken_{false};
    std::thread thread_;
};

} // namespace mkgev
