// End to end against an independent implementation: Debian's GigE camera simulator
// (arv-fake-gv-camera-0.8) on 127.0.0.1, started and stopped here natively; under Wine,
// whose programs cannot wait for or end Linux ones, started around the test by
// fake_camera.sh, which leaves its state in the file MK_GEV_SIMULATOR_STATE names.
// Discovery goes to 127.0.0.1 only. Skipped, not passed, when the simulator is missing or its fixed port
// 3956 is taken.
#include "mk_api/MkApi.h"
#include "mk_gev/Description.h"
#include "mk_gev/FeatureAttributes.h"
#include "mk_gev/FrameAssembler.h"
#include "mk_gev/GvcpClient.h"
#include "mk_gev/UdpSocket.h"

#include <gtest/gtest.h>

#include "FakeCameraProcess.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace mkgev {
namespace {

constexpr uint32_t kLoopback = 0x7F000001;
const char* kSerial = testing::kSimulatorSerial;
using testing::Simulator;
using testing::SteadyClock;

struct Frames : FrameTarget {
    std::vector<std::vector<uint8_t>> buffers;
    std::vector<AssembledFrame> done;
    size_t next = 0;
    GvcpClient* client = nullptr;
    int resends = 0;

    bool acquire(FrameBuffer& buffer) override
    {
        if (next == buffers.size())
            return false;
        buffer.token = next;
        buffer.bytes = buffers[next++];
        return true;
    }
    void complete(const FrameBuffer&, const AssembledFrame& frame) override { done.push_back(frame); }
    void resend(uint16_t block, uint32_t first, uint32_t last) override
    {
        ++resends;
        client->requestResend(0, block, first, last);
    }
};

// One simulator, controlled from an ephemeral port, its description loaded; the stream
// goes to another ephemeral port. Every wait is bounded by the client's time-outs.
class AravisFakeCameraTest : public ::testing::Test {
protected:
    void startCamera(int lossPerThousand)
    {
        std::string error;
        if (std::string why = simulator.use(lossPerThousand); !why.empty())
            GTEST_SKIP() << why;
        control = UdpSocket::open(kLoopback, 0, error);
        ASSERT_TRUE(control) << error;
        control->setPeer(kLoopback, kGvcpPort);
        // Generous retries while the simulator starts.
        client = std::make_unique<GvcpClient>(*control, clock, GvcpOptions{20, 250, 2000});
        GvcpResult result = client->discover(info);
        ASSERT_TRUE(result.ok()) << result.message();
        if (info.serialNumber != kSerial)
            GTEST_SKIP() << "another device answers on 127.0.0.1:3956 (serial \"" << info.serialNumber << "\")";
        client->setOptions(GvcpOptions{3, 250, 2000});
        ASSERT_TRUE(client->readRegister(bootstrap::Capabilities, capabilities).ok());
        client->setMultipleReads(capabilities & kCapMultipleRead);
        channel = std::make_unique<ControlChannel>(*client, clock);
        ASSERT_TRUE(channel->take(false).ok());
        std::string xml;
        error = readDescription(*client, xml, &source);
        ASSERT_TRUE(error.empty()) << error;
        map = NodeMap::parse(xml, error);
        ASSERT_TRUE(map) << error;
        port = std::make_unique<GvcpPort>(*client, capabilities & kCapWriteMemory);
        map->setPort(port.get());
    }

