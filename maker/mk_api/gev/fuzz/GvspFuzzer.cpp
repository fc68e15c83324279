// Arbitrary packet sequences for the frame assembler: every buffer it takes must come
// back exactly once, in order, never written past its end.
#include "mk_gev/FrameAssembler.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct Target : mkgev::FrameTarget {
    std::vector<std::vector<uint8_t>> buffers;
    std::vector<int> state; // 0 free, 1 lent, 2 back
    uint64_t lastToken = 0;
    bool anyBack = false;

    bool acquire(mkgev::FrameBuffer& buffer) override
    {
        if (buffers.size() >= 64)
            return false;
        buffers.emplace_back(buffers.size() % 3 == 2 ? 300 : 4000, 0);
        state.push_back(1);
        buffer.token = buffers.size() - 1;
        buffer.bytes = buffers.back();
        return true;
    }
    void complete(const mkgev::FrameBuffer& buffer, const mkgev::AssembledFrame& frame) override
    {
        if (buffer.token >= state.size() || state[buffer.token] != 1)
            std::abort(); // handed back twice, or never lent
        if (anyBack && buffer.token < lastToken)
            std::abort(); // out of order
        if (frame.bytes > buffers[buffer.token].size())
            std::abort();
        state[buffer.token] = 2;
        lastToken = buffer.token;
        anyBack = true;
    }
    void resend(uint16_t, uint32_t first, uint32_t last) override
    {
        if (first > last)
            std::abort();
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    Target target;
    mkgev::AssemblyLimits limits;
    limits.packetSize = 36 + 4 + data[0] * 4;
    limits.resend = data[1] & 1;
    limits.maxOpenFrames = 1 + (data[1] >> 1 & 3);
    mkgev::FrameAssembler assembler(target, limits);
    uint64_t now = 0;
    size_t at = 2;
    while (at + 1 < size) {
        size_t length = std::min<size_t>(data[at] | (data[at + 1] & 0x0F) << 8, size - at - 2);
        now += data[at + 1] >> 4 << 12;
        assembler.onPacket(std::span(data + at + 2, length), now);
        assembler.poll(now);
        at += 2 + length;
    }
    assembler.flush();
    for (int s : target.state)
        if (s != 2)
            std::abort(); // a buffer never came back
    return 0;
}
