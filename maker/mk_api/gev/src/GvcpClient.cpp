// One control-protocol command at a time: send, wait for the matching acknowledge within
// bounded time, resend with the same request id, honour pending acknowledges.
#include "mk_gev/GvcpClient.h"

#include "mk_gev/Wire.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace mkgev {

std::string GvcpResult::message() const
{
    switch (outcome) {
    case GvcpOutcome::Ok: return "ok";
    case GvcpOutcome::Nack: return std::string("the device answered ") + gvcpStatusName(status);
    case GvcpOutcome::Timeout: return "the device did not answer";
    case GvcpOutcome::Broken: return "the network socket failed";
    case GvcpOutcome::BadAnswer: return "the device's answer does not fit the request";
    case GvcpOutcome::BadArgument: return "the request does not fit a control packet";
    }
    return "?";
}

GvcpClient::GvcpClient(DatagramTransport& transport, const mkapi::Clock& clock, GvcpOptions options)
    : transport_(transport), clock_(clock), options_(options)
{
}

void GvcpClient::setOptions(const GvcpOptions& options)
{
    std::lock_guard lock(mutex_);
    options_ = options;
}

GvcpOptions GvcpClient::options() const
{
    std::lock_guard lock(mutex_);
    return options_;
}

void GvcpClient::setMultipleReads(bool allowed)
{
    std::lock_guard lock(mutex_);
    multipleReads_ = allowed;
}

GvcpCounters GvcpClient::counters() const
{
    std::lock_guard lock(mutex_);
    return counters_;
}

uint16_t GvcpClient::nextRequestId()
{
    // Non-zero and increasing; 0 is never sent, so it wraps from 65535 to 1.
    requestId_ = requestId_ == 0xFFFF ? 1 : uint16_t(requestId_ + 1);
    return requestId_;
}

GvcpResult GvcpClient::transact(std::vector<uint8_t> command, uint16_t ackCode, AckHandler handler, void* context)
{
    if (command.empty())
        return {GvcpOutcome::BadArgument};
    uint16_t id = load16(command, 6);
    ++counters_.commands;
    std::array<uint8_t, 1500> buffer;
    uint64_t pendingLeftUs = uint64_t(options_.maxPendingMs) * 1000;
    for (uint32_t attempt = 0; attempt <= options_.retries; ++attempt) {
        if (attempt > 0)
            ++counters_.retries;
        if (transport_.send(command) == DatagramStatus::Broken)
            return {GvcpOutcome::Broken};
        uint64_t deadline = clock_.nowUs() + uint64_t(options_.timeoutMs) * 1000;
        // Every pass either returns, consumes a datagram, or reaches the deadline; stale
        // datagrams are bounded by what the peer sends, so the loop is bounded in time.
        for (;;) {
            uint64_t now = clock_.nowUs();
            if (now >= deadline)
                break;
            size_t got = 0;
            DatagramStatus status = transport_.receive(buffer, deadline - now, got);
            if (status == DatagramStatus::Broken)
                return {GvcpOutcome::Broken};
            if (status == DatagramStatus::Timeout)
                break;
            GvcpAckView ack;
            if (decodeAck(std::span(buffer.data(), got), ack) != DecodeError::None || ack.requestId != id) {
                ++counters_.stale;
                continue;
            }
            if (ack.ackCode == kAckPending) {
                uint16_t ms = 0;
                if (pendingTimeMs(ack, ms) != DecodeError::None)
                    return {GvcpOutcome::BadAnswer};
                ++counters_.pending;
                uint64_t extension = std::min<uint64_t>(uint64_t(ms) * 1000, pendingLeftUs);
                pendingLeftUs -= extension;
                deadline = std::max(deadline, clock_.nowUs() + extension);
                continue;
            }
            if (ack.ackCode != ackCode)
                return {GvcpOutcome::BadAnswer};
            GvcpResult result = handler(ack, context);
            if (result.ok() && ack.status != gvcp_status::Success)
                return {GvcpOutcome::Nack, ack.status};
            return result;
        }
        ++counters_.timeouts;
    }
    return {GvcpOutcome::Timeout};
}

GvcpResult GvcpClient::discover(DeviceInfo& info)
{
    std::lock_guard lock(mutex_);
    return transact(
        encodeDiscovery(nextRequestId(), false), ackCodeFor(GvcpCommand::Discovery),
        [](const GvcpAckView& ack, void* context) -> GvcpResult {
            if (ack.status != gvcp_status::Success)
                return {GvcpOutcome::Nack, ack.status};
            auto decoded = decodeDeviceInfo(ack.data);
            if (!decoded)
                return {GvcpOutcome::BadAnswer};
            *static_cast<DeviceInfo*>(context) = std::move(*decoded);
            return {};
        },
        &info);
}

