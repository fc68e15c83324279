// The receive thread over a real loopback socket: frames sent to its ephemeral port come
// back assembled, in order, and stopping hands back what is still open.
#include "mk_gev/StreamReceiver.h"
#include "mk_gev/UdpSocket.h"

#include "FakeCameraProcess.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <numeric>

namespace mkgev {
namespace {

constexpr uint32_t kLoopback = 0x7F000001;

struct Collector : FrameTarget {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::vector<uint8_t>> buffers = std::vector<std::vector<uint8_t>>(4, std::vector<uint8_t>(1000));
    size_t next = 0;
    std::vector<AssembledFrame> done;

    bool acquire(FrameBuffer& buffer) override
    {
        std::lock_guard lock(mutex);
        if (next == buffers.size())
            return false;
        buffer.token = next;
        buffer.bytes = buffers[next++];
        changed.notify_all();
        return true;
    }
    void complete(const FrameBuffer&, const AssembledFrame& frame) override
    {
        std::lock_guard lock(mutex);
        done.push_back(frame);
        changed.notify_all();
    }
    void resend(uint16_t, uint32_t, uint32_t) override {}
    // Bounded: a frame that does not come within the limit fails the test, never hangs it.
    bool waitFor(size_t count)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(10), [&] { return done.size() >= count; });
    }
    bool waitForAcquired(size_t count)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(10), [&] { return next >= count; });
    }
};

std::vector<std::vector<uint8_t>> framePackets(uint16_t block, const std::vector<uint8_t>& image)
{
    GvspLeader leader;
    leader.pixelFormat = 0x01080001;
    leader.width = 100;
    leader.height = 10;
    std::vector<std::vector<uint8_t>> packets{encodeLeader(block, leader)};
    for (uint32_t id = 1; id <= 10; ++id)
        packets.push_back(encodePayload(block, id, std::span(image).subspan((id - 1) * 100, 100)));
    GvspTrailer trailer;
    packets.push_back(encodeTrailer(block, 11, trailer));
    return packets;
}

TEST(StreamReceiverTest, FramesFromTheSocketInOrderAndOpenOnesAtStop)
{
    std::string error;
    auto socket = UdpSocket::open(kLoopback, 0, error);
    ASSERT_TRUE(socket) << error;
    socket->setPeer(kLoopback, 0);
    ASSERT_TRUE(socket->setReceiveBuffer(1 << 20));
    testing::SteadyClock clock;
    Collector target;
    AssemblyLimits limits;
    limits.packetSize = 100 + kGvspPacketOverhead;
    limits.frameTimeoutUs = 60000000; // only stop() closes the last frame here
    const uint16_t port = socket->localPort();
    StreamReceiver receiver(std::move(socket), port, target, limits, clock);
    ASSERT_NE(0, receiver.port());
    receiver.start();

    auto sender = UdpSocket::open(kLoopback, 0, error);
    ASSERT_TRUE(sender) << error;
    sender->setPeer(kLoopback, receiver.port());
    std::vector<uint8_t> image(1000);
    std::iota(image.begin(), image.end(), uint8_t(0));
    for (uint16_t block : {7, 8})
        for (const auto& packet : framePackets(block, image))
            ASSERT_EQ(DatagramStatus::Ok, sender->send(packet));
    ASSERT_TRUE(target.waitFor(2));
    // A third frame without its trailer is handed back when the stream stops.
    auto third = framePackets(9, image);
    for (size_t i = 0; i + 1 < third.size(); ++i)
        ASSERT_EQ(DatagramStatus::Ok, sender->send(third[i]));
    ASSERT_TRUE(target.waitForAcquired(3));
    receiver.stop();
    ASSERT_EQ(3u, target.done.size());
    EXPECT_EQ(7, target.done[0].blockId);
    EXPECT_EQ(FrameStatus::Complete, target.done[0].status);
    EXPECT_EQ(8, target.done[1].blockId);
    EXPECT_EQ(image, target.buffers[1]);
    EXPECT_EQ(9, target.done[2].blockId);
    EXPECT_EQ(FrameStatus::Incomplete, target.done[2].status);
    EXPECT_EQ(2u, receiver.counters().completed);
    EXPECT_EQ(1u, receiver.counters().incomplete);
    EXPECT_FALSE(receiver.broken());
}

} // namespace
} // namespace mkgev
