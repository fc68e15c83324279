// The heartbeat loop on virtual time, and its thread on the real clock.
#include "mk_gev/Heartbeat.h"

#include "FakeDevice.h"

#include <gtest/gtest.h>

#include <chrono>

namespace mkgev {
namespace {

// Jumps the virtual clock to each due time; says stop after `turns` waits.
struct VirtualWaiter : Waiter {
    testing::VirtualClock& clock;
    int turns;
    std::vector<uint64_t> waits;
    VirtualWaiter(testing::VirtualClock& c, int n) : clock(c), turns(n) {}
    bool waitUntil(uint64_t dueUs) override
    {
        if (turns-- == 0)
            return false;
        waits.push_back(dueUs - clock.now);
        clock.now = std::max(clock.now, dueUs);
        return true;
    }
};

TEST(HeartbeatTest, KeepsControlAndReportsItsLossOnce)
{
    testing::VirtualClock clock;
    testing::FakeDevice device(clock);
    GvcpClient client(device, clock, GvcpOptions{3, 200, 1000});
    ControlChannel channel(client, clock);
    ASSERT_TRUE(channel.take(false).ok());

    int lost = 0;
    VirtualWaiter tenBeats(clock, 10);
    runHeartbeat(channel, tenBeats, [&] { ++lost; });
    EXPECT_EQ(0, lost);
    EXPECT_EQ(10u, tenBeats.waits.size());
    for (uint64_t wait : tenBeats.waits)
        EXPECT_LE(wait, 1000000u); // a third of the device's 3 s
    EXPECT_EQ(kPrivilegeControl, device.registers[bootstrap::ControlChannelPrivilege]);

    device.silent = true;
    VirtualWaiter untilLost(clock, 100);
    runHeartbeat(channel, untilLost, [&] { ++lost; });
    EXPECT_EQ(1, lost);
    EXPECT_TRUE(channel.lost());
    EXPECT_GT(untilLost.turns, 0); // ended by the loss, not by the waiter
}

TEST(HeartbeatTest, TheThreadStopsPromptly)
{
    testing::VirtualClock virtualClock;
    testing::FakeDevice device(virtualClock);
    GvcpClient client(device, virtualClock);
    ControlChannel channel(client, virtualClock);
    ASSERT_TRUE(channel.take(false).ok()); // next heartbeat a second away on this clock
    // The thread waits on a clock that never reaches the due time.
    struct Frozen : mkapi::Clock {
        uint64_t nowUs() const override { return 0; }
    } frozen;
    auto start = std::chrono::steady_clock::now();
    {
        HeartbeatThread thread(channel, frozen, [] {});
        thread.stop();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_FALSE(channel.lost());
}

} // namespace
} // namespace mkgev
