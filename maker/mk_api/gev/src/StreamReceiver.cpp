// The stream channel's receive thread.
#include "mk_gev/StreamReceiver.h"

#include <vector>

namespace mkgev {

StreamReceiver::StreamReceiver(std::unique_ptr<UdpSocket> socket, FrameTarget& target, AssemblyLimits limits,
                               const mkapi::Clock& clock)
    : socket_(std::move(socket)), clock_(clock), port_(socket_->localPort()), assembler_(target, limits)
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
}

AssemblyCounters StreamReceiver::counters() const
{
    std::lock_guard lock(countersMutex_);
    return counters_;
}

void StreamReceiver::run()
{
    // The largest datagram UDP carries: jumbo packets fit too.
    std::vector<uint8_t> packet(65536);
    while (!stopping_) {
        size_t got = 0;
        DatagramStatus status = socket_->receive(packet, kPollUs, got);
        uint64_t now = clock_.nowUs();
        if (status == DatagramStatus::Ok)
            assembler_.onPacket(std::span(packet.data(), got), now);
        else if (status == DatagramStatus::Broken)
            broken_ = true;
        assembler_.poll(now);
        {
            std::lock_guard lock(countersMutex_);
            counters_ = assembler_.counters();
        }
        if (broken_)
            break;
    }
    assembler_.flush();
    std::lock_guard lock(countersMutex_);
    counters_ = assembler_.counters();
}

} // namespace mkgev
