// Stream packets byte for byte, and frames assembled from them: in order, with packets
// lost, resent, late, duplicated, too many, and block ids wrapping.
#include "mk_gev/FrameAssembler.h"
#include "mk_gev/Gvsp.h"

#include <gtest/gtest.h>

#include <deque>
#include <numeric>
#include <string>

namespace mkgev {
namespace {

using Bytes = std::vector<uint8_t>;

std::string hex(const Bytes& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (uint8_t b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

TEST(GvspCodecTest, PacketsAreByteExact)
{
    GvspLeader leader;
    leader.timestamp = 0x0000000100000002ull;
    leader.pixelFormat = 0x01080001;
    leader.width = 512;
    leader.height = 480;
    leader.offsetX = 4;
    leader.offsetY = 2;
    const uint8_t bytes[] = {0xAA, 0xBB, 0xCC};
    GvspTrailer trailer;
    trailer.hasHeight = true;
    trailer.height = 480;
    struct Case {
        const char* what;
        Bytes packet;
        const char* expected;
    };
    const Case cases[] = {
        {"leader", encodeLeader(0x1234, leader),
         "00001234"
         "01000000"
         "0000"
         "0001"
         "00000001"
         "00000002"
         "01080001"
         "00000200"
         "000001e0"
         "00000004"
         "00000002"
         "0000"
         "0000"},
        {"payload", encodePayload(7, 0x123456, bytes), "00000007"
                                                       "03123456"
                                                       "aabbcc"},
        {"trailer", encodeTrailer(0xFFFF, 42, trailer), "0000ffff"
                                                        "0200002a"
                                                        "0000"
                                                        "0001"
                                                        "000001e0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.expected, hex(c.packet));
    }
}

TEST(GvspCodecTest, DecodingGivesTheFieldsBackAndRefusesOddPackets)
{
    GvspLeader leader;
    leader.pixelFormat = 0x02180014;
    leader.width = 640;
    leader.height = 480;
    leader.timestamp = 0x123456789ABCull;
    Bytes packet = encodeLeader(9, leader);
    GvspPacketView view;
    ASSERT_EQ(DecodeError::None, decodeGvsp(packet, view));
    EXPECT_EQ(9, view.blockId);
    EXPECT_EQ(uint8_t(GvspContent::Leader), view.content);
    GvspLeader back;
    ASSERT_EQ(DecodeError::None, decodeLeader(view, back));
    EXPECT_EQ(leader.pixelFormat, back.pixelFormat);
    EXPECT_EQ(640u, back.width);
    EXPECT_EQ(480u, back.height);
    EXPECT_EQ(leader.timestamp, back.timestamp);

    Bytes shortLeader(packet.begin(), packet.end() - 1);
    Bytes chunkLeader = packet;
    chunkLeader[11] = 0x04; // payload type 4: not an image
    Bytes extended = packet;
    extended[4] |= 0x80;
    struct Case {
        const char* what;
        Bytes packet;
        DecodeError header, leader;
    };
    const Case cases[] = {
        {"seven bytes", Bytes(7, 0), DecodeError::TooShort, DecodeError::None},
        {"extended ids", extended, DecodeError::Unsupported, DecodeError::None},
        {"leader cut short", shortLeader, DecodeError::None, DecodeError::TooShort},
        {"leader of another payload", chunkLeader, DecodeError::None, DecodeError::Unsupported},
        {"payload as leader", encodePayload(1, 1, Bytes(36, 0)), DecodeError::None, DecodeError::UnexpectedCode},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(c.header, decodeGvsp(c.packet, view));
        if (c.header == DecodeError::None) {
            EXPECT_EQ(c.leader, decodeLeader(view, back));
        }
    }
}

TEST(GvspCodecTest, BlockIdsWrapPastZero)
{
    EXPECT_EQ(2, nextBlockId(1));
    EXPECT_EQ(1, nextBlockId(0xFFFF));
    struct Case {
        uint16_t id, reference;
        bool after;
    };
    const Case cases[] = {{2, 1, true}, {1, 2, false}, {1, 0xFFFF, true}, {0xFFFF, 1, false}, {100, 0xFF00, true}, {0x8000, 1, false}, {5, 5, false}, {0, 5, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.id) + " after " + std::to_string(c.reference));
        EXPECT_EQ(c.after, blockIdAfter(c.id, c.reference));
    }
}

// A consumer with a pool of buffers that records what comes back.
struct Recorder : FrameTarget {
    std::deque<Bytes> pool;
    std::deque<Bytes> inUse;
    size_t bufferSize = 0;
    int buffersLeft = 100;
    struct Done {
        AssembledFrame frame;
        Bytes bytes;
    };
    std::vector<Done> done;
    struct Resend {
        uint16_t block;
        uint32_t first, last;
    };
    std::vector<Resend> resends;

    bool acquire(FrameBuffer& buffer) override
    {
        if (buffersLeft == 0)
            return false;
        --buffersLeft;
        inUse.emplace_back(bufferSize, 0);
        buffer.token = inUse.size() - 1;
        buffer.bytes = inUse.back();
        return true;
    }
    void complete(const FrameBuffer& buffer, const AssembledFrame& frame) override
    {
        Bytes& bytes = inUse[buffer.token];
        done.push_back({frame, Bytes(bytes.begin(), bytes.begin() + frame.bytes)});
    }
    void resend(uint16_t block, uint32_t first, uint32_t last) override { resends.push_back({block, first, last}); }
};

// One frame as a device sends it: 1000 bytes in packets of 100 payload bytes.
struct FrameFixture : ::testing::Test {
    static constexpr uint32_t kPacket = 100 + kGvspPacketOverhead;
    Recorder target;
    Bytes image = Bytes(1000);
    uint64_t now = 0;

    void SetUp() override
    {
        std::iota(image.begin(), image.end(), uint8_t(1));
        target.bufferSize = 1000;
    }

    std::vector<Bytes> packetsOf(uint16_t block)
    {
        GvspLeader leader;
        leader.pixelFormat = 0x01080001;
        leader.width = 100;
        leader.height = 10;
        std::vector<Bytes> packets{encodeLeader(block, leader)};
        for (uint32_t id = 1; id <= 10; ++id)
            packets.push_back(encodePayload(block, id, std::span(image).subspan((id - 1) * 100, 100)));
        GvspTrailer trailer;
        trailer.hasHeight = true;
        trailer.height = 10;
        packets.push_back(encodeTrailer(block, 11, trailer));
        return packets;
    }

    void send(FrameAssembler& assembler, const std::vector<Bytes>& packets, std::initializer_list<size_t> lost = {})
    {
        for (size_t i = 0; i < packets.size(); ++i) {
            if (std::find(lost.begin(), lost.end(), i) != lost.end())
                continue;
            now += 10;
            assembler.onPacket(packets[i], now);
        }
    }
};

TEST_F(FrameFixture, LossesGiveTheRightStatusAndResends)
{
    struct Case {
        const char* what;
        bool resend;
        std::vector<size_t> lost;
        FrameStatus status;
        uint32_t missing;
        std::vector<std::pair<uint32_t, uint32_t>> asked;
    };
    const Case cases[] = {
        {"nothing lost", true, {}, FrameStatus::Complete, 0, {}},
        {"a payload packet, no resend", false, {4}, FrameStatus::Incomplete, 1, {}},
        {"two runs of payload", true, {2, 3, 7}, FrameStatus::Incomplete, 3, {{2, 3}, {7, 7}}},
        {"the last payload packet", true, {10}, FrameStatus::Incomplete, 1, {{10, 10}}},
        {"the leader", true, {0}, FrameStatus::LeaderLost, 1, {{0, 0}}},
        {"the leader, no resend", false, {0}, FrameStatus::LeaderLost, 1, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        target.done.clear();
        target.resends.clear();
        FrameAssembler assembler(target, AssemblyLimits{kPacket, c.resend});
        auto packets = packetsOf(1);
        for (size_t i = 0; i < packets.size(); ++i)
            if (std::find(c.lost.begin(), c.lost.end(), i) == c.lost.end())
                assembler.onPacket(packets[i], now += 10);
        if (c.resend && !c.lost.empty()) {
            // Waiting for the resend that never comes, bounded.
            EXPECT_TRUE(target.done.empty());
            assembler.poll(now + AssemblyLimits{}.resendWaitUs - 1);
            EXPECT_TRUE(target.done.empty());
            assembler.poll(now + AssemblyLimits{}.resendWaitUs);
        }
        ASSERT_EQ(1u, target.done.size());
        const auto& frame = target.done[0].frame;
        EXPECT_EQ(c.status, frame.status);
        EXPECT_EQ(c.missing, frame.missingPackets);
        ASSERT_EQ(c.asked.size(), target.resends.size());
        for (size_t i = 0; i < c.asked.size(); ++i) {
            EXPECT_EQ(1, target.resends[i].block);
            EXPECT_EQ(c.asked[i].first, target.resends[i].first);
            EXPECT_EQ(c.asked[i].second, target.resends[i].last);
        }
        if (c.status == FrameStatus::Complete) {
            EXPECT_EQ(image, target.done[0].bytes);
            EXPECT_EQ(100u, frame.leader.width);
            EXPECT_EQ(0x01080001u, frame.leader.pixelFormat);
        }
        EXPECT_EQ(UINT64_MAX, assembler.nextDueUs());
    }
}

TEST_F(FrameFixture, ResentPacketsCompleteTheFrame)
{
    FrameAssembler assembler(target, AssemblyLimits{kPacket, true});
    auto packets = packetsOf(5);
    send(assembler, packets, {3, 4});
    ASSERT_EQ(1u, target.resends.size());
    EXPECT_TRUE(target.done.empty());
    EXPECT_EQ(now + AssemblyLimits{}.resendWaitUs, assembler.nextDueUs());
    assembler.onPacket(packets[4], now += 10);
    assembler.onPacket(packets[4], now += 10); // a duplicate changes nothing
    EXPECT_TRUE(target.done.empty());
    assembler.onPacket(packets[3], now += 10);
    ASSERT_EQ(1u, target.done.size());
    EXPECT_EQ(FrameStatus::Complete, target.done[0].frame.status);
    EXPECT_EQ(image, target.done[0].bytes);
    EXPECT_EQ(2u, assembler.counters().resentPackets);
    // Packets of a frame already handed back are late, never a new frame.
    assembler.onPacket(packets[2], now += 10);
    EXPECT_EQ(1u, assembler.counters().latePackets);
    EXPECT_EQ(1u, target.done.size());
}

TEST_F(FrameFixture, ALostTrailerIsClosedByTheNextFramesTrailerInOrder)
{
    FrameAssembler assembler(target, AssemblyLimits{kPacket, false});
    send(assembler, packetsOf(0xFFFF), {11});
    EXPECT_TRUE(target.done.empty());
    send(assembler, packetsOf(1)); // the id wraps past 65535 to 1
    ASSERT_EQ(2u, target.done.size());
    EXPECT_EQ(0xFFFF, target.done[0].frame.blockId);
    EXPECT_EQ(FrameStatus::Incomplete, target.done[0].frame.status);
    EXPECT_EQ(1u, target.done[0].frame.missingPackets);
    EXPECT_EQ(image, target.done[0].bytes); // the image itself all came
    EXPECT_EQ(1, target.done[1].frame.blockId);
    EXPECT_EQ(FrameStatus::Complete, target.done[1].frame.status);
}

TEST_F(FrameFixture, SilenceAndTooManyOpenFramesHandFramesBack)
{
    AssemblyLimits limits{kPacket, false};
    limits.frameTimeoutUs = 5000;
    FrameAssembler assembler(target, limits);
    auto first = packetsOf(1);
    send(assembler, {first.begin(), first.begin() + 5});
    EXPECT_EQ(now + 5000, assembler.nextDueUs());
    assembler.poll(now + 4999);
    EXPECT_TRUE(target.done.empty());
    assembler.poll(now + 5000);
    ASSERT_EQ(1u, target.done.size());
    EXPECT_EQ(FrameStatus::Incomplete, target.done[0].frame.status);
    EXPECT_EQ(400u, target.done[0].frame.bytes);

    // Three leaders without trailers: only two frames are held at once.
    for (uint16_t block : {2, 3, 4})
        assembler.onPacket(packetsOf(block)[0], now += 10);
    ASSERT_EQ(2u, target.done.size());
    EXPECT_EQ(2, target.done[1].frame.blockId);
    assembler.flush();
    ASSERT_EQ(4u, target.done.size());
    EXPECT_EQ(3, target.done[2].frame.blockId);
    EXPECT_EQ(4, target.done[3].frame.blockId);
}

TEST_F(FrameFixture, NoBufferDropsTheFrameAndASmallBufferIsNeverOverrun)
{
    FrameAssembler assembler(target, AssemblyLimits{kPacket, true});
    target.buffersLeft = 0;
    send(assembler, packetsOf(1), {3});
    EXPECT_TRUE(target.done.empty());
    EXPECT_TRUE(target.resends.empty()); // a dropped frame is not asked for again
    EXPECT_EQ(1u, assembler.counters().dropped);

    target.buffersLeft = 1;
    target.bufferSize = 950;
    send(assembler, packetsOf(2));
    ASSERT_EQ(1u, target.done.size());
    EXPECT_EQ(FrameStatus::TooSmall, target.done[0].frame.status);
    EXPECT_LE(target.done[0].frame.bytes, 950u);
}

TEST_F(FrameFixture, PacketIdsBeyondTheTrailerAndBrokenPacketsAreCounted)
{
    FrameAssembler assembler(target, AssemblyLimits{kPacket, false});
    auto packets = packetsOf(3);
    send(assembler, {packets.begin(), packets.begin() + 3});
    assembler.onPacket(Bytes{0, 0, 0, 3}, now += 10);             // cut short
    assembler.onPacket(encodePayload(0, 1, Bytes(4)), now += 10); // block id 0
    assembler.onPacket(encodePayload(3, 0, Bytes(4)), now += 10); // payload with the leader's id
    EXPECT_EQ(3u, assembler.counters().badPackets);
    EXPECT_TRUE(target.done.empty());
}

} // namespace
} // namespace mkgev
