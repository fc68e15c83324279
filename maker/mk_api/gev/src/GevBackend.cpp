// The GigE Vision network: discovery to configured addresses, sessions over the control
// client, the node map and the stream receiver.
#include "mk_gev/GevBackend.h"

#include "mk_api/MkApi.h"
#include "mk_gev/Description.h"
#include "mk_gev/FeatureAttributes.h"
#include "mk_gev/Heartbeat.h"
#include "mk_gev/IpSettings.h"
#include "mk_gev/StreamReceiver.h"
#include "mk_gev/UdpSocket.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <charconv>

namespace mkgev {

using mkapi::Code;

namespace {

// The register the plug-in reads for the current pixel format's code.
constexpr uint32_t kPixelFormatRegister = 0x00012120;
constexpr uint32_t kMaxRetries = 20;
constexpr uint32_t kMinPacketSize = 576, kMaxPacketSize = 9000;
// A test packet is waited for this long; a size whose packet does not come does not fit.
constexpr uint64_t kTestPacketWaitUs = 100000;
// Probes of one adjustment: the top, the bottom and the halvings between (9000 to 576 in
// steps of 4 needs 12).
constexpr int kMaxProbes = 16;
constexpr uint32_t kUdpIpOverhead = 28;

Code codeOf(const GvcpResult& r)
{
    switch (r.outcome) {
    case GvcpOutcome::Ok: return 0;
    case GvcpOutcome::Nack: return r.status == gvcp_status::AccessDenied ? Code(MK_ERR_FORBIDDEN) : Code(MK_ERR_CAMERA_FAULT);
    case GvcpOutcome::Timeout: return MK_ERR_TIMEOUT;
    case GvcpOutcome::Broken: return MK_ERR_INTERNAL_FAULT;
    case GvcpOutcome::BadAnswer: return MK_ERR_CAMERA_FAULT;
    case GvcpOutcome::BadArgument: return MK_ERR_BAD_PARAMETER;
    }
    return MK_ERR_INTERNAL_FAULT;
}

std::string trim(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    return std::string(text);
}

bool readNumber(std::string_view text, uint32_t lowest, uint32_t highest, uint32_t& out)
{
    const std::string t = trim(text);
    uint32_t v = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (ec != std::errc() || end != t.data() + t.size() || t.empty() || v < lowest || v > highest)
        return false;
    out = v;
    return true;
}

bool isLoopback(uint32_t wire) { return (wire >> 24) == 127; }

// The library's names beside the device's features.
struct Extra {
    const char* name;
    uint32_t type;
    uint32_t flags;
    const char* category;
};
constexpr Extra kExtras[] = {
    {"GvcpRetries", MK_ATTR_UINT32, MK_FLAG_READ | MK_FLAG_WRITE, "/GigE"},
    {"PacketSize", MK_ATTR_UINT32, MK_FLAG_READ | MK_FLAG_WRITE, "/GigE"},
    {"TotalBytesPerFrame", MK_ATTR_UINT32, MK_FLAG_READ | MK_FLAG_VOLATILE, "/ImageFormat"},
    {"StatFramesCompleted", MK_ATTR_UINT32, MK_FLAG_READ | MK_FLAG_VOLATILE, "/Statistics"},
    {"StatFramesIncomplete", MK_ATTR_UINT32, MK_FLAG_READ | MK_FLAG_VOLATILE, "/Statistics"},
    {"StatFramesDropped", MK_ATTR_UINT32, MK_FLAG_READ | MK_FLAG_VOLATILE, "/Statistics"},
    {"StatPacketsMissing", MK_ATTR_UINT32, MK_FLAG_READ | MK_FLAG_VOLATILE, "/Statistics"},
    {"StatPacketsResent", MK_ATTR_UINT32, MK_FLAG_READ | MK_FLAG_VOLATILE, "/Statistics"},
};
const Extra* extraOf(std::string_view name)
{
    for (const Extra& e : kExtras)
        if (name == e.name)
            return &e;
    return nullptr;
}

uint32_t clamp32(uint64_t v) { return uint32_t(std::min<uint64_t>(v, UINT32_MAX)); }

} // namespace

namespace {

class UdpNetwork : public GevNetwork {
public:
    std::unique_ptr<DatagramTransport> control(uint32_t interfaceAddress, uint32_t device, uint16_t port,
                                               std::string& error) override
    {
        auto socket = UdpSocket::open(interfaceAddress, 0, error);
        if (socket)
            socket->setPeer(device, port);
        return socket;
    }
    std::unique_ptr<DatagramTransport> stream(uint32_t interfaceAddress, uint32_t device, uint32_t bufferBytes,
                                              uint16_t& port, std::string& error) override
    {
        auto socket = UdpSocket::open(interfaceAddress, 0, error);
        if (!socket)
            return nullptr;
        // Datagrams from the camera only, from whatever port it sends them.
        socket->setPeer(device, 0);
        socket->setReceiveBuffer(bufferBytes);
        port = socket->localPort();
        return socket;
    }
    bool ownThreads() const override { return true; }
};

} // namespace

std::unique_ptr<GevNetwork> udpNetwork() { return std::make_unique<UdpNetwork>(); }

struct GevBackend::Link {
    std::unique_ptr<DatagramTransport> transport;
    std::unique_ptr<GvcpClient> client;
};

std::unique_ptr<GevBackend::Link> GevBackend::connect(uint32_t deviceAddress, std::string& error)
{
    auto link = std::make_unique<Link>();
    link->transport = network_.control(setup_.interfaceAddress, deviceAddress, setup_.port, error);
    if (!link->transport)
        return nullptr;
    link->client = std::make_unique<GvcpClient>(*link->transport, clock_,
                                                GvcpOptions{setup_.retries, setup_.timeoutMs, 5000});
    return link;
}

// One open camera. The node map is not thread-safe: every call holds the session's lock.
// The heartbeat thread and the stream thread use only the client, which locks itself.
class GevBackend::Session : public mkapi::CameraSession, public FrameTarget {
public:
    Session(GevBackend& backend, uint32_t uniqueId, bool master, std::unique_ptr<Link> link)
        : backend_(backend), uniqueId_(uniqueId), master_(master), link_(std::move(link)), events_(*backend.events_),
          clock_(backend.clock_), interfaceAddress_(backend.setup_.interfaceAddress),
          driven_(!backend.network_.ownThreads()), channel_(*link_->client, clock_)
    {
    }
    ~Session() override { close(); }

