// Arbitrary datagrams as control acknowledges and commands: every decoder, and the
// client over a device that answers with the fuzzer's bytes, so hostile answers are
// checked for reads outside the packet, overflows and unbounded loops.
#include "mk_gev/Bootstrap.h"
#include "mk_gev/GvcpClient.h"
#include "mk_gev/Gvcp.h"
#include "mk_gev/Wire.h"

#include <array>
#include <cstring>
#include <deque>
#include <string_view>

namespace {

class Clock : public mkapi::Clock {
public:
    uint64_t nowUs() const override { return now; }
    uint64_t now = 0;
};

// Answers each command with the next slice of the input, its request id patched in
// when the slice asks for it (the first byte's low bit), so matching answers happen.
class Replayer : public mkgev::DatagramTransport {
public:
    Replayer(Clock& clock, std::span<const uint8_t> data) : clock_(clock), data_(data) {}
    mkgev::DatagramStatus send(std::span<const uint8_t> datagram) override
    {
        lastId_ = datagram.size() >= 8 ? mkgev::load16(datagram, 6) : 0;
        return mkgev::DatagramStatus::Ok;
    }
    mkgev::DatagramStatus receive(std::span<uint8_t> buffer, uint64_t timeoutUs, size_t& got) override
    {
        got = 0;
        if (data_.size() < 2) {
            clock_.now += timeoutUs;
            return mkgev::DatagramStatus::Timeout;
        }
        size_t length = std::min<size_t>(data_[0] | (data_[1] & 0x07) << 8, data_.size() - 2);
        bool patch = data_[1] & 0x80;
        std::span<const uint8_t> slice = data_.subspan(2, length);
        data_ = data_.subspan(2 + length);
        got = std::min(slice.size(), buffer.size());
        std::memcpy(buffer.data(), slice.data(), got);
        if (patch && got >= 8)
            mkgev::store16(buffer.data() + 6, lastId_);
        clock_.now += 10;
        return mkgev::DatagramStatus::Ok;
    }

private:
    Clock& clock_;
    std::span<const uint8_t> data_;
    uint16_t lastId_ = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::span<const uint8_t> bytes(data, size);
    mkgev::GvcpAckView ack;
    if (mkgev::decodeAck(bytes, ack) == mkgev::DecodeError::None) {
        std::array<uint32_t, 8> values;
        size_t count = 0;
        uint16_t word = 0;
        std::span<const uint8_t> memory;
        mkgev::readRegisterValues(ack, values, count);
        mkgev::writeRegisterIndex(ack, word);
        mkgev::readMemoryData(ack, 0, memory);
        mkgev::writeMemoryCount(ack, word);
        mkgev::pendingTimeMs(ack, word);
        mkgev::decodeDeviceInfo(ack.data);
    }
    mkgev::GvcpCommandView command;
    mkgev::decodeCommand(bytes, command);
    mkgev::DescriptionLocation location;
    mkgev::parseDescriptionUrl(std::string_view(reinterpret_cast<const char*>(data), size), location);
    mkgev::parseAddress(std::string_view(reinterpret_cast<const char*>(data), std::min<size_t>(size, 32)));

    // The client over answers from the input.
    Clock clock;
    Replayer device(clock, bytes);
    mkgev::GvcpClient client(device, clock, mkgev::GvcpOptions{2, 100, 300});
    client.setMultipleReads(size % 2);
    mkgev::DeviceInfo info;
    client.discover(info);
    std::array<uint32_t, 3> addresses = {0, 4, 8}, values{};
    size_t done = 0;
    client.readRegisters(addresses, values, done);
    client.writeRegisters(addresses, values, done);
    std::array<uint8_t, 700> block{};
    client.readMemory(0x10001, block, done);
    client.writeMemory(0x10000, std::span(block).first(600), done);
    mkgev::ControlChannel control(client, clock);
    if (control.take(false).ok())
        for (int i = 0; i < 4 && !control.lost(); ++i) {
            clock.now = std::max(clock.now, control.nextDueUs());
            control.tick();
        }
    return 0;
}
