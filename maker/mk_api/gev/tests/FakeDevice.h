// A GigE Vision device on virtual time for the client's tests: registers, memory, the
// control channel with its heartbeat time-out, and faults (lost, stale, pending, short
// answers). The transport's waits advance the virtual clock instead of sleeping.
#pragma once

#include "mk_api_core/Library.h"
#include "mk_gev/Bootstrap.h"
#include "mk_gev/Datagram.h"
#include "mk_gev/Gvcp.h"
#include "mk_gev/Wire.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <deque>
#include <map>

namespace mkgev::testing {

// Also the library's time source: the library's own waits look at the clock again after a
// millisecond of real time (a test on virtual time waits with time-out 0 and pumps).
class VirtualClock : public mkapi::TimeSource {
public:
    uint64_t nowUs() const override { return now; }
    void waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, uint64_t) const override
    {
        cv.wait_for(lock, std::chrono::milliseconds(1));
    }
    uint64_t now = 1000000;
};

class FakeDevice : public DatagramTransport {
protected:
    struct Pending {
        uint64_t at;
        std::vector<uint8_t> bytes;
    };
    using Queue = std::deque<Pending>;

public:
    explicit FakeDevice(VirtualClock& clock) : clock_(clock)
    {
        registers[bootstrap::HeartbeatTimeout] = 3000;
        registers[bootstrap::ControlChannelPrivilege] = 0;
        info.model = "Virtual";
        info.serialNumber = "V1";
        info.address = 0x7F000001;
    }

    // ---- knobs
    DeviceInfo info;
    std::map<uint32_t, uint32_t> registers;
    uint32_t memoryBase = 0x10000;
    std::vector<uint8_t> memory;
    uint64_t latencyUs = 500;
    int dropAnswers = 0;                           // answers lost on the way back
    bool silent = false;                           // unplugged
    int pendingFirstMs = 0;                        // a pending acknowledge before the answer
    uint64_t answerDelayUs = 0;                    // when the real answer follows the pending one
    bool staleFirst = false;                       // an answer to an older request id first
    bool firstValueOnly = false;                   // answers a multi-register read with the first value only
    std::map<uint32_t, uint16_t> failingAddresses; // status for reads and writes there

    // ---- what happened
    std::vector<std::vector<uint8_t>> sent;
    uint32_t handledCommands = 0;

    DatagramStatus send(std::span<const uint8_t> datagram) override { return process(datagram, queue_); }
    DatagramStatus receive(std::span<uint8_t> buffer, uint64_t timeoutUs, size_t& got) override
    {
        return take(queue_, buffer, timeoutUs, got);
    }

    // Another socket of the host to this device, with answers of its own.
    class Link : public DatagramTransport {
    public:
        explicit Link(FakeDevice& device) : device_(device) {}
        DatagramStatus send(std::span<const uint8_t> datagram) override { return device_.process(datagram, queue_); }
        DatagramStatus receive(std::span<uint8_t> buffer, uint64_t timeoutUs, size_t& got) override
        {
            return device_.take(queue_, buffer, timeoutUs, got);
        }

    private:
        FakeDevice& device_;
        Queue queue_;
    };

protected:
    // What a device built on this one does on a register written, or a resend asked for.
    virtual void written(uint32_t address, uint32_t value) {}
    virtual void resendAsked(uint16_t blockId, uint32_t first, uint32_t last) {}

    // The datagram that arrives first at `queue` within the wait, the clock moved to it;
    // without one the clock moves by the whole wait.
    DatagramStatus take(Queue& queue, std::span<uint8_t> buffer, uint64_t timeoutUs, size_t& got)
    {
        got = 0;
        if (!queue.empty() && queue.front().at <= clock_.now + timeoutUs) {
            clock_.now = std::max(clock_.now, queue.front().at);
            auto bytes = std::move(queue.front().bytes);
            queue.pop_front();
            got = std::min(bytes.size(), buffer.size());
            std::memcpy(buffer.data(), bytes.data(), got);
            return DatagramStatus::Ok;
        }
        clock_.now += timeoutUs;
        return DatagramStatus::Timeout;
    }