namespace {

struct ReadContext {
    std::span<uint32_t> values;
    size_t count = 0;
};

GvcpResult onReadRegisters(const GvcpAckView& ack, void* context)
{
    auto& read = *static_cast<ReadContext*>(context);
    if (readRegisterValues(ack, read.values, read.count) != DecodeError::None)
        return {GvcpOutcome::BadAnswer};
    // A success that answers nothing would leave the caller without progress.
    if (ack.status == gvcp_status::Success && read.count == 0)
        return {GvcpOutcome::BadAnswer};
    return {};
}

struct WriteContext {
    uint16_t index = 0;
};

GvcpResult onWriteRegisters(const GvcpAckView& ack, void* context)
{
    auto& write = *static_cast<WriteContext*>(context);
    if (writeRegisterIndex(ack, write.index) != DecodeError::None)
        return {GvcpOutcome::BadAnswer};
    return {};
}

struct MemoryContext {
    uint32_t address = 0;
    std::span<uint8_t> out;
};

GvcpResult onReadMemory(const GvcpAckView& ack, void* context)
{
    auto& read = *static_cast<MemoryContext*>(context);
    if (ack.status != gvcp_status::Success)
        return {GvcpOutcome::Nack, ack.status};
    std::span<const uint8_t> bytes;
    if (readMemoryData(ack, read.address, bytes) != DecodeError::None || bytes.size() != read.out.size())
        return {GvcpOutcome::BadAnswer};
    std::memcpy(read.out.data(), bytes.data(), bytes.size());
    return {};
}

struct WriteMemoryContext {
    uint16_t written = 0;
};

GvcpResult onWriteMemory(const GvcpAckView& ack, void* context)
{
    auto& write = *static_cast<WriteMemoryContext*>(context);
    if (writeMemoryCount(ack, write.written) != DecodeError::None)
        return {GvcpOutcome::BadAnswer};
    return {};
}

} // namespace

GvcpResult GvcpClient::readRegister(uint32_t address, uint32_t& value)
{
    size_t done = 0;
    return readRegisters(std::span(&address, 1), std::span(&value, 1), done);
}

GvcpResult GvcpClient::writeRegister(uint32_t address, uint32_t value)
{
    size_t done = 0;
    return writeRegisters(std::span(&address, 1), std::span(&value, 1), done);
}

GvcpResult GvcpClient::readRegisters(std::span<const uint32_t> addresses, std::span<uint32_t> values, size_t& done)
{
    done = 0;
    if (addresses.size() > values.size())
        return {GvcpOutcome::BadArgument};
    std::lock_guard lock(mutex_);
    while (done < addresses.size()) {
        size_t chunk = std::min(addresses.size() - done, multipleReads_ ? kMaxReadRegisters : size_t(1));
        ReadContext read{values.subspan(done, chunk)};
        GvcpResult result = transact(encodeReadRegisters(nextRequestId(), addresses.subspan(done, chunk)),
                                     ackCodeFor(GvcpCommand::ReadRegister), onReadRegisters, &read);
        // A device may answer fewer values than asked (some answer only the first); the
        // rest are asked again.
        done += std::min(read.count, chunk);
        if (!result.ok())
            return result;
    }
    return {};
}

GvcpResult GvcpClient::writeRegisters(std::span<const uint32_t> addresses, std::span<const uint32_t> values,
                                      size_t& done)
{
    done = 0;
    if (addresses.size() != values.size())
        return {GvcpOutcome::BadArgument};
    std::lock_guard lock(mutex_);
    while (done < addresses.size()) {
        size_t chunk = std::min(addresses.size() - done, kMaxWriteRegisters);
        WriteContext write;
        GvcpResult result =
            transact(encodeWriteRegisters(nextRequestId(), addresses.subspan(done, chunk), values.subspan(done, chunk)),
                     ackCodeFor(GvcpCommand::WriteRegister), onWriteRegisters, &write);
        if (!result.ok()) {
            // On failure the index names the pair that failed: those before it were written.
            if (result.outcome == GvcpOutcome::Nack)
                done += std::min<size_t>(write.index, chunk);
            return result;
        }
        done += chunk;
    }
    return {};
}

