// The in-process KL-7700 camera emulator as a transport.
#pragma once

#include "kiv_comm_device/Transport.h"

#include <cstdint>
#include <memory>
#include <string>

namespace kl7700emu {
class Camera;
}

namespace kivinst {

// Time source of the emulator transport: real steady time in the product,
// virtual time in tests (sleepMs then just advances the clock).
class Clock {
public:
    virtual ~Clock() = default;
    virtual uint64_t nowMs() = 0;
    virtual void sleepMs(uint32_t ms) = 0;
};

std::unique_ptr<Clock> makeSteadyClock();

class EmulatorTransport final : public Transport {
public:
    // The camera outlives the stream: like a real camera it keeps its
    // parameters while the port is closed and opened again.
    EmulatorTransport(std::shared_ptr<Clock> clock, std::shared_ptr<kl7700emu::Camera> camera);
    ~EmulatorTransport() override;

    bool open(std::string& error) override;
    void close() override;
    IoStatus write(const char* data, size_t size, size_t& written) override;
    IoStatus read(char* buffer, size_t size, uint32_t timeoutMs, size_t& got) override;
    bool purge(unsigned long flags) override;
    std::string describe() const override;

private:
    std::shared_ptr<Clock> clock_;
    std::shared_ptr<kl7700emu::Camera> camera_;
    bool open_ = false;
    std::string unread_; // taken from the camera, not yet read by the host
};

} // namespace kivinst