    // Reads the capabilities and the description, takes control for a master.
    Code begin(std::string& error)
    {
        GvcpClient& client = *link_->client;
        if (GvcpResult r = client.readRegister(bootstrap::Capabilities, capabilities_); !r.ok()) {
            error = "capabilities: " + r.message();
            return r.outcome == GvcpOutcome::Timeout ? Code(MK_ERR_UNPLUGGED) : codeOf(r);
        }
        client.setMultipleReads(capabilities_ & kCapMultipleRead);
        if (master_) {
            if (GvcpResult r = channel_.take(false); !r.ok()) {
                error = "control: " + r.message();
                return r.outcome == GvcpOutcome::Nack ? Code(MK_ERR_ACCESS_DENIED) : codeOf(r);
            }
        }
        std::string xml;
        if (error = readDescription(client, xml); !error.empty())
            return MK_ERR_CAMERA_FAULT;
        map_ = NodeMap::parse(xml, error);
        if (!map_)
            return MK_ERR_CAMERA_FAULT;
        port_ = std::make_unique<GvcpPort>(client, capabilities_ & kCapWriteMemory);
        map_->setPort(port_.get());
        attributes_ = std::make_unique<FeatureAttributes>(*map_, port_.get());
        names_ = attributes_->names();
        for (const Extra& e : kExtras)
            if (!attributes_->typeOf(e.name) && std::find(names_.begin(), names_.end(), e.name) == names_.end())
                names_.push_back(e.name);
        readTickFrequency();
        if (driven_)
            backend_.drive(this, true);
        else if (master_)
            heartbeat_ = std::make_unique<HeartbeatThread>(channel_, clock_, [this] { onLost(); });
        return 0;
    }

    // On virtual time, from the backend's advance(): the heartbeat when it is due, the
    // stream's packets and time limits.
    void drive()
    {
        if (lost_)
            return;
        if (channel_.held() && !channel_.lost() && clock_.nowUs() >= channel_.nextDueUs()) {
            channel_.tick();
            if (channel_.lost()) {
                onLost();
                return;
            }
        }
        std::shared_ptr<StreamReceiver> receiver;
        {
            std::lock_guard lock(mutex_);
            receiver = receiver_;
        }
        if (receiver)
            receiver->pump();
    }
    uint64_t nextDueUs()
    {
        if (lost_)
            return mkapi::Backend::kNever;
        uint64_t due = channel_.held() && !channel_.lost() ? channel_.nextDueUs() : mkapi::Backend::kNever;
        std::shared_ptr<StreamReceiver> receiver;
        {
            std::lock_guard lock(mutex_);
            receiver = receiver_;
        }
        return receiver ? std::min(due, receiver->nextDueUs()) : due;
    }

    bool lost() const override { return lost_; }

    Code close() override
    {
        std::unique_ptr<HeartbeatThread> heartbeat;
        {
            std::lock_guard lock(mutex_);
            if (closed_)
                return 0;
            closed_ = true;
            heartbeat = std::move(heartbeat_);
        }
        // Off the backend's list first: advance() then drives this session no more.
        if (driven_)
            backend_.drive(this, false);
        stopStream();
        if (heartbeat)
            heartbeat->stop();
        // A lost camera is not asked again: every attempt would only wait for its time-out.
        if (master_ && !lost_ && channel_.held())
            channel_.release();
        return 0;
    }

