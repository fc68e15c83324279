// The stream channel's receive thread, or its pump on virtual time.
#include "mk_gev/StreamReceiver.h"

namespace mkgev {

StreamReceiver::StreamReceiver(std::unique_ptr<DatagramTransport> socket, uint16_t port, FrameTarget& target,
                               AssemblyLimits limits, const mkapi::Clock& clock)
    // The largest datagram UDP carries: jumbo packets fit too.
    : socket_(std::move(socket)), clock_(clock), port_(port), assembler_(target, limits), packet_(65536)
{
}

StreamReceiver::~StreamReceiver() { stop(); }

void StreamReceiver::start()
{
    if (thread_.joinable())
        return;
    stopping_ = false;
    thread_ = std::thread([this] { run(); });
}

void StreamReceiver::stop()
{
    stopping_ = true;
    if (thread_.joinable())
        thread_.join();
    std::lock_guard lock(mutex_);
    if (stopped_)
        return;
    stopped_ = true;
    assembler_.flush();
    std::lock_guard countersLock(countersMutex_);
    counters_ = assembler_.counters();
}

AssemblyCounters StreamReceiver::counters() const
{
    std::lock_guard lock(countersMutex_);
    return counters_;
}

DatagramStatus StreamReceiver::step(uint64_t timeoutUs)
{
    size_t got = 0;
    const DatagramStatus status = socket_->receive(packet_, timeoutUs, got);
    const uint64_t now = clock_.nowUs();
    if (status == DatagramStatus::Ok)
        assembler_.onPacket(std::span(packet_.data(), got), now);
    else if (status == DatagramStatus::Broken)
        broken_ = true;
    assembler_.poll(now);
    std::lock_guard lock(countersMutex_);
    counters_ = assembler_.counters();
    return status;
}

void StreamReceiver::run()
{
    while (!stopping_) {
        std::lock_guard lock(mutex_);
        if (step(kPollUs) == DatagramStatus::Broken)
            break;
    }
}

void StreamReceiver::pump()
{
    std::lock_guard lock(mutex_);
    if (stopped_ || broken_)
        return;
    for (int i = 0; i < kMaxPerPump; ++i)
        if (step(0) != DatagramStatus::Ok)
            break;
}

uint64_t StreamReceiver::nextDueUs() const
{
    std::lock_guard lock(mutex_);
    return stopped_ ? mkapi::Backend::kNever : assembler_.nextDueUs();
}

} // namespace mkgev
