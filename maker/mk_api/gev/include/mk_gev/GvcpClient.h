// The host's side of the control protocol over a datagram transport: one command at a
// time, acknowledges matched by request id, retries and pending acknowledges bounded, and
// the control channel with its heartbeat. Time comes from the injected clock only.
#pragma once

#include "mk_api_core/Backend.h"
#include "mk_gev/Bootstrap.h"
#include "mk_gev/Datagram.h"
#include "mk_gev/Gvcp.h"

#include <atomic>
#include <mutex>
#include <string>

namespace mkgev {

struct GvcpOptions {
    uint32_t retries = 3;         // resends of an unanswered command, same request id
    uint32_t timeoutMs = 200;     // per attempt
    uint32_t maxPendingMs = 5000; // all pending acknowledges of one command together
};

enum class GvcpOutcome {
    Ok,
    Nack,      // the device answered with a status other than success
    Timeout,   // no answer after every retry
    Broken,    // the transport is gone
    BadAnswer, // an answer to our request id that cannot be decoded or does not fit
    BadArgument,
};

struct GvcpResult {
    GvcpOutcome outcome = GvcpOutcome::Ok;
    uint16_t status = 0; // the device's status for Nack
    bool ok() const { return outcome == GvcpOutcome::Ok; }
    std::string message() const;
};

struct GvcpCounters {
    uint32_t commands = 0, retries = 0, timeouts = 0, pending = 0, stale = 0;
};

class GvcpClient {
public:
    GvcpClient(DatagramTransport& transport, const mkapi::Clock& clock, GvcpOptions options = {});

    void setOptions(const GvcpOptions& options);
    GvcpOptions options() const;
    // Whether the device reads several registers in one command (capability bit 0).
    void setMultipleReads(bool allowed);

    GvcpResult discover(DeviceInfo& info);
    GvcpResult readRegister(uint32_t address, uint32_t& value);
    GvcpResult writeRegister(uint32_t address, uint32_t value);
    // Split into as many commands as the packet size and the device allow; `done` counts
    // the registers read or written before the first failure.
    GvcpResult readRegisters(std::span<const uint32_t> addresses, std::span<uint32_t> values, size_t& done);
    GvcpResult writeRegisters(std::span<const uint32_t> addresses, std::span<const uint32_t> values, size_t& done);
    // Any address and length: unaligned ends are read as whole words and cut; written
    // ones must be word aligned. `done` counts bytes.
    GvcpResult readMemory(uint32_t address, std::span<uint8_t> bytes, size_t& done);
    GvcpResult writeMemory(uint32_t address, std::span<const uint8_t> bytes, size_t& done);
    // Sent once, unacknowledged: the answer is the stream packets again.
    GvcpResult requestResend(uint16_t channel, uint16_t blockId, uint32_t firstPacket, uint32_t lastPacket);

    GvcpCounters counters() const;

private:
    using AckHandler = GvcpResult (*)(const GvcpAckView& ack, void* context);
    GvcpResult transact(std::vector<uint8_t> command, uint16_t ackCode, AckHandler handler, void* context);
    uint16_t nextRequestId();

    DatagramTransport& transport_;
    const mkapi::Clock& clock_;
    mutable std::mutex mutex_;
    GvcpOptions options_;
    bool multipleReads_ = false;
    uint16_t requestId_ = 0;
    GvcpCounters counters_;
};

// The control channel privilege and its heartbeat, as plain scheduling logic: the caller
// (a thread of its own, or a test) calls tick() at nextDueUs(). held() and lost() may be
// asked from any thread; take(), release() and tick() come from one at a time.
class ControlChannel {
public:
    ControlChannel(GvcpClient& client, const mkapi::Clock& clock);

    // Writes the privilege register, then reads the device's heartbeat time-out.
    GvcpResult take(bool exclusive);
    // Gives control back; the heartbeat stops.
    GvcpResult release();

    bool held() const { return held_; }
    // The device stopped answering for longer than its heartbeat time-out, or no longer
    // lists us as in control.
    bool lost() const { return lost_; }
    uint32_t heartbeatTimeoutMs() const { return heartbeatTimeoutMs_; }
    // When the next heartbeat is due; kNever when control is not held.
    uint64_t nextDueUs() const;
    // Sends the heartbeat if it is due at `nowUs`.
    void tick();

    static constexpr uint64_t kNever = UINT64_MAX;
    // The device's time-out is clamped to this range: a heartbeat more often than every
    // 100 ms only loads the link, and a device that waits longer than a minute would keep
    // a dead host's control for too long to be useful.
    static constexpr uint32_t kMinTimeoutMs = 300;
    static constexpr uint32_t kMaxTimeoutMs = 60000;

private:
    GvcpClient& client_;
    const mkapi::Clock& clock_;
    // Read from other threads while the heartbeat thread ticks.
    std::atomic<bool> held_{false};
    std::atomic<bool> lost_{false};
    uint32_t heartbeatTimeoutMs_ = 3000;
    uint64_t lastSuccessUs_ = 0;
    uint64_t nextDueUs_ = kNever;
};

} // namespace mkgev
