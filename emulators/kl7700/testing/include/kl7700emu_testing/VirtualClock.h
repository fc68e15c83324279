// Virtual time for the tests of code that waits through a clock: every wait
// advances the time at once and is recorded, so no test sleeps.
#pragma once

#include <cstdint>
#include <vector>

namespace kl7700emu::testing {

// The time itself, which the emulated line reads.
struct VirtualTime {
    uint64_t now = 0;
    uint64_t slept = 0;                // every wait, summed
    std::vector<unsigned long> sleeps; // every wait, in order

    void advance(uint64_t ms)
    {
        now += ms;
        slept += ms;
        sleeps.push_back(static_cast<unsigned long>(ms));
    }
};

// The suite's clock interfaces differ only in shape: the camera session waits
// with Sleep(ms), the communication device asks nowMs() and waits with
// sleepMs(ms), the script processor uses NowMs() and SleepMs(ms). This clock
// serves whichever of them it derives from; the members the interface does
// not declare stay plain functions. A misspelt one leaves the interface's
// function pure, so the clock does not compile rather than silently not wait.
template <class ClockInterface>
class VirtualClock : public ClockInterface, public VirtualTime {
public:
    VirtualClock() = default;
    explicit VirtualClock(uint64_t start) { now = start; }

    void Sleep(unsigned long ms) { advance(ms); }
    void sleepMs(uint32_t ms) { advance(ms); }
    void SleepMs(uint32_t ms) { advance(ms); }
    uint64_t nowMs() { return now; }
    uint64_t NowMs() { return now; }
};

} // namespace kl7700emu::testing
