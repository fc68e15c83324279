// The in-process camera emulator behind the communication device's stream.
#include "kiv_comm_device/EmulatorTransport.h"

#include "kl7700emu/Camera.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace kivinst {
namespace {

class SteadyClock final : public Clock {
public:
    uint64_t nowMs() override
    {
        using namespace std::chrono;
        return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
    void sleepMs(uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

constexpr uint32_t kPollStepMs = 5;

} // namespace

std::unique_ptr<Clock> makeSteadyClock()
{
    return std::make_unique<SteadyClock>();
}

EmulatorTransport::EmulatorTransport(std::shared_ptr<Clock> clock, std::shared_ptr<kl7700emu::Camera> camera)
    : clock_(std::move(clock)), camera_(std::move(camera))
{
}

EmulatorTransport::~EmulatorTransport() = default;

bool EmulatorTransport::open(std::string& error)
{
    if (!camera_) {
        error = "No emulated camera";
        return false;
    }
    camera_->takeOutput(clock_->nowMs()); // sent while nobody listened
    unread_.clear();
    error.clear();
    open_ = true;
    return true;
}

void EmulatorTransport::close()
{
    open_ = false;
    unread_.clear();
}

IoStatus EmulatorTransport::write(const char* data, size_t size, size_t& written)
{
    written = 0;
    if (!open_)
        return IoStatus::Broken;
    camera_->receive(std::string_view(data, size), clock_->nowMs());
    written = size;
    return IoStatus::Ok;
}

IoStatus EmulatorTransport::read(char* buffer, size_t size, uint32_t timeoutMs, size_t& got)
{
    got = 0;
    if (!open_)
        return IoStatus::Broken;
    const uint64_t deadline = clock_->nowMs() + timeoutMs;
    unread_ += camera_->takeOutput(clock_->nowMs());
    // Replies the camera delays (calibration, injected delays) appear later:
    // poll in small steps until something is there or the time is up.
    while (unread_.empty()) {
        const uint64_t now = clock_->nowMs();
        if (now >= deadline)
            break;
        clock_->sleepMs(static_cast<uint32_t>(std::min<uint64_t>(kPollStepMs, deadline - now)));
        unread_ += camera_->takeOutput(clock_->nowMs());
    }
    got = std::min(size, unread_.size());
    std::memcpy(buffer, unread_.data(), got);
    unread_.erase(0, got);
    return IoStatus::Ok;
}

bool EmulatorTransport::purge(unsigned long flags)
{
    if (!open_)
        return false;
    if (flags & 1) {
        camera_->takeOutput(clock_->nowMs()); // what has been sent so far
        unread_.clear();
    }
    return true; // nothing waits to be sent: writes reach the camera at once
}

std::string EmulatorTransport::describe() const
{
    return "Built-in KL-7700 emulator";
}

} // namespace kivinst
