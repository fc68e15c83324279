// Frames out of stream packets: payload placed by packet id into the consumer's buffer,
// gaps found and asked for again within bounds, frames handed back strictly in block
// order, complete or marked incomplete, never held longer than the time limits say.
#pragma once

#include "mk_gev/Gvsp.h"

#include <cstdint>
#include <deque>
#include <span>
#include <vector>

namespace mkgev {

struct AssemblyLimits {
    uint32_t packetSize = 1500; // the stream channel's packet size, headers included
    bool resend = false;        // the device supports packet resend
    // Resend requests per frame; a device that cannot resend is not asked forever.
    uint32_t maxResendRequests = 32;
    // After its trailer, how long a frame with missing packets waits for their resend.
    uint64_t resendWaitUs = 50000;
    // A frame that gets no packet for this long is handed back as it is.
    uint64_t frameTimeoutUs = 1000000;
    // Frames assembled at once; a leader beyond it hands back the oldest.
    uint32_t maxOpenFrames = 2;
};

enum class FrameStatus {
    Complete,
    Incomplete, // payload packets or the trailer missing
    LeaderLost, // no leader: geometry and format unknown
    TooSmall,   // the frame did not fit the buffer
};

struct FrameBuffer {
    uint64_t token = 0;
    std::span<uint8_t> bytes;
};

struct AssembledFrame {
    uint16_t blockId = 0;
    FrameStatus status = FrameStatus::Complete;
    uint32_t bytes = 0; // the end of the payload written (missing packets leave holes)
    GvspLeader leader;  // zero when the leader was lost
    uint32_t missingPackets = 0;
};

class FrameTarget {
public:
    virtual ~FrameTarget() = default;
    // A buffer for a new frame, or false: the frame is dropped (counted).
    virtual bool acquire(FrameBuffer& buffer) = 0;
    // Every acquired buffer comes back exactly once, in block order.
    virtual void complete(const FrameBuffer& buffer, const AssembledFrame& frame) = 0;
    // Ask the device for packets first..last of a block again.
    virtual void resend(uint16_t blockId, uint32_t firstPacket, uint32_t lastPacket) = 0;
};

struct AssemblyCounters {
    uint64_t completed = 0, incomplete = 0, dropped = 0;
    uint64_t missingPackets = 0, resendRequests = 0, resentPackets = 0;
    uint64_t latePackets = 0, badPackets = 0;
};

class FrameAssembler {
public:
    FrameAssembler(FrameTarget& target, AssemblyLimits limits);

    void onPacket(std::span<const uint8_t> datagram, uint64_t nowUs);
    // Hands back frames whose time ran out.
    void poll(uint64_t nowUs);
    // When poll() next has something to do; UINT64_MAX when no frame is open.
    uint64_t nextDueUs() const;
    // Hands back every open frame as it is (the stream stops).
    void flush();

    const AssemblyCounters& counters() const { return counters_; }
    uint32_t payloadPerPacket() const { return payloadPerPacket_; }

private:
    struct Block {
        uint16_t id = 0;
        bool hasBuffer = false;
        FrameBuffer buffer;
        bool hasLeader = false;
        GvspLeader leader;
        bool hasTrailer = false;
        uint32_t trailerId = 0; // payload packets are 1..trailerId-1
        bool tooSmall = false;
        std::vector<bool> received; // payload packet n at n-1
        uint32_t receivedCount = 0;
        uint32_t nextExpected = 0; // packet ids below it were seen or asked for again
        uint32_t bytes = 0;
        uint32_t resendRequests = 0;
        uint64_t lastPacketUs = 0;
        uint64_t resendDeadlineUs = UINT64_MAX;
    };

    Block* findOrOpen(uint16_t blockId, uint64_t nowUs);
    void addPayload(Block& block, uint32_t packetId, std::span<const uint8_t> bytes);
    void askAgain(Block& block, uint32_t first, uint32_t last);
    uint32_t missingOf(const Block& block) const;
    bool completeNow(const Block& block) const;
    void deliverThrough(size_t index); // hands back blocks_[0..index]
    void deliverFront();

    FrameTarget& target_;
    AssemblyLimits limits_;
    uint32_t payloadPerPacket_;
    std::deque<Block> blocks_; // oldest first
    uint16_t lastDelivered_ = 0;
    AssemblyCounters counters_;
};

} // namespace mkgev