    Code attributeNames(std::vector<std::string>& names) override
    {
        return locked([&] {
            names = names_;
            return Code(0);
        });
    }
    Code describe(std::string_view name, mkapi::AttrDescription& d) override
    {
        return locked([&] {
            if (const Extra* e = extraOnly(name)) {
                d = {e->type, e->flags, e->category, ""};
                if (name == "PacketSize" && !master_)
                    d.flags &= ~uint32_t(MK_FLAG_WRITE);
                return Code(0);
            }
            const Code code = attributes_->describe(name, d);
            // Whatever changes the payload size changes the frame size the plug-in reads.
            if (code == 0 && (d.impacts == "PayloadSize" || d.impacts.starts_with("PayloadSize,") || d.impacts.find(",PayloadSize") != std::string::npos) &&
                !attributes_->typeOf("TotalBytesPerFrame"))
                d.impacts += ",TotalBytesPerFrame";
            return code;
        });
    }
    Code isAvailable(std::string_view name) override
    {
        return locked([&] { return extraOnly(name) ? Code(0) : attributes_->isAvailable(name); });
    }
    Code isValid(std::string_view name) override
    {
        return locked([&] { return extraOnly(name) ? Code(0) : attributes_->isValid(name); });
    }
    Code range(std::string_view name, uint32_t type, mkapi::AttrRange& r) override
    {
        return locked([&] {
            const Extra* e = extraOnly(name);
            if (!e)
                return attributes_->range(name, type, r);
            if (type != e->type)
                return Code(MK_ERR_WRONG_TYPE);
            r.choices.clear();
            r.minimum = uint32_t(0);
            r.maximum = UINT32_MAX;
            if (name == "GvcpRetries")
                r.maximum = kMaxRetries;
            if (name == "PacketSize")
                r.minimum = uint32_t(576), r.maximum = uint32_t(9000);
            return Code(0);
        });
    }
    Code get(std::string_view name, uint32_t type, mkapi::AttrValue& v) override
    {
        return locked([&] {
            const Extra* e = extraOnly(name);
            if (!e)
                return attributes_->get(name, type, v);
            if (type != e->type)
                return Code(MK_ERR_WRONG_TYPE);
            uint32_t value = 0;
            if (const Code code = extraValue(name, value))
                return code;
            v = value;
            return Code(0);
        });
    }
    Code set(std::string_view name, uint32_t type, const mkapi::AttrValue& v) override
    {
        return locked([&] {
            if (!master_)
                return Code(MK_ERR_FORBIDDEN);
            const Extra* e = extraOnly(name);
            if (!e)
                return attributes_->set(name, type, v);
            if (type != e->type)
                return Code(MK_ERR_WRONG_TYPE);
            const auto* value = std::get_if<uint32_t>(&v);
            if (!value)
                return Code(MK_ERR_WRONG_TYPE);
            if (!(e->flags & MK_FLAG_WRITE))
                return Code(MK_ERR_FORBIDDEN);
            if (name == "GvcpRetries") {
                if (*value > kMaxRetries)
                    return Code(MK_ERR_OUT_OF_RANGE);
                GvcpOptions options = link_->client->options();
                options.retries = *value;
                link_->client->setOptions(options);
                return Code(0);
            }
            // PacketSize: the stream channel's register, its flags left alone.
            if (*value < 576 || *value > 9000)
                return Code(MK_ERR_OUT_OF_RANGE);
            if (streaming_)
                return Code(MK_ERR_FORBIDDEN);
            const Code code = writePacketSize(*value);
            map_->invalidateCache();
            return code;
        });
    }
    Code run(std::string_view command) override
    {
        return locked([&] { return master_ ? attributes_->run(command) : Code(MK_ERR_FORBIDDEN); });
    }

    Code readRegisters(std::span<const uint32_t> addresses, std::span<uint32_t> values, uint32_t& done) override
    {
        done = 0;
        return locked([&] {
            // The pixel-format register is answered here, so the rest go to the device in runs.
            size_t start = 0;
            while (start < addresses.size()) {
                if (addresses[start] == kPixelFormatRegister) {
                    if (const Code code = pixelFormatCode(values[start]))
                        return code;
                    ++start, ++done;
                    continue;
                }
                size_t end = start;
                while (end < addresses.size() && addresses[end] != kPixelFormatRegister) ++end;
                size_t got = 0;
                GvcpResult r = link_->client->readRegisters(addresses.subspan(start, end - start),
                                                            values.subspan(start, end - start), got);
                done += uint32_t(got);
                if (!r.ok())
                    return codeOf(r);
                start = end;
            }
            return Code(0);
        });
    }
    Code writeRegisters(std::span<const uint32_t> addresses, std::span<const uint32_t> values,
                        uint32_t& done) override
    {
        done = 0;
        return locked([&] {
            if (!master_)
                return Code(MK_ERR_FORBIDDEN);
            size_t got = 0;
            GvcpResult r = link_->client->writeRegisters(addresses, values, got);
            done = uint32_t(got);
            // The device changed under the node map's cache.
            map_->invalidateCache();
            return codeOf(r);
        });
    }
    Code readMemory(uint32_t address, std::span<uint8_t> bytes, uint32_t& done) override
    {
        done = 0;
        return locked([&] {
            size_t got = 0;
            GvcpResult r = link_->client->readMemory(address, bytes, got);
            done = uint32_t(got);
            return codeOf(r);
        });
    }
    Code writeMemory(uint32_t address, std::span<const uint8_t> bytes, uint32_t& done) override
    {
        done = 0;
        return locked([&] {
            if (!master_)
                return Code(MK_ERR_FORBIDDEN);
            if (address % 4 || bytes.size() % 4)
                return Code(MK_ERR_BAD_PARAMETER);
            size_t got = 0;
            GvcpResult r = link_->client->writeMemory(address, bytes, got);
            done = uint32_t(got);
            map_->invalidateCache();
            return codeOf(r);
        });
    }