GvcpResult GvcpClient::readMemory(uint32_t address, std::span<uint8_t> bytes, size_t& done)
{
    done = 0;
    if (uint64_t(address) + bytes.size() > 0x100000000ull)
        return {GvcpOutcome::BadArgument};
    std::lock_guard lock(mutex_);
    std::array<uint8_t, kMaxMemoryBlock> block;
    while (done < bytes.size()) {
        uint32_t at = address + uint32_t(done);
        uint32_t aligned = at & ~3u;
        uint32_t skip = at - aligned;
        size_t want = std::min<size_t>(bytes.size() - done + skip, kMaxMemoryBlock);
        uint32_t count = uint32_t((want + 3) & ~size_t(3));
        if (uint64_t(aligned) + count > 0x100000000ull)
            return {GvcpOutcome::BadArgument};
        MemoryContext read{aligned, std::span(block.data(), count)};
        GvcpResult result = transact(encodeReadMemory(nextRequestId(), aligned, count),
                                     ackCodeFor(GvcpCommand::ReadMemory), onReadMemory, &read);
        if (!result.ok())
            return result;
        size_t take = std::min<size_t>(count - skip, bytes.size() - done);
        std::memcpy(bytes.data() + done, block.data() + skip, take);
        done += take;
    }
    return {};
}

GvcpResult GvcpClient::writeMemory(uint32_t address, std::span<const uint8_t> bytes, size_t& done)
{
    done = 0;
    if (address % 4 != 0 || bytes.size() % 4 != 0 || uint64_t(address) + bytes.size() > 0x100000000ull)
        return {GvcpOutcome::BadArgument};
    std::lock_guard lock(mutex_);
    while (done < bytes.size()) {
        size_t chunk = std::min<size_t>(bytes.size() - done, kMaxMemoryBlock);
        WriteMemoryContext write;
        GvcpResult result =
            transact(encodeWriteMemory(nextRequestId(), address + uint32_t(done), bytes.subspan(done, chunk)),
                     ackCodeFor(GvcpCommand::WriteMemory), onWriteMemory, &write);
        if (!result.ok()) {
            if (result.outcome == GvcpOutcome::Nack)
                done += std::min<size_t>(write.written, chunk);
            return result;
        }
        if (write.written != chunk) {
            done += std::min<size_t>(write.written, chunk);
            return {GvcpOutcome::BadAnswer};
        }
        done += chunk;
    }
    return {};
}

GvcpResult GvcpClient::requestResend(uint16_t channel, uint16_t blockId, uint32_t firstPacket, uint32_t lastPacket)
{
    std::lock_guard lock(mutex_);
    auto command = encodePacketResend(nextRequestId(), channel, blockId, firstPacket, lastPacket);
    if (command.empty())
        return {GvcpOutcome::BadArgument};
    ++counters_.commands;
    if (transport_.send(command) == DatagramStatus::Broken)
        return {GvcpOutcome::Broken};
    return {};
}

// ---- control channel

ControlChannel::ControlChannel(GvcpClient& client, const mkapi::Clock& clock) : client_(client), clock_(clock) {}

GvcpResult ControlChannel::take(bool exclusive)
{
    GvcpResult result = client_.writeRegister(bootstrap::ControlChannelPrivilege,
                                              exclusive ? kPrivilegeExclusive : kPrivilegeControl);
    if (!result.ok())
        return result;
    uint32_t timeout = 0;
    if (client_.readRegister(bootstrap::HeartbeatTimeout, timeout).ok())
        heartbeatTimeoutMs_ = std::clamp(timeout, kMinTimeoutMs, kMaxTimeoutMs);
    held_ = true;
    lost_ = false;
    lastSuccessUs_ = clock_.nowUs();
    // A third of the time-out leaves room for two lost heartbeats and their retries.
    nextDueUs_ = lastSuccessUs_ + uint64_t(heartbeatTimeoutMs_) * 1000 / 3;
    return {};
}

GvcpResult ControlChannel::release()
{
    held_ = false;
    nextDueUs_ = kNever;
    if (lost_)
        return {};
    return client_.writeRegister(bootstrap::ControlChannelPrivilege, 0);
}

uint64_t ControlChannel::nextDueUs() const
{
    return held_ && !lost_ ? nextDueUs_ : kNever;
}

void ControlChannel::tick()
{
    if (!held_ || lost_)
        return;
    uint64_t now = clock_.nowUs();
    if (now < nextDueUs_)
        return;
    uint32_t privilege = 0;
    GvcpResult result = client_.readRegister(bootstrap::ControlChannelPrivilege, privilege);
    now = clock_.nowUs();
    uint64_t interval = uint64_t(heartbeatTimeoutMs_) * 1000 / 3;
    if (result.ok()) {
        if ((privilege & (kPrivilegeExclusive | kPrivilegeControl)) == 0) {
            // The device already gave control away: its time-out passed on its side.
            lost_ = true;
            return;
        }
        lastSuccessUs_ = now;
        nextDueUs_ = now + interval;
        return;
    }
    if (now - lastSuccessUs_ >= uint64_t(heartbeatTimeoutMs_) * 1000) {
        lost_ = true;
        return;
    }
    // Try again soon, well before the device's time-out runs out.
    nextDueUs_ = now + std::min<uint64_t>(interval / 4 + 1, uint64_t(heartbeatTimeoutMs_) * 1000);
}

} // namespace mkgev
