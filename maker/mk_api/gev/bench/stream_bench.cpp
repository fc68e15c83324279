// Stream throughput against Debian's camera simulator on 127.0.0.1: frames per second,
// bytes per second and lost packets for 512x512 Mono8 at the simulator's highest rate.
// Prints figures; never a test. Run it in a private network namespace beside Aravis's own
// arv-camera-test-0.8 to compare (see README.md).
#include "mk_gev/Description.h"
#include "mk_gev/FrameAssembler.h"
#include "mk_gev/GvcpClient.h"
#include "mk_gev/UdpSocket.h"

#include "../tests/FakeCameraProcess.h"

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace mkgev;

namespace {

constexpr uint32_t kLoopback = 0x7F000001;

struct Pool : FrameTarget {
    std::vector<std::vector<uint8_t>> buffers;
    size_t next = 0;
    bool acquire(FrameBuffer& buffer) override
    {
        // Buffers cycle as a consumer would give them back at once.
        buffer.token = next;
        buffer.bytes = buffers[next];
        next = (next + 1) % buffers.size();
        return true;
    }
    void complete(const FrameBuffer&, const AssembledFrame&) override {}
    void resend(uint16_t, uint32_t, uint32_t) override {}
};

int fail(const std::string& what)
{
    std::fprintf(stderr, "stream bench: %s\n", what.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    std::string simulator = argc > 1 ? argv[1] : MK_GEV_FAKE_CAMERA;
    double seconds = argc > 2 ? std::atof(argv[2]) : 5.0;
    if (simulator.empty()) {
        std::printf("stream bench: no arv-fake-gv-camera-0.8 (./suite setup extracts it); nothing measured\n");
        return 0;
    }
    std::string error;
    {
        auto probe = UdpSocket::open(kLoopback, kGvcpPort, error);
        if (!probe) {
            std::printf("stream bench: 127.0.0.1:%u is busy; nothing measured\n", kGvcpPort);
            return 0;
        }
    }
    testing::Simulator camera;
    if (!camera.start(simulator, 0, error))
        return fail(error);
    testing::SteadyClock clock;
    auto control = UdpSocket::open(kLoopback, 0, error);
    if (!control)
        return fail(error);
    control->setPeer(kLoopback, kGvcpPort);
    GvcpClient client(*control, clock, GvcpOptions{20, 250, 2000});
    DeviceInfo info;
    if (GvcpResult r = client.discover(info); !r.ok() || info.serialNumber != testing::kSimulatorSerial)
        return fail("no answer from the simulator: " + r.message());
    client.setOptions(GvcpOptions{3, 250, 2000});
    ControlChannel channel(client, clock);
    if (!channel.take(false).ok())
        return fail("control not granted");
    std::string xml;
    if (error = readDescription(client, xml); !error.empty())
        return fail(error);
    auto map = NodeMap::parse(xml, error);
    if (!map)
        return fail(error);
    GvcpPort port(client);
    map->setPort(&port);
    IntRange period;
    if (map->setInt("Width", 512) != NodeError::None || map->setInt("Height", 512) != NodeError::None ||
        map->setEnum("PixelFormat", "Mono8") != NodeError::None ||
        map->intRange("AcquisitionFramePeriod", period) != NodeError::None ||
        map->setInt("AcquisitionFramePeriod", period.minimum) != NodeError::None)
        return fail("cannot set 512x512 Mono8 at the highest rate");
    uint32_t packetSize = 0;
    client.readRegister(bootstrap::StreamChannelPacketSize, packetSize);
    packetSize &= 0xFFFF;

    auto stream = UdpSocket::open(kLoopback, 0, error);
    if (!stream)
        return fail(error);
    stream->setPeer(kLoopback, 0);
    stream->setReceiveBuffer(8u << 20);
    client.writeRegister(bootstrap::StreamChannelDestination, kLoopback);
    client.writeRegister(bootstrap::StreamChannelPort, stream->localPort());
    Pool pool;
    pool.buffers.assign(8, std::vector<uint8_t>(512 * 512));
    AssemblyLimits limits;
    limits.packetSize = packetSize;
    FrameAssembler assembler(pool, limits);
    map->execute("AcquisitionStart");
    std::vector<uint8_t> packet(65536);
    uint64_t start = clock.nowUs(), end = start + uint64_t(seconds * 1e6), packets = 0;
    while (clock.nowUs() < end) {
        size_t got = 0;
        if (stream->receive(packet, 100000, got) == DatagramStatus::Ok) {
            ++packets;
            assembler.onPacket(std::span(packet.data(), got), clock.nowUs());
        }
        assembler.poll(clock.nowUs());
        channel.tick();
    }
    map->execute("AcquisitionStop");
    double elapsed = double(clock.nowUs() - start) / 1e6;
    assembler.flush();
    channel.release();
    const AssemblyCounters& c = assembler.counters();
    std::printf("stream bench: 512x512 Mono8, frame period %lld us asked, packet size %u, %.1f s\n",
                static_cast<long long>(period.minimum), packetSize, elapsed);
    std::printf("  frames: %llu complete, %llu incomplete; %.1f frames/s, %.1f MB/s of image\n",
                static_cast<unsigned long long>(c.completed), static_cast<unsigned long long>(c.incomplete),
                double(c.completed) / elapsed, double(c.completed) * 512 * 512 / elapsed / 1e6);
    std::printf("  packets: %llu received, %llu missing, %llu late, %llu bad\n",
                static_cast<unsigned long long>(packets), static_cast<unsigned long long>(c.missingPackets),
                static_cast<unsigned long long>(c.latePackets), static_cast<unsigned long long>(c.badPackets));
    return 0;
}