    VirtualClock& clock_;

private:
    DatagramStatus process(std::span<const uint8_t> datagram, Queue& answers)
    {
        sent.emplace_back(datagram.begin(), datagram.end());
        if (silent)
            return DatagramStatus::Ok;
        GvcpCommandView command;
        if (decodeCommand(datagram, command) != DecodeError::None)
            return DatagramStatus::Ok;
        ++handledCommands;
        expireControl();
        lastContactUs_ = clock_.now;
        if (command.command == uint16_t(GvcpCommand::PacketResend)) {
            if (command.data.size() >= 12)
                resendAsked(load16(command.data, 2), load32(command.data, 4), load32(command.data, 8));
            return DatagramStatus::Ok;
        }
        std::vector<uint8_t> answer = handle(command);
        uint64_t at = clock_.now + latencyUs;
        if (staleFirst) {
            auto stale = answer;
            store16(stale.data() + 6, uint16_t(command.requestId - 1));
            answers.push_back({at, stale});
        }
        if (pendingFirstMs > 0) {
            uint8_t wait[4] = {0, 0, uint8_t(pendingFirstMs >> 8), uint8_t(pendingFirstMs)};
            answers.push_back({at, encodeAck(0, kAckPending, command.requestId, wait)});
            at += answerDelayUs;
        }
        if (dropAnswers > 0) {
            --dropAnswers;
            return DatagramStatus::Ok;
        }
        answers.push_back({at, std::move(answer)});
        return DatagramStatus::Ok;
    }

    void expireControl()
    {
        uint32_t& privilege = registers[bootstrap::ControlChannelPrivilege];
        if (privilege != 0 && clock_.now - lastContactUs_ > uint64_t(registers[bootstrap::HeartbeatTimeout]) * 1000)
            privilege = 0;
    }

    std::vector<uint8_t> handle(const GvcpCommandView& command)
    {
        std::vector<uint8_t> data;
        uint16_t status = gvcp_status::Success;
        switch (GvcpCommand(command.command)) {
        case GvcpCommand::Discovery: {
            std::array<uint8_t, 248> block;
            encodeDeviceInfo(info, block);
            data.assign(block.begin(), block.end());
            break;
        }
        case GvcpCommand::ReadRegister:
            for (size_t i = 0; i + 4 <= command.data.size(); i += 4) {
                uint32_t address = load32(command.data, i);
                if (auto f = failingAddresses.find(address); f != failingAddresses.end()) {
                    status = f->second;
                    break;
                }
                append32(data, registers[address]);
                if (firstValueOnly)
                    break;
            }
            break;
        case GvcpCommand::WriteRegister: {
            uint16_t index = 0;
            for (size_t i = 0; i + 8 <= command.data.size(); i += 8, ++index) {
                uint32_t address = load32(command.data, i);
                if (auto f = failingAddresses.find(address); f != failingAddresses.end()) {
                    status = f->second;
                    break;
                }
                registers[address] = load32(command.data, i + 4);
                written(address, registers[address]);
            }
            append16(data, 0);
            append16(data, index);
            break;
        }
        case GvcpCommand::ReadMemory: {
            uint32_t address = load32(command.data, 0);
            uint16_t count = load16(command.data, 6);
            append32(data, address);
            for (uint32_t i = 0; i < count; ++i) {
                uint32_t at = address + i - memoryBase;
                if (address + i >= memoryBase && at < memory.size()) {
                    data.push_back(memory[at]);
                    continue;
                }
                // Below the memory block: the registers' bytes, most significant first.
                auto word = registers.find((address + i) & ~3u);
                data.push_back(word == registers.end() ? 0 : uint8_t(word->second >> (3 - (address + i) % 4) * 8));
            }
            break;
        }
        case GvcpCommand::WriteMemory: {
            uint32_t address = load32(command.data, 0);
            size_t n = command.data.size() - 4;
            for (size_t i = 0; i < n; ++i) {
                size_t at = address + i - memoryBase;
                if (at < memory.size())
                    memory[at] = command.data[4 + i];
            }
            append16(data, 0);
            append16(data, uint16_t(n));
            break;
        }
        default: status = gvcp_status::NotImplemented;
        }
        return encodeAck(status, uint16_t(command.command + 1), command.requestId, data);
    }

    Queue queue_;
    uint64_t lastContactUs_ = 0;
};

} // namespace mkgev::testing
