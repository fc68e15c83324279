// The control client against a device on virtual time: retries, time-outs, pending
// acknowledges, stale answers, splitting, and the control channel's heartbeat.
#include "mk_gev/GvcpClient.h"

#include "FakeDevice.h"

#include <gtest/gtest.h>

#include <numeric>

namespace mkgev {
namespace {

using testing::FakeDevice;
using testing::VirtualClock;

uint16_t requestIdOf(const std::vector<uint8_t>& packet) { return load16(packet, 6); }

struct ClientTest : ::testing::Test {
    VirtualClock clock;
    FakeDevice device{clock};
    GvcpClient client{device, clock, GvcpOptions{3, 200, 5000}};
};

TEST_F(ClientTest, DiscoveryDecodesTheDevice)
{
    DeviceInfo info;
    ASSERT_TRUE(client.discover(info).ok());
    EXPECT_EQ("Virtual", info.model);
    EXPECT_EQ("V1", info.serialNumber);
    EXPECT_EQ(0x7F000001u, info.address);
}

TEST_F(ClientTest, LostAnswersAreAskedForAgainWithTheSameRequestId)
{
    struct Case {
        int lost;
        GvcpOutcome expected;
        size_t sends;
    };
    const Case cases[] = {{0, GvcpOutcome::Ok, 1}, {2, GvcpOutcome::Ok, 3}, {3, GvcpOutcome::Ok, 4}, {4, GvcpOutcome::Timeout, 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lost);
        device.sent.clear();
        device.dropAnswers = c.lost;
        device.registers[0x100] = 640;
        uint64_t start = clock.now;
        uint32_t value = 0;
        GvcpResult result = client.readRegister(0x100, value);
        EXPECT_EQ(c.expected, result.outcome) << result.message();
        ASSERT_EQ(c.sends, device.sent.size());
        for (const auto& packet : device.sent)
            EXPECT_EQ(requestIdOf(device.sent[0]), requestIdOf(packet));
        if (result.ok()) {
            EXPECT_EQ(640u, value);
        }
        // Each silent attempt costs exactly one time-out, never more.
        uint64_t lostAttempts = std::min<uint64_t>(c.lost, 4);
        uint64_t expected = lostAttempts * 200000 + (result.ok() ? device.latencyUs : 0);
        EXPECT_EQ(expected, clock.now - start);
        device.dropAnswers = 0;
    }
    EXPECT_EQ(4u + 3u + 2u, client.counters().timeouts);
}

TEST_F(ClientTest, PendingAcknowledgesExtendTheWaitWithinTheirBound)
{
    device.registers[0x200] = 7;
    device.pendingFirstMs = 1000;
    device.answerDelayUs = 800000; // past the 200 ms time-out, inside the pending time
    uint32_t value = 0;
    GvcpResult result = client.readRegister(0x200, value);
    ASSERT_TRUE(result.ok()) << result.message();
    EXPECT_EQ(7u, value);
    EXPECT_EQ(1u, device.sent.size());
    EXPECT_EQ(1u, client.counters().pending);

    // The device keeps asking for more time than the command may take in total.
    client.setOptions(GvcpOptions{3, 200, 300});
    device.answerDelayUs = 2000000;
    uint64_t start = clock.now;
    result = client.readRegister(0x200, value);
    EXPECT_EQ(GvcpOutcome::Timeout, result.outcome);
    EXPECT_LE(clock.now - start, 4 * 200000u + 300000u);
}

TEST_F(ClientTest, AnswersToOtherRequestsAreIgnored)
{
    device.registers[0x300] = 0xCAFE;
    device.staleFirst = true;
    uint32_t value = 0;
    ASSERT_TRUE(client.readRegister(0x300, value).ok());
    EXPECT_EQ(0xCAFEu, value);
    EXPECT_EQ(1u, client.counters().stale);
    EXPECT_EQ(1u, device.sent.size());
}

TEST_F(ClientTest, RequestIdsIncreaseAndSkipZeroWhenTheyWrap)
{
    uint32_t value = 0;
    uint16_t previous = 0;
    for (int i = 0; i < 65537; ++i) {
        ASSERT_TRUE(client.readRegister(0x0, value).ok());
        uint16_t id = requestIdOf(device.sent.back());
        ASSERT_NE(0, id);
        if (i > 0) {
            ASSERT_EQ(previous == 0xFFFF ? 1 : previous + 1, id);
        }
        previous = id;
        device.sent.clear();
    }
}

TEST_F(ClientTest, ManyRegistersAreSplitAsTheDeviceAllows)
{
    std::vector<uint32_t> addresses(200);
    for (uint32_t i = 0; i < addresses.size(); ++i) {
        addresses[i] = 0x1000 + 4 * i;
        device.registers[addresses[i]] = i * 3;
    }
    struct Case {
        const char* what;
        bool multiple;
        bool firstValueOnly;
        size_t commands;
    };
    const Case cases[] = {
        {"one register per command", false, false, 200},
        {"as many as a packet holds", true, false, 2},
        {"a device that answers only the first", true, true, 200},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        client.setMultipleReads(c.multiple);
        device.firstValueOnly = c.firstValueOnly;
        device.sent.clear();
        std::vector<uint32_t> values(addresses.size(), 0xFFFFFFFF);
        size_t done = 0;
        ASSERT_TRUE(client.readRegisters(addresses, values, done).ok());
        EXPECT_EQ(addresses.size(), done);
        EXPECT_EQ(c.commands, device.sent.size());
        for (uint32_t i = 0; i < values.size(); ++i)
            ASSERT_EQ(i * 3, values[i]) << "register " << i;
    }
    std::vector<uint32_t> values(addresses.size(), 1);
    size_t done = 0;
    ASSERT_TRUE(client.writeRegisters(addresses, values, done).ok());
    EXPECT_EQ(addresses.size(), done);
    EXPECT_EQ(1u, device.registers[addresses.back()]);
}

TEST_F(ClientTest, RefusedAccessStopsAndCountsWhatWentThrough)
{
    const uint32_t addresses[] = {0x10, 0x14, 0x18};
    const uint32_t values[] = {1, 2, 3};
    device.failingAddresses[0x18] = gvcp_status::WriteProtect;
    size_t done = 0;
    GvcpResult result = client.writeRegisters(addresses, values, done);
    EXPECT_EQ(GvcpOutcome::Nack, result.outcome);
    EXPECT_EQ(gvcp_status::WriteProtect, result.status);
    EXPECT_EQ("the device answered WRITE_PROTECT", result.message());
    EXPECT_EQ(2u, done);

    client.setMultipleReads(true);
    uint32_t read[3] = {};
    result = client.readRegisters(addresses, read, done);
    EXPECT_EQ(GvcpOutcome::Nack, result.outcome);
    EXPECT_EQ(2u, done);
    EXPECT_EQ(2u, read[1]);
    // A refusal is an answer: it is not retried.
    EXPECT_EQ(2u, device.sent.size());
}

TEST_F(ClientTest, MemoryAtAnyAddressAndLength)
{
    device.memory.resize(0x3e67);
    std::iota(device.memory.begin(), device.memory.end(), uint8_t(0));
    struct Case {
        uint32_t offset;
        size_t length;
        size_t commands;
    };
    const Case cases[] = {{0, 0x3e67, 32}, {1, 3, 1}, {3, 512, 2}, {0x3e60, 7, 1}, {4, 512, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.offset);
        device.sent.clear();
        std::vector<uint8_t> out(c.length, 0xEE);
        size_t done = 0;
        ASSERT_TRUE(client.readMemory(device.memoryBase + c.offset, out, done).ok());
        EXPECT_EQ(c.length, done);
        EXPECT_EQ(c.commands, device.sent.size());
        EXPECT_TRUE(std::equal(out.begin(), out.end(), device.memory.begin() + c.offset));
    }

    std::vector<uint8_t> bytes(600, 0x5A);
    size_t done = 0;
    ASSERT_TRUE(client.writeMemory(device.memoryBase + 8, bytes, done).ok());
    EXPECT_EQ(600u, done);
    EXPECT_EQ(0x5A, device.memory[8 + 599]);
    EXPECT_EQ(GvcpOutcome::BadArgument, client.writeMemory(device.memoryBase + 2, bytes, done).outcome);
    EXPECT_EQ(GvcpOutcome::BadArgument, client.readMemory(0xFFFFFFF0, bytes, done).outcome);
}

TEST_F(ClientTest, ResendRequestsGoOutOnceWithoutAnAcknowledge)
{
    ASSERT_TRUE(client.requestResend(0, 17, 5, 9).ok());
    ASSERT_EQ(1u, device.sent.size());
    GvcpCommandView command;
    ASSERT_EQ(DecodeError::None, decodeCommand(device.sent[0], command));
    EXPECT_EQ(0, command.flags & kFlagAckWanted);
    EXPECT_EQ(GvcpOutcome::BadArgument, client.requestResend(0, 17, 9, 5).outcome);
}

TEST_F(ClientTest, ControlIsKeptByTheHeartbeatAndLostWithTheDevice)
{
    ControlChannel control(client, clock);
    EXPECT_EQ(ControlChannel::kNever, control.nextDueUs());
    ASSERT_TRUE(control.take(false).ok());
    EXPECT_EQ(kPrivilegeControl, device.registers[bootstrap::ControlChannelPrivilege]);
    EXPECT_EQ(3000u, control.heartbeatTimeoutMs());
    EXPECT_EQ(clock.now + 1000000, control.nextDueUs());

    // Not yet due: nothing is sent.
    device.sent.clear();
    control.tick();
    EXPECT_TRUE(device.sent.empty());

    // Ten seconds of heartbeats keep control on the device's side.
    for (int i = 0; i < 10; ++i) {
        clock.now = control.nextDueUs();
        control.tick();
        ASSERT_FALSE(control.lost());
    }
    EXPECT_EQ(10u, device.sent.size());
    EXPECT_EQ(kPrivilegeControl, device.registers[bootstrap::ControlChannelPrivilege]);

    // The device goes silent: lost within its time-out, after a bounded number of tries.
    device.silent = true;
    uint64_t silentFrom = clock.now;
    for (int i = 0; i < 100 && !control.lost(); ++i) {
        clock.now = std::max(clock.now, control.nextDueUs());
        control.tick();
    }
    EXPECT_TRUE(control.lost());
    EXPECT_LE(clock.now - silentFrom, 3000000u + 4 * 200000u + 1000000u);
    EXPECT_EQ(ControlChannel::kNever, control.nextDueUs());
}

TEST_F(ClientTest, ControlTakenAwayByTheDeviceIsSeenAsLost)
{
    ControlChannel control(client, clock);
    device.registers[bootstrap::HeartbeatTimeout] = 100; // clamped up to the minimum
    ASSERT_TRUE(control.take(true).ok());
    EXPECT_EQ(ControlChannel::kMinTimeoutMs, control.heartbeatTimeoutMs());
    EXPECT_EQ(kPrivilegeExclusive, device.registers[bootstrap::ControlChannelPrivilege]);
    // The host stalls past the device's time-out; the device gives control away.
    clock.now += 500000;
    control.tick();
    EXPECT_TRUE(control.lost());

    ControlChannel again(client, clock);
    ASSERT_TRUE(again.take(false).ok());
    ASSERT_TRUE(again.release().ok());
    EXPECT_EQ(0u, device.registers[bootstrap::ControlChannelPrivilege]);
    EXPECT_EQ(ControlChannel::kNever, again.nextDueUs());
}

} // namespace
} // namespace mkgev