    // The largest size at most `largest` whose packets reach the host whole: test packets
    // sent with "do not fragment" to a stream socket of ours, the sizes searched by halving
    // (a bounded number of probes, each waited for a bounded time). A device that sends no
    // test packet at all gets the largest size it keeps, tried from `largest` down.
    Code adjustPacketSize(uint32_t largest) override
    {
        return locked([&] {
            if (!master_)
                return Code(MK_ERR_FORBIDDEN);
            if (streaming_)
                return Code(MK_ERR_BAD_SEQUENCE);
            if (largest < kMinPacketSize)
                return Code(MK_ERR_OUT_OF_RANGE);
            const uint32_t top = std::min<uint32_t>(largest, kMaxPacketSize) & ~3u;
            uint32_t size = 0;
            if (const Code code = probePacketSize(top, size))
                return code;
            if (size != 0)
                return writePacketSize(size);
            size = top;
            for (int i = 0; i < 8 && size >= kMinPacketSize; ++i, size = std::max(kMinPacketSize, size * 3 / 4) & ~3u) {
                if (writePacketSize(size) == 0)
                    return Code(0);
                if (size == kMinPacketSize)
                    break;
            }
            return Code(MK_ERR_CAMERA_FAULT);
        });
    }

    Code startStream(mkapi::StreamSink& sink) override
    {
        return locked([&] {
            if (!master_)
                return Code(MK_ERR_ACCESS_DENIED);
            if (streaming_)
                return Code(MK_ERR_BAD_SEQUENCE);
            uint32_t packetSize = 0;
            if (GvcpResult r = link_->client->readRegister(bootstrap::StreamChannelPacketSize, packetSize); !r.ok())
                return codeOf(r);
            AssemblyLimits limits;
            limits.packetSize = std::max<uint32_t>(packetSize & 0xFFFF, 64);
            limits.resend = capabilities_ & kCapPacketResend;
            int64_t payload = 0;
            map_->getInt("PayloadSize", payload);
            // At least one frame, as the system allows; four when it allows that much.
            const uint32_t buffer = uint32_t(std::clamp<int64_t>(payload * 4, 4 << 20, 64 << 20));
            std::string error;
            uint16_t port = 0;
            auto socket = backend_.network_.stream(interfaceAddress_, peerAddress_, buffer, port, error);
            if (!socket)
                return Code(MK_ERR_RESOURCES);
            sink_ = &sink;
            receiver_ = std::make_shared<StreamReceiver>(std::move(socket), port, *this, limits, clock_);
            if (GvcpResult r = link_->client->writeRegister(bootstrap::StreamChannelDestination, interfaceAddress_);
                !r.ok()) {
                receiver_.reset();
                sink_ = nullptr;
                return codeOf(r);
            }
            if (GvcpResult r = link_->client->writeRegister(bootstrap::StreamChannelPort, port); !r.ok()) {
                receiver_.reset();
                sink_ = nullptr;
                return codeOf(r);
            }
            if (!driven_)
                receiver_->start();
            streaming_ = true;
            return Code(0);
        });
    }
    void stopStream() override
    {
        std::shared_ptr<StreamReceiver> receiver;
        {
            std::lock_guard lock(mutex_);
            if (!streaming_)
                return;
            streaming_ = false;
            receiver = std::move(receiver_);
        }
        // Outside the lock: the receive thread hands its open frames back through the sink.
        receiver->stop();
        const AssemblyCounters c = receiver->counters();
        std::lock_guard lock(mutex_);
        past_.completed += c.completed, past_.incomplete += c.incomplete, past_.dropped += c.dropped;
        past_.missingPackets += c.missingPackets, past_.resentPackets += c.resentPackets;
        sink_ = nullptr;
        if (!lost_)
            link_->client->writeRegister(bootstrap::StreamChannelPort, 0);
    }

    void setPeer(uint32_t address) { peerAddress_ = address; }

private:
    template <class Work>
    Code locked(Work work)
    {
        std::lock_guard lock(mutex_);
        if (lost_)
            return MK_ERR_UNPLUGGED;
        if (closed_)
            return MK_ERR_BAD_HANDLE;
        return work();
    }

    // A library name the device does not have itself.
    const Extra* extraOnly(std::string_view name) const
    {
        const Extra* e = extraOf(name);
        return e && !attributes_->typeOf(name) ? e : nullptr;
    }

    Code extraValue(std::string_view name, uint32_t& value)
    {
        if (name == "GvcpRetries") {
            value = link_->client->options().retries;
            return 0;
        }
        if (name == "PacketSize") {
            GvcpResult r = link_->client->readRegister(bootstrap::StreamChannelPacketSize, value);
            value &= 0xFFFF;
            return codeOf(r);
        }
        if (name == "TotalBytesPerFrame") {
            int64_t payload = 0;
            if (map_->getInt("PayloadSize", payload) != NodeError::None) {
                int64_t w = 0, h = 0;
                if (map_->getInt("Width", w) != NodeError::None || map_->getInt("Height", h) != NodeError::None)
                    return MK_ERR_UNAVAILABLE;
                uint32_t code = 0;
                if (const Code c = pixelFormatCode(code))
                    return c;
                payload = w * h * int64_t(code >> 16 & 0xFF) / 8;
            }
            value = clamp32(uint64_t(std::max<int64_t>(payload, 0)));
            return 0;
        }
        AssemblyCounters c = past_;
        if (receiver_) {
            const AssemblyCounters now = receiver_->counters();
            c.completed += now.completed, c.incomplete += now.incomplete, c.dropped += now.dropped;
            c.missingPackets += now.missingPackets, c.resentPackets += now.resentPackets;
        }
        if (name == "StatFramesCompleted")
            value = clamp32(c.completed);
        else if (name == "StatFramesIncomplete")
            value = clamp32(c.incomplete);
        else if (name == "StatFramesDropped")
            value = clamp32(c.dropped);
        else if (name == "StatPacketsMissing")
            value = clamp32(c.missingPackets);
        else
            value = clamp32(c.resentPackets);
        return 0;
    }