    // Streams into `count` buffers until they all came back or the time is up.
    void grab(size_t count, uint32_t width, uint32_t height, uint64_t limitUs)
    {
        std::string error;
        auto stream = UdpSocket::open(kLoopback, 0, error);
        ASSERT_TRUE(stream) << error;
        stream->setPeer(kLoopback, 0); // datagrams from 127.0.0.1 only, from any port
        stream->setReceiveBuffer(4u << 20);
        constexpr uint32_t kPacketSize = 1400;
        ASSERT_TRUE(client->writeRegister(bootstrap::StreamChannelPacketSize, kPacketSize).ok());
        ASSERT_TRUE(client->writeRegister(bootstrap::StreamChannelDestination, kLoopback).ok());
        ASSERT_TRUE(client->writeRegister(bootstrap::StreamChannelPort, stream->localPort()).ok());
        frames.client = client.get();
        frames.buffers.assign(count, std::vector<uint8_t>(size_t(width) * height));
        AssemblyLimits limits;
        limits.packetSize = kPacketSize;
        limits.resend = capabilities & kCapPacketResend;
        limits.frameTimeoutUs = 500000;
        assembler = std::make_unique<FrameAssembler>(frames, limits);
        ASSERT_EQ(NodeError::None, map->execute("AcquisitionStart"));
        // Bounded in packets and in time.
        std::vector<uint8_t> packet(9000);
        uint64_t deadline = clock.nowUs() + limitUs;
        for (int i = 0; i < 200000 && frames.done.size() < count && clock.nowUs() < deadline; ++i) {
            size_t got = 0;
            if (stream->receive(packet, 100000, got) == DatagramStatus::Ok)
                assembler->onPacket(std::span(packet.data(), got), clock.nowUs());
            assembler->poll(clock.nowUs());
            channel->tick();
        }
        EXPECT_EQ(NodeError::None, map->execute("AcquisitionStop"));
        EXPECT_TRUE(simulator.running());
        EXPECT_FALSE(channel->lost());
    }

