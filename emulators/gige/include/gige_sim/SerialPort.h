// A camera's serial port as a UART behind camera registers, and the devices that can be
// attached to it. Time is passed in (microseconds), never read from a clock.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gigesim {

// Register offsets from a port's base.
namespace serial_reg {
constexpr uint32_t kCapability = 0x000, kSupported = 0x100, kMode = 0x104, kTxStatus = 0x124, kTxControl = 0x128,
                   kTxLength = 0x12C, kRxStatus = 0x144, kRxControl = 0x148, kRxLength = 0x14C, kTxBuffer = 0x400,
                   kRxBuffer = 0x800, kBufferBytes = 0x400, kSpan = 0x1000;
} // namespace serial_reg

// Register bases of ports 0, 1, 2.
constexpr uint32_t kSerialPortBases[3] = {0x16000, 0x60000, 0x61000};

// Receive status bits (write 1 to clear).
constexpr uint32_t kRxStatusData = 1, kRxStatusOverflow = 2;

// A device on the other end of the line.
class SerialDevice {
public:
    virtual ~SerialDevice() = default;
    virtual std::string name() const = 0;
    // A byte arrives at the device at nowUs.
    virtual void receive(uint8_t byte, uint64_t nowUs) = 0;
    // Bytes the device has sent by nowUs.
    virtual std::string takeOutput(uint64_t nowUs) = 0;
    // When the device next sends by itself, if it will.
    virtual std::optional<uint64_t> nextOutputUs() const = 0;
    // Why the device no longer works (a peer gone, bytes lost), empty while it does.
    virtual std::string problem() const { return {}; }
};

// Echoes every byte at once.
std::unique_ptr<SerialDevice> makeLoopback();
// The KL-7700 camera emulator (emulators/kl7700), in-process.
std::unique_ptr<SerialDevice> makeKl7700();

class SerialPort {
public:
    // Every setting supported: all baud rates, parities, byte sizes and stop bits.
    static constexpr uint32_t kAllSettings = 0x7FF | (7u << 16) | (0xFu << 20) | (7u << 24);

    explicit SerialPort(uint32_t supported = kAllSettings);

    void attach(std::unique_ptr<SerialDevice> device); // null detaches
    SerialDevice* device() const { return device_.get(); }

    // Register access at an offset from the base; false for an offset the port lacks
    // or a value it refuses (`code` says which MK_ERR_*).
    bool read(uint32_t offset, uint32_t& value, uint64_t nowUs);
    bool write(uint32_t offset, uint32_t value, uint64_t nowUs, uint32_t& code);

    // Moves the line on to nowUs: bytes leave and arrive at the byte time.
    void update(uint64_t nowUs);
    // When update() next has work, if ever.
    std::optional<uint64_t> nextDueUs() const;

    // Microseconds one character takes at the current mode (start, data, parity, stop bits).
    uint64_t byteTimeUs() const;

    uint32_t overflows() const { return overflows_; }
    uint64_t bytesSent() const { return bytesSent_; }
    uint64_t bytesReceived() const { return bytesReceived_; }

private:
    struct Arrival {
        uint64_t atUs;
        uint8_t byte;
    };
    void takeDeviceOutput(uint64_t atUs);

    uint32_t supported_;
    uint32_t mode_ = 9 | (3u << 10); // 115200 baud, no parity, 8 bits, 1 stop bit
    bool txEnabled_ = false, rxEnabled_ = false;
    uint32_t rxStatus_ = 0;
    uint8_t txStage_[serial_reg::kBufferBytes] = {};
    std::deque<uint8_t> txFifo_;
    uint64_t txNextUs_ = 0; // when the head of txFifo_ has fully left
    std::deque<Arrival> line_;
    uint64_t lineFreeUs_ = 0; // when the line from the device is free again
    uint64_t cursorUs_ = 0;   // how far the line has been moved on
    bool timeStarted_ = false; // the first update has set the cursor
    std::vector<uint8_t> rx_;
    uint32_t overflows_ = 0;
    uint64_t bytesSent_ = 0, bytesReceived_ = 0;
    std::unique_ptr<SerialDevice> device_;
};

} // namespace gigesim