    Code pixelFormatCode(uint32_t& value)
    {
        std::string entry;
        int64_t code = 0;
        if (map_->getEnum("PixelFormat", entry) != NodeError::None ||
            map_->enumEntryValue("PixelFormat", entry, code) != NodeError::None)
            return MK_ERR_UNAVAILABLE;
        value = uint32_t(code);
        return 0;
    }

    // Test packets from `top` down; `size` is the largest that arrived, 0 when none did.
    Code probePacketSize(uint32_t top, uint32_t& size)
    {
        size = 0;
        std::string error;
        uint16_t port = 0;
        auto socket = backend_.network_.stream(interfaceAddress_, peerAddress_, 1 << 20, port, error);
        if (!socket)
            return 0; // the fallback needs no socket
        GvcpClient& client = *link_->client;
        uint32_t current = 0;
        if (GvcpResult r = client.readRegister(bootstrap::StreamChannelPacketSize, current); !r.ok())
            return codeOf(r);
        if (GvcpResult r = client.writeRegister(bootstrap::StreamChannelDestination, interfaceAddress_); !r.ok())
            return codeOf(r);
        if (GvcpResult r = client.writeRegister(bootstrap::StreamChannelPort, port); !r.ok())
            return codeOf(r);
        const uint32_t flags = (current & ~(0xFFFFu | kPacketSizeFireTest)) | kPacketSizeDoNotFragment;
        std::vector<uint8_t> packet(65536);
        int probes = 0;
        const auto arrives = [&](uint32_t candidate) {
            ++probes;
            if (!client.writeRegister(bootstrap::StreamChannelPacketSize, flags | kPacketSizeFireTest | candidate).ok())
                return false;
            const uint64_t deadline = clock_.nowUs() + kTestPacketWaitUs;
            for (int i = 0; i < 16; ++i) {
                const uint64_t now = clock_.nowUs();
                size_t got = 0;
                if (now >= deadline || socket->receive(packet, deadline - now, got) != DatagramStatus::Ok)
                    return false;
                // IP and UDP headers are not in what the socket gives.
                if (got + kUdpIpOverhead >= candidate)
                    return true;
            }
            return false;
        };
        if (arrives(top)) {
            size = top;
        } else if (top > kMinPacketSize && arrives(kMinPacketSize)) {
            uint32_t fits = kMinPacketSize, fails = top;
            while (fails - fits > 4 && probes < kMaxProbes) {
                const uint32_t middle = (fits + (fails - fits) / 2) & ~3u;
                (arrives(middle) ? fits : fails) = middle;
            }
            size = fits;
        }
        client.writeRegister(bootstrap::StreamChannelPort, 0);
        client.writeRegister(bootstrap::StreamChannelPacketSize, current & ~kPacketSizeFireTest);
        return 0;
    }

    Code writePacketSize(uint32_t size)
    {
        uint32_t current = 0;
        if (GvcpResult r = link_->client->readRegister(bootstrap::StreamChannelPacketSize, current); !r.ok())
            return codeOf(r);
        const uint32_t flags = current & ~(0xFFFFu | kPacketSizeFireTest);
        if (GvcpResult r = link_->client->writeRegister(bootstrap::StreamChannelPacketSize, flags | size); !r.ok())
            return codeOf(r);
        uint32_t now = 0;
        if (GvcpResult r = link_->client->readRegister(bootstrap::StreamChannelPacketSize, now); !r.ok())
            return codeOf(r);
        return (now & 0xFFFF) == size ? Code(0) : Code(MK_ERR_OUT_OF_RANGE);
    }

    // From the heartbeat thread, once: every wait of the camera ends with 8.
    void onLost()
    {
        lost_ = true;
        events_.linkEvent(MK_LINK_REMOVE, uniqueId_);
    }

    // FrameTarget, from the stream thread.
    bool acquire(FrameBuffer& buffer) override
    {
        std::optional<mkapi::FrameSlot> slot = sink_->takeBuffer();
        if (!slot)
            return false;
        buffer.token = slot->token;
        buffer.bytes = std::span(slot->data, slot->size);
        return true;
    }
    void complete(const FrameBuffer& buffer, const AssembledFrame& frame) override
    {
        mkapi::FrameResult result;
        switch (frame.status) {
        case FrameStatus::Complete: result.status = 0; break;
        case FrameStatus::Incomplete: result.status = MK_ERR_DATA_MISSING; break;
        case FrameStatus::LeaderLost: result.status = MK_ERR_DATA_LOST; break;
        case FrameStatus::TooSmall: result.status = MK_ERR_BUFFER_TOO_SMALL; break;
        }
        result.bytes = frame.bytes;
        result.width = frame.leader.width, result.height = frame.leader.height;
        result.offsetX = frame.leader.offsetX, result.offsetY = frame.leader.offsetY;
        result.pixelFormat = frame.leader.pixelFormat;
        result.bitDepth = frame.leader.pixelFormat >> 16 & 0xFF;
        result.frameNumber = frame.blockId;
        result.timestampUs = timestampUs(frame);
        sink_->frameDone({buffer.token, buffer.bytes.data(), uint32_t(buffer.bytes.size())}, result);
    }
    void resend(uint16_t blockId, uint32_t first, uint32_t last) override
    {
        link_->client->requestResend(0, blockId, first, last);
    }

