// The heartbeat loop and its thread.
#include "mk_gev/Heartbeat.h"

#include <chrono>

namespace mkgev {

void runHeartbeat(ControlChannel& channel, Waiter& waiter, const std::function<void()>& lost)
{
    while (channel.held() && !channel.lost()) {
        if (!waiter.waitUntil(channel.nextDueUs()))
            return;
        channel.tick();
    }
    if (channel.lost() && lost)
        lost();
}

bool HeartbeatThread::ConditionWaiter::waitUntil(uint64_t dueUs)
{
    std::unique_lock lock(mutex_);
    // Waits in slices measured on the channel's clock, so a clock other than the system's
    // steady clock still ends each wait on time.
    while (!stopping_) {
        uint64_t now = clock_.nowUs();
        if (now >= dueUs)
            return true;
        wake_.wait_for(lock, std::chrono::microseconds(std::min<uint64_t>(dueUs - now, 100000)));
    }
    return false;
}

void HeartbeatThread::ConditionWaiter::stop()
{
    std::lock_guard lock(mutex_);
    stopping_ = true;
    wake_.notify_all();
}

HeartbeatThread::HeartbeatThread(ControlChannel& channel, const mkapi::Clock& clock, std::function<void()> lost)
    : waiter_(clock), thread_([this, &channel, lost = std::move(lost)] { runHeartbeat(channel, waiter_, lost); })
{
}

HeartbeatThread::~HeartbeatThread() { stop(); }

void HeartbeatThread::stop()
{
    waiter_.stop();
    if (thread_.joinable())
        thread_.join();
}

} // namespace mkgev
