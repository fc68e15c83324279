// A GigE Vision network on virtual time for the backend's tests: cameras with the control
// side of FakeDevice, a description in their memory, and frames sent at a fixed period to
// the stream channel's port, packets lost, resends answered or not and test packets
// passed or not as each case scripts. Every wait moves the virtual clock; nothing sleeps.
#pragma once

#include "FakeDevice.h"
#include "mk_gev/GevNetwork.h"
#include "mk_gev/Gvsp.h"

#include <climits>
#include <map>
#include <set>
#include <string>

namespace mkgev::testing {

// Registers of the virtual camera's own features.
inline constexpr uint32_t kWidthRegister = 0x100, kHeightRegister = 0x104, kPixelFormatRegister = 0x108;
inline constexpr uint32_t kStartRegister = 0x118, kStopRegister = 0x11C;

inline const char* kVirtualCameraDescription = R"(<?xml version="1.0" encoding="utf-8"?>
<RegisterDescription ModelName="Virtual" VendorName="Tests" xmlns="http://www.genicam.org/GenApi/Version_1_0">
  <Category Name="Root"><pFeature>ImageFormat</pFeature><pFeature>Acquisition</pFeature></Category>
  <Category Name="ImageFormat">
    <pFeature>Width</pFeature><pFeature>Height</pFeature><pFeature>PixelFormat</pFeature><pFeature>PayloadSize</pFeature>
  </Category>
  <Category Name="Acquisition"><pFeature>AcquisitionStart</pFeature><pFeature>AcquisitionStop</pFeature></Category>
  <Integer Name="Width"><pValue>WidthReg</pValue><Min>8</Min><Max>4096</Max><Inc>4</Inc></Integer>
  <IntReg Name="WidthReg"><Address>0x100</Address><Length>4</Length><AccessMode>RW</AccessMode><pPort>Device</pPort><Endianess>BigEndian</Endianess></IntReg>
  <Integer Name="Height"><pValue>HeightReg</pValue><Min>1</Min><Max>4096</Max></Integer>
  <IntReg Name="HeightReg"><Address>0x104</Address><Length>4</Length><AccessMode>RW</AccessMode><pPort>Device</pPort><Endianess>BigEndian</Endianess></IntReg>
  <Enumeration Name="PixelFormat">
    <EnumEntry Name="Mono8"><Value>0x01080001</Value></EnumEntry>
    <EnumEntry Name="Mono16"><Value>0x01100007</Value></EnumEntry>
    <pValue>PixelFormatReg</pValue>
  </Enumeration>
  <IntReg Name="PixelFormatReg"><Address>0x108</Address><Length>4</Length><AccessMode>RW</AccessMode><pPort>Device</pPort><Endianess>BigEndian</Endianess></IntReg>
  <IntSwissKnife Name="PayloadSize">
    <pVariable Name="W">Width</pVariable><pVariable Name="H">Height</pVariable><pVariable Name="PF">PixelFormatReg</pVariable>
    <Formula>W * H * ((PF &gt;&gt; 16) &amp; 0xFF) / 8</Formula>
  </IntSwissKnife>
  <Command Name="AcquisitionStart"><pValue>StartReg</pValue><CommandValue>1</CommandValue></Command>
  <IntReg Name="StartReg"><Address>0x118</Address><Length>4</Length><AccessMode>WO</AccessMode><pPort>Device</pPort></IntReg>
  <Command Name="AcquisitionStop"><pValue>StopReg</pValue><CommandValue>1</CommandValue></Command>
  <IntReg Name="StopReg"><Address>0x11C</Address><Length>4</Length><AccessMode>WO</AccessMode><pPort>Device</pPort></IntReg>
</RegisterDescription>
)";

