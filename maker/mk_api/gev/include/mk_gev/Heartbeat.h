// The control channel's heartbeat on a thread of its own: it waits until the channel's
// next heartbeat is due, sends it, and reports once when control is lost. The waiting is
// injected, so the loop runs on virtual time in tests.
#pragma once

#include "mk_gev/GvcpClient.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace mkgev {

class Waiter {
public:
    virtual ~Waiter() = default;
    // Returns at `dueUs` on the channel's clock (or at once when it has passed) with true,
    // or earlier with false when the loop is to end.
    virtual bool waitUntil(uint64_t dueUs) = 0;
};

// Ticks the channel until the waiter says stop or control is lost; `lost` is called once,
// from the loop, when it is.
void runHeartbeat(ControlChannel& channel, Waiter& waiter, const std::function<void()>& lost);

// The loop on a thread, waiting on the steady clock that `clock` must be.
class HeartbeatThread {
public:
    HeartbeatThread(ControlChannel& channel, const mkapi::Clock& clock, std::function<void()> lost);
    ~HeartbeatThread();
    HeartbeatThread(const HeartbeatThread&) = delete;
    HeartbeatThread& operator=(const HeartbeatThread&) = delete;
    // Ends the loop; returns when the thread has ended (at most one heartbeat later).
    void stop();

private:
    class ConditionWaiter : public Waiter {
    public:
        explicit ConditionWaiter(const mkapi::Clock& clock) : clock_(clock) {}
        bool waitUntil(uint64_t dueUs) override;
        void stop();

    private:
        const mkapi::Clock& clock_;
        std::mutex mutex_;
        std::condition_variable wake_;
        bool stopping_ = false;
    };

    ConditionWaiter waiter_;
    std::thread thread_;
};

} // namespace mkgev