    SteadyClock clock;
    Simulator simulator;
    std::unique_ptr<UdpSocket> control;
    std::unique_ptr<GvcpClient> client;
    std::unique_ptr<ControlChannel> channel;
    std::unique_ptr<GvcpPort> port;
    std::unique_ptr<NodeMap> map;
    std::unique_ptr<FrameAssembler> assembler;
    Frames frames;
    DeviceInfo info;
    uint32_t capabilities = 0;
    std::string source;
};

TEST_F(AravisFakeCameraTest, DiscoveryDescriptionFeaturesAndFrames)
{
    startCamera(0);
    if (IsSkipped() || HasFatalFailure())
        return;
    EXPECT_EQ("Aravis", info.manufacturer);
    EXPECT_EQ("Fake", info.model);
    EXPECT_EQ(kLoopback, info.address);
    EXPECT_EQ(3000u, channel->heartbeatTimeoutMs());
    EXPECT_EQ(0u, source.find("Local:")) << source;
    EXPECT_EQ("Fake", map->modelName());

    std::string text;
    ASSERT_EQ(NodeError::None, map->getString("DeviceVendorName", text));
    EXPECT_EQ("Aravis", text);
    ASSERT_EQ(NodeError::None, map->getString("DeviceID", text));
    EXPECT_EQ(kSerial, text);
    int64_t width = 0, height = 0;
    ASSERT_EQ(NodeError::None, map->getInt("Width", width));
    ASSERT_EQ(NodeError::None, map->getInt("Height", height));
    EXPECT_GT(width, 0);
    EXPECT_GT(height, 0);
    ASSERT_EQ(NodeError::None, map->setInt("Width", 256));
    ASSERT_EQ(NodeError::None, map->setInt("Height", 128));
    ASSERT_EQ(NodeError::None, map->getInt("Width", width));
    ASSERT_EQ(NodeError::None, map->getInt("Height", height));
    EXPECT_EQ(256, width);
    EXPECT_EQ(128, height);
    ASSERT_EQ(NodeError::None, map->setEnum("PixelFormat", "Mono8"));
    ASSERT_EQ(NodeError::None, map->getEnum("PixelFormat", text));
    EXPECT_EQ("Mono8", text);
    std::vector<std::string> formats;
    ASSERT_EQ(NodeError::None, map->enumEntries("PixelFormat", formats));
    EXPECT_EQ(7u, formats.size());
    double rate = 0;
    ASSERT_EQ(NodeError::None, map->getFloat("AcquisitionFrameRate", rate));
    EXPECT_GT(rate, 0.0);
    // The attributes as the library will list them, from the simulator's description.
    FeatureAttributes attributes(*map, port.get());
    struct Case {
        const char* name;
        uint32_t type, flags;
        const char* category;
    };
    const uint32_t rw = MK_FLAG_READ | MK_FLAG_WRITE;
    const Case cases[] = {
        {"DeviceVendorName", MK_ATTR_STRING, MK_FLAG_READ, "/DeviceControl"},
        {"Width", MK_ATTR_UINT32, rw, "/ImageFormatControl"},
        {"PixelFormat", MK_ATTR_ENUM, rw, "/ImageFormatControl"},
        {"AcquisitionStart", MK_ATTR_COMMAND, MK_FLAG_WRITE, "/AcquisitionControl"},
        {"TriggerMode", MK_ATTR_ENUM, rw, "/AcquisitionControl"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        mkapi::AttrDescription d;
        ASSERT_EQ(MK_ERR_SUCCESS, attributes.describe(c.name, d));
        EXPECT_EQ(c.type, d.type);
        EXPECT_EQ(c.flags, d.flags & ~uint32_t(MK_FLAG_VOLATILE));
        EXPECT_EQ(c.category, d.category);
    }
    mkapi::AttrDescription widthRecord;
    ASSERT_EQ(MK_ERR_SUCCESS, attributes.describe("Width", widthRecord));
    EXPECT_NE(std::string::npos, widthRecord.impacts.find("PayloadSize")) << widthRecord.impacts;
    // Every listed attribute answers its own type, or is honestly refused; none hangs.
    for (const std::string& name : attributes.names()) {
        mkapi::AttrValue value;
        uint32_t type = attributes.typeOf(name);
        if (type != 0 && type != MK_ATTR_COMMAND)
            attributes.get(name, type, value);
    }

    grab(3, 256, 128, 10000000);
    ASSERT_EQ(3u, frames.done.size()) << "completed " << assembler->counters().completed << ", incomplete "
                                      << assembler->counters().incomplete << ", bad "
                                      << assembler->counters().badPackets;
    for (const AssembledFrame& frame : frames.done) {
        EXPECT_EQ(FrameStatus::Complete, frame.status);
        EXPECT_EQ(256u, frame.leader.width);
        EXPECT_EQ(128u, frame.leader.height);
        EXPECT_EQ(0x01080001u, frame.leader.pixelFormat);
        EXPECT_EQ(256u * 128u, frame.bytes);
    }
    EXPECT_TRUE(blockIdAfter(frames.done[2].blockId, frames.done[0].blockId));
    // The pattern differs from frame to frame.
    EXPECT_NE(frames.buffers[0], frames.buffers[1]);
    EXPECT_TRUE(channel->release().ok());
}

TEST_F(AravisFakeCameraTest, LostPacketsGiveIncompleteFramesThatAreCountedAndNeverHang)
{
    startCamera(100); // one packet in ten lost
    if (IsSkipped() || HasFatalFailure())
        return;
    ASSERT_EQ(NodeError::None, map->setInt("Width", 256));
    ASSERT_EQ(NodeError::None, map->setInt("Height", 128));
    ASSERT_EQ(NodeError::None, map->setEnum("PixelFormat", "Mono8"));
    grab(8, 256, 128, 20000000);
    ASSERT_EQ(8u, frames.done.size());
    const AssemblyCounters& counters = assembler->counters();
    EXPECT_EQ(8u, counters.completed + counters.incomplete);
    EXPECT_GT(counters.incomplete, 0u);
    EXPECT_GT(counters.missingPackets, 0u);
    size_t incomplete = 0;
    for (const AssembledFrame& frame : frames.done) {
        EXPECT_LE(frame.bytes, 256u * 128u);
        if (frame.status != FrameStatus::Complete) {
            ++incomplete;
            EXPECT_GT(frame.missingPackets, 0u);
        }
    }
    EXPECT_EQ(counters.incomplete, incomplete);
    EXPECT_TRUE(channel->release().ok());
}

} // namespace
} // namespace mkgev