class VirtualCamera : public FakeDevice {
public:
    VirtualCamera(VirtualClock& clock, uint64_t mac, uint32_t address) : FakeDevice(clock)
    {
        info.mac = mac;
        info.address = address;
        info.mask = 0xFF000000;
        info.manufacturer = "Tests";
        info.model = "Virtual";
        info.serialNumber = "VIRT" + std::to_string(mac & 0xFFFF);
        registers[bootstrap::Capabilities] = kCapMultipleRead | kCapWriteMemory | kCapPacketResend;
        registers[bootstrap::StreamChannelPacketSize] = 576;
        registers[bootstrap::TimestampTickFrequencyHigh] = 0;
        registers[bootstrap::TimestampTickFrequencyLow] = 1000000000; // nanoseconds
        registers[kWidthRegister] = 64;
        registers[kHeightRegister] = 16;
        registers[kPixelFormatRegister] = 0x01080001;
        const std::string xml = kVirtualCameraDescription;
        memory.assign(xml.begin(), xml.end());
        memory.resize((memory.size() + 3) & ~size_t(3), 0);
        char url[64];
        std::snprintf(url, sizeof url, "Local:virtual.xml;%x;%zx", memoryBase, xml.size());
        for (size_t i = 0; i < bootstrap::UrlSize; i += 4) {
            uint32_t word = 0;
            for (size_t b = 0; b < 4; ++b)
                word = word << 8 | uint8_t(i + b < std::strlen(url) ? url[i + b] : 0);
            registers[bootstrap::FirstUrl + uint32_t(i)] = word;
        }
    }

    // ---- knobs
    uint64_t framePeriodUs = 10000;
    uint64_t packetGapUs = 5;
    std::set<uint32_t> lostPackets; // packet ids (0 = leader, last = trailer) lost at first sending
    int resendsAnswered = INT_MAX;  // resend requests answered; later ones are ignored
    uint32_t pathMtu = 65535;       // larger datagrams do not arrive
    bool sendsTestPackets = true;   // answers the packet-size register's test bit
    int framesToSend = INT_MAX;     // then the camera stops sending (a broken stream)

    // ---- what happened
    uint32_t resendRequests = 0, framesSent = 0;
    std::vector<uint32_t> testPackets; // the sizes asked for

    // The receiving end of the stream channel on the host's port `port`.
    class StreamLink : public DatagramTransport {
    public:
        StreamLink(VirtualCamera& camera, uint16_t port) : camera_(camera), port_(port) { camera_.links_[port] = this; }
        ~StreamLink() override { camera_.links_.erase(port_); }
        DatagramStatus send(std::span<const uint8_t>) override { return DatagramStatus::Ok; }
        DatagramStatus receive(std::span<uint8_t> buffer, uint64_t timeoutUs, size_t& got) override
        {
            camera_.produce(camera_.clock_.now + timeoutUs);
            return camera_.take(queue_, buffer, timeoutUs, got);
        }
        uint64_t nextArrivalUs() const { return queue_.empty() ? mkapi::Backend::kNever : queue_.front().at; }

    private:
        friend class VirtualCamera;
        VirtualCamera& camera_;
        const uint16_t port_;
        Queue queue_;
    };

    uint64_t nextArrivalUs()
    {
        StreamLink* link = destination();
        if (!link)
            return mkapi::Backend::kNever;
        uint64_t due = link->nextArrivalUs();
        if (acquiring_ && framesSent < uint32_t(framesToSend))
            due = std::min(due, nextFrameUs_);
        return due;
    }

    // What the camera sends in frame `blockId`: a pattern that moves with the frame.
    static uint8_t patternByte(uint16_t blockId, size_t offset) { return uint8_t(offset * 7 + blockId); }

protected:
    void written(uint32_t address, uint32_t value) override
    {
        if (address == kStartRegister && value == 1 && !acquiring_) {
            acquiring_ = true;
            nextFrameUs_ = clock_.now + framePeriodUs;
        } else if (address == kStopRegister && value == 1) {
            acquiring_ = false;
        } else if (address == bootstrap::StreamChannelPacketSize && (value & kPacketSizeFireTest)) {
            registers[address] = value & ~kPacketSizeFireTest;
            const uint32_t size = value & 0xFFFF;
            testPackets.push_back(size);
            StreamLink* link = destination();
            if (sendsTestPackets && link && size <= pathMtu && size > 28)
                link->queue_.push_back({clock_.now + latencyUs, std::vector<uint8_t>(size - 28, 0)});
        }
    }
    void resendAsked(uint16_t blockId, uint32_t first, uint32_t last) override
    {
        ++resendRequests;
        StreamLink* link = destination();
        auto frame = history_.find(blockId);
        if (resendsAnswered-- <= 0 || !link || frame == history_.end())
            return;
        for (uint32_t id = first; id <= last && id < frame->second.size(); ++id)
            link->queue_.push_back({clock_.now + latencyUs, frame->second[id]});
    }

private:
    StreamLink* destination()
    {
        auto it = links_.find(uint16_t(registers[bootstrap::StreamChannelPort]));
        return it == links_.end() || registers[bootstrap::StreamChannelPort] == 0 ? nullptr : it->second;
    }