    // The camera's clock in microseconds, from the leader's ticks; the host's clock when
    // the camera does not say how fast its clock ticks, or the leader was lost.
    uint64_t timestampUs(const AssembledFrame& frame) const
    {
        if (tickFrequency_ == 0 || frame.status == FrameStatus::LeaderLost)
            return clock_.nowUs();
        const uint64_t ticks = frame.leader.timestamp;
        return ticks / tickFrequency_ * 1000000 + ticks % tickFrequency_ * 1000000 / tickFrequency_;
    }
    void readTickFrequency()
    {
        const uint32_t addresses[] = {bootstrap::TimestampTickFrequencyHigh, bootstrap::TimestampTickFrequencyLow};
        uint32_t values[2] = {};
        size_t done = 0;
        if (link_->client->readRegisters(addresses, values, done).ok())
            tickFrequency_ = uint64_t(values[0]) << 32 | values[1];
        // A frequency above the 64-bit product's room would overflow the conversion.
        if (tickFrequency_ > (uint64_t(1) << 40))
            tickFrequency_ = 0;
    }

    GevBackend& backend_;
    const uint32_t uniqueId_;
    const bool master_;
    std::unique_ptr<Link> link_;
    mkapi::BackendEvents& events_;
    const mkapi::Clock& clock_;
    const uint32_t interfaceAddress_;
    const bool driven_;
    uint32_t peerAddress_ = 0;
    uint64_t tickFrequency_ = 0;
    ControlChannel channel_;
    std::mutex mutex_;
    std::atomic<bool> lost_{false};
    bool closed_ = false, streaming_ = false;
    uint32_t capabilities_ = 0;
    std::unique_ptr<NodeMap> map_;
    std::unique_ptr<GvcpPort> port_;
    std::unique_ptr<FeatureAttributes> attributes_;
    std::vector<std::string> names_;
    std::unique_ptr<HeartbeatThread> heartbeat_;
    std::shared_ptr<StreamReceiver> receiver_;
    mkapi::StreamSink* sink_ = nullptr;
    AssemblyCounters past_;
};

GevBackend::GevBackend(GevSetup setup, const mkapi::Clock& clock)
    : setup_(std::move(setup)), clock_(clock), ownNetwork_(udpNetwork()), network_(*ownNetwork_)
{
}
GevBackend::GevBackend(GevSetup setup, const mkapi::Clock& clock, GevNetwork& network)
    : setup_(std::move(setup)), clock_(clock), network_(network)
{
}
GevBackend::~GevBackend() = default;

void GevBackend::drive(Session* session, bool add)
{
    std::lock_guard lock(drivenMutex_);
    if (add)
        driven_.push_back(session);
    else
        driven_.erase(std::remove(driven_.begin(), driven_.end(), session), driven_.end());
}

void GevBackend::advance(uint64_t)
{
    std::lock_guard lock(drivenMutex_);
    for (Session* session : driven_) session->drive();
}

uint64_t GevBackend::nextDueUs()
{
    std::lock_guard lock(drivenMutex_);
    if (driven_.empty())
        return kNever;
    uint64_t due = network_.nextArrivalUs();
    for (Session* session : driven_) due = std::min(due, session->nextDueUs());
    return due;
}

void GevBackend::start(mkapi::BackendEvents& events) { events_ = &events; }
void GevBackend::stop() {}

GevBackend::Known* GevBackend::find(uint32_t uniqueId)
{
    for (auto& [mac, known] : known_)
        if (known.entry.uniqueId == uniqueId)
            return &known;
    return nullptr;
}

std::vector<mkapi::CameraEntry> GevBackend::cameras()
{
    // One discovery per configured address, each bounded by its time-out; a camera that
    // answers nothing now is not listed.
    std::vector<std::pair<uint32_t, DeviceInfo>> seen;
    for (uint32_t address : setup_.search) {
        std::string error;
        auto transport = network_.control(setup_.interfaceAddress, address, setup_.port, error);
        if (!transport)
            continue;
        GvcpClient client(*transport, clock_, GvcpOptions{1, setup_.discoveryTimeoutMs, setup_.discoveryTimeoutMs});
        DeviceInfo info;
        if (!client.discover(info).ok())
            continue;
        uint32_t privilege = 0;
        client.readRegister(bootstrap::ControlChannelPrivilege, privilege);
        info.versionMajor = uint16_t(privilege & 3); // carried to the entry below
        seen.emplace_back(address, std::move(info));
    }
    // Broadcast needs the system's sockets; a network on virtual time has none.
    if (setup_.broadcast && network_.ownThreads())
        broadcastDiscovery(seen);
    std::lock_guard lock(mutex_);
    for (auto& [mac, known] : known_) known.present = false;
    std::vector<mkapi::CameraEntry> list;
    for (auto& [address, info] : seen) {
        Known& known = known_[info.mac];
        if (!known.entry.uniqueId)
            known.entry.uniqueId = nextId_++;
        if (known.present)
            continue; // the same camera behind two configured addresses
        known.present = true;
        known.mac = info.mac;
        known.deviceAddress = address;
        mkapi::CameraEntry& e = known.entry;
        e.name = info.userName.empty() ? info.model : info.userName;
        e.model = info.model;
        e.vendor = info.manufacturer;
        e.serialNumber = info.serialNumber;
        e.firmwareVersion = info.deviceVersion;
        e.address = toLibraryOrder(info.address);
        e.reachable = setup_.interfaceMask == 0 || sameSubnet(setup_.interfaceAddress, setup_.interfaceMask, info.address);
        e.masterTaken = info.versionMajor != 0;
        list.push_back(e);
    }
    return list;
}

// One discovery to the limited broadcast from the interface's address, every answer within
// the time-out taken (at most kMaxAnswers, so a flood cannot hold the listing).
void GevBackend::broadcastDiscovery(std::vector<std::pair<uint32_t, DeviceInfo>>& seen)
{
    constexpr size_t kMaxAnswers = 256;
    std::string error;
    auto socket = UdpSocket::open(setup_.interfaceAddress, 0, error);
    if (!socket || !socket->enableBroadcast())
        return;
    socket->setPeer(0xFFFFFFFF, setup_.port);
    const uint16_t requestId = uint16_t(0x4000 + (clock_.nowUs() & 0x3FFF));
    if (socket->send(encodeDiscovery(requestId, true)) != DatagramStatus::Ok)
        return;
    socket->setPeer(0, 0); // answers come from every device
    const uint64_t deadline = clock_.nowUs() + uint64_t(setup_.discoveryTimeoutMs) * 1000;
    std::vector<uint8_t> buffer(1500);
    std::vector<std::pair<uint32_t, DeviceInfo>> found;
    for (size_t answers = 0; answers < kMaxAnswers; ++answers) {
        const uint64_t now = clock_.nowUs();
        size_t got = 0;
        if (now >= deadline || socket->receive(buffer, deadline - now, got) != DatagramStatus::Ok)
            break;
        GvcpAckView ack;
        if (decodeAck(std::span(buffer.data(), got), ack) != DecodeError::None ||
            ack.ackCode != ackCodeFor(GvcpCommand::Discovery) || ack.requestId != requestId ||
            ack.status != gvcp_status::Success)
            continue;
        auto info = decodeDeviceInfo(ack.data);
        const uint32_t from = socket->lastSender();
        if (!info || from == 0)
            continue;
        const auto same = [&](const auto& s) { return s.second.mac == info->mac; };
        if (std::none_of(seen.begin(), seen.end(), same) && std::none_of(found.begin(), found.end(), same))
            found.emplace_back(from, std::move(*info));
    }
    // Whether control is taken, asked of each device directly.
    for (auto& [address, info] : found) {
        auto unicast = UdpSocket::open(setup_.interfaceAddress, 0, error);
        if (!unicast)
            continue;
        unicast->setPeer(address, setup_.port);
        GvcpClient client(*unicast, clock_, GvcpOptions{1, setup_.discoveryTimeoutMs, setup_.discoveryTimeoutMs});
        uint32_t privilege = 0;
        client.readRegister(bootstrap::ControlChannelPrivilege, privilege);
        info.versionMajor = uint16_t(privilege & 3);
        seen.emplace_back(address, std::move(info));
    }
}

std::unique_ptr<GevBackend::Link> GevBackend::connectTo(uint32_t uniqueId, mkapi::Code& code)
{
    uint32_t address = 0;
    {
        std::lock_guard lock(mutex_);
        Known* known = find(uniqueId);
        if (!known || !known->present) {
            code = MK_ERR_NOT_FOUND;
            return nullptr;
        }
        address = known->deviceAddress;
    }
    std::string error;
    auto link = connect(address, error);
    if (!link)
        code = MK_ERR_RESOURCES;
    return link;
}

mkapi::Code GevBackend::ipSettings(uint32_t uniqueId, mkapi::IpConfig& config)
{
    Code code = 0;
    auto link = connectTo(uniqueId, code);
    if (!link)
        return code;
    return codeOf(readIpSettings(*link->client, config));
}

mkapi::Code GevBackend::changeIpSettings(uint32_t uniqueId, const mkapi::IpConfig& config)
{
    Code code = 0;
    auto link = connectTo(uniqueId, code);
    if (!link)
        return code;
    // The device takes writes from whoever holds control; take it for the writes.
    ControlChannel channel(*link->client, clock_);
    if (GvcpResult r = channel.take(false); !r.ok())
        return r.outcome == GvcpOutcome::Nack ? Code(MK_ERR_ACCESS_DENIED) : codeOf(r);
    const GvcpResult written = writeIpSettings(*link->client, config);
    channel.release();
    if (written.outcome == GvcpOutcome::BadArgument)
        return MK_ERR_BAD_PARAMETER;
    return codeOf(written);
}

mkapi::Code GevBackend::open(uint32_t uniqueId, uint32_t accessMode, std::unique_ptr<mkapi::CameraSession>& session)
{
    uint32_t address = 0;
    {
        std::lock_guard lock(mutex_);
        Known* known = find(uniqueId);
        if (!known || !known->present)
            return MK_ERR_NOT_FOUND;
        if (!known->entry.reachable)
            return MK_ERR_ACCESS_DENIED;
        address = known->deviceAddress;
    }
    std::string error;
    auto link = connect(address, error);
    if (!link)
        return MK_ERR_RESOURCES;
    auto opened = std::make_unique<Session>(*this, uniqueId, accessMode == MK_ACCESS_MASTER, std::move(link));
    opened->setPeer(address);
    if (const Code code = opened->begin(error))
        return code;
    session = std::move(opened);
    return 0;
}

std::unique_ptr<GevSetup> readGevSetup(const mkapi::Description& description,
                                       std::vector<mkapi::DescriptionError>& errors)
{
    auto setup = std::make_unique<GevSetup>();
    const size_t before = errors.size();
    bool haveInterface = false;
    const mkapi::DescriptionSection* section = description.section("GigEVision");
    if (section) {
        for (const mkapi::DescriptionEntry& e : section->entries) {
            std::string key;
            for (char c : e.key) key += char(std::tolower(static_cast<unsigned char>(c)));
            auto bad = [&](const std::string& why) {
                errors.push_back(description.errorAt(e.line, "[GigEVision] " + e.key + ": " + why));
            };
            if (key == "search") {
                std::string_view rest = e.value;
                while (!rest.empty()) {
                    const size_t comma = rest.find(',');
                    const std::string item = trim(rest.substr(0, comma));
                    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
                    const auto address = parseAddress(item);
                    if (!address || *address == 0 || *address == 0xFFFFFFFF)
                        bad("'" + item + "' is not a device address");
                    else
                        setup->search.push_back(*address);
                }
            } else if (key == "interface") {
                const std::string value = trim(e.value);
                const size_t slash = value.find('/');
                const auto address = parseAddress(value.substr(0, slash));
                uint32_t bits = 0;
                if (!address || slash == std::string::npos || !readNumber(value.substr(slash + 1), 1, 32, bits)) {
                    bad("'" + value + "' is not ADDRESS/BITS, e.g. 192.168.0.2/24");
                } else {
                    setup->interfaceAddress = *address;
                    setup->interfaceMask = bits == 32 ? 0xFFFFFFFF : ~(0xFFFFFFFFu >> bits);
                    haveInterface = true;
                }
            } else if (key == "broadcast") {
                std::string v;
                for (char c : trim(e.value)) v += char(std::tolower(static_cast<unsigned char>(c)));
                if (v == "yes" || v == "no")
                    setup->broadcast = v == "yes";
                else
                    bad("yes or no");
            } else if (key == "port") {
                uint32_t port = 0;
                if (!readNumber(e.value, 1, 65535, port))
                    bad("a port is 1 to 65535");
                setup->port = uint16_t(port);
            } else if (key == "discoverytimeoutms") {
                if (!readNumber(e.value, 10, 10000, setup->discoveryTimeoutMs))
                    bad("10 to 10000 milliseconds");
            } else if (key == "gvcptimeoutms") {
                if (!readNumber(e.value, 10, 10000, setup->timeoutMs))
                    bad("10 to 10000 milliseconds");
            } else if (key == "gvcpretries") {
                if (!readNumber(e.value, 0, kMaxRetries, setup->retries))
                    bad("0 to 20");
            } else {
                bad("unknown key");
            }
        }
    }
    const int line = section ? section->line : 0;
    if (errors.size() == before && setup->broadcast && !haveInterface)
        errors.push_back(description.errorAt(line, "[GigEVision] Broadcast: needs the Interface= it goes out on"));
    if (errors.size() == before && setup->search.empty() && !setup->broadcast)
        errors.push_back(description.errorAt(line, "[GigEVision] Search: no camera address to search"));
    if (errors.size() == before && !haveInterface) {
        // Loopback needs no interface named; anything else must say where frames come to.
        if (!std::all_of(setup->search.begin(), setup->search.end(), isLoopback))
            errors.push_back(description.errorAt(
                line, "[GigEVision] Interface: the host's address on the cameras' network is needed, e.g. 192.168.0.2/24"));
        setup->interfaceAddress = 0x7F000001;
        setup->interfaceMask = 0xFF000000;
    }
    if (errors.size() != before)
        return nullptr;
    return setup;
}

mkapi::BackendFactory gigeVisionFactory()
{
    mkapi::BackendFactory factory;
    factory.name = "gigevision";
    factory.claims = [](const mkapi::DescriptionSection& section) {
        std::string name;
        for (char c : section.name) name += char(std::tolower(static_cast<unsigned char>(c)));
        return name == "gigevision";
    };
    factory.make = [](const mkapi::Description& description, const mkapi::Clock& clock,
                      std::vector<mkapi::DescriptionError>& errors) -> std::unique_ptr<mkapi::Backend> {
        auto setup = readGevSetup(description, errors);
        if (!setup)
            return nullptr;
        return std::make_unique<GevBackend>(std::move(*setup), clock);
    };
    return factory;
}

} // namespace mkgev
