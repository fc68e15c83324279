// Frame reassembly: packets into buffers, gaps asked for again, frames back in order.
#include "mk_gev/FrameAssembler.h"

#include <algorithm>
#include <cstring>

namespace mkgev {

FrameAssembler::FrameAssembler(FrameTarget& target, AssemblyLimits limits)
    : target_(target), limits_(limits),
      payloadPerPacket_(limits.packetSize > kGvspPacketOverhead + 4 ? limits.packetSize - kGvspPacketOverhead : 4)
{
    limits_.maxOpenFrames = std::max<uint32_t>(limits_.maxOpenFrames, 1);
}

FrameAssembler::Block* FrameAssembler::findOrOpen(uint16_t blockId, uint64_t nowUs)
{
    for (auto& block : blocks_)
        if (block.id == blockId)
            return &block;
    // A packet of a frame already handed back, or older than the newest open one.
    if (lastDelivered_ != 0 && !blockIdAfter(blockId, lastDelivered_))
        return nullptr;
    if (!blocks_.empty() && !blockIdAfter(blockId, blocks_.back().id))
        return nullptr;
    if (blocks_.size() >= limits_.maxOpenFrames)
        deliverFront();
    Block block;
    block.id = blockId;
    block.lastPacketUs = nowUs;
    block.hasBuffer = target_.acquire(block.buffer);
    if (block.hasBuffer) {
        // Room for exactly the payload packets that fit the buffer: the bound on what a
        // frame's packet ids can make us hold.
        block.received.assign((block.buffer.bytes.size() + payloadPerPacket_ - 1) / payloadPerPacket_, false);
    } else {
        ++counters_.dropped;
    }
    blocks_.push_back(std::move(block));
    return &blocks_.back();
}

void FrameAssembler::askAgain(Block& block, uint32_t first, uint32_t last)
{
    if (!limits_.resend || !block.hasBuffer || block.resendRequests >= limits_.maxResendRequests)
        return;
    ++block.resendRequests;
    ++counters_.resendRequests;
    target_.resend(block.id, first, last);
}

void FrameAssembler::addPayload(Block& block, uint32_t packetId, std::span<const uint8_t> bytes)
{
    if (!block.hasBuffer)
        return;
    if (packetId == 0 || (block.hasTrailer && packetId >= block.trailerId)) {
        ++counters_.badPackets;
        return;
    }
    uint64_t offset = uint64_t(packetId - 1) * payloadPerPacket_;
    if (packetId > block.received.size() || offset + bytes.size() > block.buffer.bytes.size()) {
        block.tooSmall = true;
        return;
    }
    if (block.received[packetId - 1])
        return;
    std::memcpy(block.buffer.bytes.data() + offset, bytes.data(), bytes.size());
    block.received[packetId - 1] = true;
    ++block.receivedCount;
    if (packetId < block.nextExpected && block.resendRequests > 0)
        ++counters_.resentPackets;
    block.bytes = std::max(block.bytes, uint32_t(offset + bytes.size()));
}

bool FrameAssembler::completeNow(const Block& block) const
{
    return block.hasBuffer && block.hasLeader && block.hasTrailer && !block.tooSmall &&
        block.receivedCount + 1 == block.trailerId;
}

uint32_t FrameAssembler::missingOf(const Block& block) const
{
    uint32_t expectedPayload = block.hasTrailer ? block.trailerId - 1 : (block.nextExpected > 0 ? block.nextExpected - 1 : 0);
    uint32_t missing = expectedPayload > block.receivedCount ? expectedPayload - block.receivedCount : 0;
    return missing + (block.hasLeader ? 0 : 1) + (block.hasTrailer ? 0 : 1);
}

void FrameAssembler::deliverFront()
{
    Block block = std::move(blocks_.front());
    blocks_.pop_front();
    lastDelivered_ = block.id;
    if (!block.hasBuffer)
        return;
    AssembledFrame frame;
    frame.blockId = block.id;
    frame.bytes = block.bytes;
    if (block.hasLeader)
        frame.leader = block.leader;
    bool complete = completeNow(block);
    frame.missingPackets = complete ? 0 : missingOf(block);
    if (block.tooSmall)
        frame.status = FrameStatus::TooSmall;
    else if (!block.hasLeader)
        frame.status = FrameStatus::LeaderLost;
    else
        frame.status = complete ? FrameStatus::Complete : FrameStatus::Incomplete;
    if (frame.status == FrameStatus::Complete)
        ++counters_.completed;
    else
        ++counters_.incomplete;
    counters_.missingPackets += frame.missingPackets;
    target_.complete(block.buffer, frame);
}

void FrameAssembler::deliverThrough(size_t index)
{
    for (size_t i = 0; i <= index && !blocks_.empty(); ++i)
        deliverFront();
}

void FrameAssembler::onPacket(std::span<const uint8_t> datagram, uint64_t nowUs)
{
    GvspPacketView packet;
    if (decodeGvsp(datagram, packet) != DecodeError::None || packet.blockId == 0) {
        ++counters_.badPackets;
        return;
    }
    Block* block = findOrOpen(packet.blockId, nowUs);
    if (!block) {
        ++counters_.latePackets;
        return;
    }
    block->lastPacketUs = nowUs;
    uint32_t id = packet.packetId;
    switch (GvspContent(packet.content)) {
    case GvspContent::Leader:
        if (id != 0 || decodeLeader(packet, block->leader) != DecodeError::None) {
            ++counters_.badPackets;
            return;
        }
        block->hasLeader = true;
        block->nextExpected = std::max<uint32_t>(block->nextExpected, 1);
        break;
    case GvspContent::Payload:
        if (id > block->nextExpected)
            askAgain(*block, block->nextExpected, id - 1);
        addPayload(*block, id, packet.data);
        block->nextExpected = std::max(block->nextExpected, id + 1);
        break;
    case GvspContent::Trailer: {
        GvspTrailer trailer;
        if (id == 0 || block->hasTrailer || decodeTrailer(packet, trailer) != DecodeError::None) {
            ++counters_.badPackets;
            return;
        }
        block->hasTrailer = true;
        block->trailerId = id;
        if (block->hasBuffer && id - 1 > block->received.size())
            block->tooSmall = true;
        if (id > block->nextExpected)
            askAgain(*block, block->nextExpected, id - 1);
        block->nextExpected = std::max(block->nextExpected, id + 1);
        // Its successor's trailer closes every older frame.
        size_t index = 0;
        for (size_t i = 0; i < blocks_.size(); ++i)
            if (&blocks_[i] == block)
                index = i;
        if (index > 0) {
            deliverThrough(index - 1);
            block = &blocks_.front();
        }
        // Only a frame whose missing packets were asked for waits for them.
        bool waiting = block->hasBuffer && !completeNow(*block) && !block->tooSmall && block->resendRequests > 0;
        if (!waiting) {
            deliverThrough(0);
            return;
        }
        block->resendDeadlineUs = nowUs + limits_.resendWaitUs;
        return;
    }
    default: ++counters_.badPackets; return;
    }
    // A resent packet may be the one that completes a frame waiting after its trailer.
    if (block->hasTrailer && completeNow(*block)) {
        for (size_t i = 0; i < blocks_.size(); ++i)
            if (&blocks_[i] == block) {
                deliverThrough(i);
                break;
            }
    }
}

void FrameAssembler::poll(uint64_t nowUs)
{
    size_t last = blocks_.size();
    for (size_t i = 0; i < blocks_.size(); ++i) {
        const Block& block = blocks_[i];
        if (nowUs >= block.resendDeadlineUs || nowUs - block.lastPacketUs >= limits_.frameTimeoutUs)
            last = i;
    }
    if (last < blocks_.size())
        deliverThrough(last);
}

uint64_t FrameAssembler::nextDueUs() const
{
    uint64_t due = UINT64_MAX;
    for (const Block& block : blocks_)
        due = std::min({due, block.resendDeadlineUs, block.lastPacketUs + limits_.frameTimeoutUs});
    return due;
}

void FrameAssembler::flush()
{
    while (!blocks_.empty())
        deliverFront();
}

} // namespace mkgev