    // Queues every frame due by `until`, each packet at its own time.
    void produce(uint64_t until)
    {
        while (acquiring_ && nextFrameUs_ <= until && framesSent < uint32_t(framesToSend)) {
            StreamLink* link = destination();
            if (!link)
                return;
            blockId_ = nextBlockId(blockId_);
            const auto packets = framePackets(blockId_, nextFrameUs_);
            for (uint32_t id = 0; id < packets.size(); ++id)
                if (!lostPackets.count(id) && packets[id].size() + 28 <= pathMtu)
                    link->queue_.push_back({nextFrameUs_ + id * packetGapUs, packets[id]});
            history_[blockId_] = packets;
            if (history_.size() > 4)
                history_.erase(history_.begin());
            ++framesSent;
            nextFrameUs_ += framePeriodUs;
        }
    }

    std::vector<std::vector<uint8_t>> framePackets(uint16_t blockId, uint64_t atUs)
    {
        GvspLeader leader;
        leader.pixelFormat = registers[kPixelFormatRegister];
        leader.width = registers[kWidthRegister];
        leader.height = registers[kHeightRegister];
        const uint64_t frequency = uint64_t(registers[bootstrap::TimestampTickFrequencyHigh]) << 32 |
            registers[bootstrap::TimestampTickFrequencyLow];
        leader.timestamp = atUs / 1000000 * frequency + atUs % 1000000 * frequency / 1000000;
        const size_t bytes = size_t(leader.width) * leader.height * (leader.pixelFormat >> 16 & 0xFF) / 8;
        std::vector<uint8_t> image(bytes);
        for (size_t i = 0; i < bytes; ++i) image[i] = patternByte(blockId, i);
        const size_t perPacket = (registers[bootstrap::StreamChannelPacketSize] & 0xFFFF) - kGvspPacketOverhead;
        std::vector<std::vector<uint8_t>> packets{encodeLeader(blockId, leader)};
        for (size_t offset = 0; offset < bytes; offset += perPacket)
            packets.push_back(encodePayload(blockId, uint32_t(packets.size()),
                                            std::span(image).subspan(offset, std::min(perPacket, bytes - offset))));
        GvspTrailer trailer;
        trailer.hasHeight = true;
        trailer.height = leader.height;
        packets.push_back(encodeTrailer(blockId, uint32_t(packets.size()), trailer));
        return packets;
    }

    bool acquiring_ = false;
    uint64_t nextFrameUs_ = 0;
    uint16_t blockId_ = 0;
    std::map<uint16_t, std::vector<std::vector<uint8_t>>> history_;
    std::map<uint16_t, StreamLink*> links_;
};

// Cameras by address; control links to an address with no camera are never answered.
class VirtualNetwork : public GevNetwork {
public:
    explicit VirtualNetwork(VirtualClock& clock) : nobody_(clock) { nobody_.silent = true; }

    void add(VirtualCamera& camera) { cameras_[camera.info.address] = &camera; }

    std::unique_ptr<DatagramTransport> control(uint32_t, uint32_t device, uint16_t, std::string&) override
    {
        auto it = cameras_.find(device);
        return std::make_unique<FakeDevice::Link>(it == cameras_.end() ? nobody_ : *it->second);
    }
    std::unique_ptr<DatagramTransport> stream(uint32_t, uint32_t device, uint32_t, uint16_t& port,
                                              std::string& error) override
    {
        auto it = cameras_.find(device);
        if (it == cameras_.end()) {
            error = "no such camera";
            return nullptr;
        }
        port = nextPort_++;
        return std::make_unique<VirtualCamera::StreamLink>(*it->second, port);
    }
    bool ownThreads() const override { return false; }
    uint64_t nextArrivalUs() const override
    {
        uint64_t due = mkapi::Backend::kNever;
        for (auto& [address, camera] : cameras_) due = std::min(due, camera->nextArrivalUs());
        return due;
    }

private:
    FakeDevice nobody_;
    std::map<uint32_t, VirtualCamera*> cameras_;
    uint16_t nextPort_ = 50000;
};

} // namespace mkgev::testing
