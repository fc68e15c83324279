// The UART behind a camera's serial-port registers, and the loopback and KL-7700 devices.
#include "gige_sim/SerialPort.h"

#include "kl7700emu/Camera.h"
#include "mk_api/MkApi.h"

#include <algorithm>

namespace gigesim {
namespace {

constexpr uint32_t kBaud[11] = {300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400};
constexpr uint64_t kNever = UINT64_MAX;

class Loopback : public SerialDevice {
public:
    std::string name() const override { return "loopback"; }
    void receive(uint8_t byte, uint64_t nowUs) override { pending_.push_back({nowUs, byte}); }
    std::string takeOutput(uint64_t nowUs) override
    {
        std::string out;
        while (!pending_.empty() && pending_.front().first <= nowUs) {
            out.push_back(char(pending_.front().second));
            pending_.pop_front();
        }
        return out;
    }
    std::optional<uint64_t> nextOutputUs() const override
    {
        if (pending_.empty())
            return std::nullopt;
        return pending_.front().first;
    }

private:
    std::deque<std::pair<uint64_t, uint8_t>> pending_;
};

// The emulator counts milliseconds; the line counts microseconds.
class Kl7700 : public SerialDevice {
public:
    std::string name() const override { return "kl7700"; }
    void receive(uint8_t byte, uint64_t nowUs) override
    {
        const char c = char(byte);
        camera_.receive(std::string_view(&c, 1), nowUs / 1000);
    }
    std::string takeOutput(uint64_t nowUs) override { return camera_.takeOutput(nowUs / 1000); }
    std::optional<uint64_t> nextOutputUs() const override
    {
        const auto ms = camera_.nextOutputAtMs();
        if (!ms)
            return std::nullopt;
        return *ms * 1000;
    }

private:
    kl7700emu::Camera camera_;
};

} // namespace

std::unique_ptr<SerialDevice> makeLoopback() { return std::make_unique<Loopback>(); }
std::unique_ptr<SerialDevice> makeKl7700() { return std::make_unique<Kl7700>(); }

SerialPort::SerialPort(uint32_t supported) : supported_(supported) {}

void SerialPort::attach(std::unique_ptr<SerialDevice> device)
{
    device_ = std::move(device);
    line_.clear();
}

uint64_t SerialPort::byteTimeUs() const
{
    const uint32_t baudIndex = mode_ & 0xFF;
    const uint32_t baud = baudIndex < 11 ? kBaud[baudIndex] : 115200;
    const uint32_t dataBits = 5 + ((mode_ >> 10) & 3);
    const uint32_t parityBits = ((mode_ >> 8) & 3) != 0 ? 1 : 0;
    // Stop bits in halves: 1, 1.5, 2.
    const uint32_t stopHalves = 2 + ((mode_ >> 12) & 3);
    const uint64_t halfBits = 2 * (1 + dataBits + parityBits) + stopHalves;
    return std::max<uint64_t>(1, (halfBits * 1000000ull + baud) / (2ull * baud));
}

bool SerialPort::read(uint32_t offset, uint32_t& value, uint64_t nowUs)
{
    using namespace serial_reg;
    update(nowUs);
    if (offset % 4 != 0)
        return false;
    if (offset >= kTxBuffer && offset < kTxBuffer + kBufferBytes) {
        const uint8_t* b = txStage_ + (offset - kTxBuffer);
        value = uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3];
        return true;
    }
    if (offset >= kRxBuffer && offset < kRxBuffer + kBufferBytes) {
        value = 0;
        const size_t first = offset - kRxBuffer;
        for (size_t i = 0; i < 4; ++i)
            value |= uint32_t(first + i < rx_.size() ? rx_[first + i] : 0) << (24 - 8 * i);
        return true;
    }
    switch (offset) {
    case kCapability: value = 3; return true;
    case kSupported: value = supported_; return true;
    case kMode: value = mode_; return true;
    case kTxStatus: value = txFifo_.empty() ? 1 : 0; return true;
    case kTxControl: value = txEnabled_ ? 2 : 0; return true;
    case kTxLength: value = uint32_t(txFifo_.size()); return true;
    case kRxStatus: value = rxStatus_ | (rx_.empty() ? 0 : kRxStatusData); return true;
    case kRxControl: value = rxEnabled_ ? 2 : 0; return true;
    case kRxLength: value = uint32_t(rx_.size()); return true;
    default: return false;
    }
}

bool SerialPort::write(uint32_t offset, uint32_t value, uint64_t nowUs, uint32_t& code)
{
    using namespace serial_reg;
    update(nowUs);
    code = MK_ERR_BAD_PARAMETER;
    if (offset % 4 != 0)
        return false;
    if (offset >= kTxBuffer && offset < kTxBuffer + kBufferBytes) {
        uint8_t* b = txStage_ + (offset - kTxBuffer);
        b[0] = uint8_t(value >> 24), b[1] = uint8_t(value >> 16), b[2] = uint8_t(value >> 8), b[3] = uint8_t(value);
        return true;
    }
    switch (offset) {
    case kMode: {
        const uint32_t baud = value & 0xFF, parity = (value >> 8) & 3, size = (value >> 10) & 3,
                       stop = (value >> 12) & 3;
        const bool ok = (value >> 14) == 0 && baud < 11 && (supported_ >> baud & 1) && parity < 3 &&
            (supported_ >> (16 + parity) & 1) && (supported_ >> (20 + size) & 1) && stop < 3 &&
            (supported_ >> (24 + stop) & 1);
        if (!ok) {
            code = MK_ERR_OUT_OF_RANGE;
            return false;
        }
        mode_ = value;
        return true;
    }
    case kTxControl:
        // Bit 0 empties the buffer, bit 1 keeps the transmitter on: 3 opens or purges, 1 closes.
        if (value & 1)
            txFifo_.clear();
        txEnabled_ = (value & 2) != 0;
        return true;
    case kRxControl:
        if (value & 1) {
            rx_.clear();
            rxStatus_ &= ~kRxStatusOverflow;
        }
        rxEnabled_ = (value & 2) != 0;
        return true;
    case kRxStatus: rxStatus_ &= ~value; return true;
    case kTxLength:
        if (value > kBufferBytes) {
            code = MK_ERR_OUT_OF_RANGE;
            return false;
        }
        if (!txEnabled_ || !txFifo_.empty()) {
            code = MK_ERR_FORBIDDEN;
            return false;
        }
        txFifo_.insert(txFifo_.end(), txStage_, txStage_ + value);
        txNextUs_ = nowUs + byteTimeUs();
        return true;
    case kRxLength:
        if (value > rx_.size()) {
            code = MK_ERR_OUT_OF_RANGE;
            return false;
        }
        rx_.erase(rx_.begin(), rx_.begin() + value);
        return true;
    case kCapability:
    case kSupported:
    case kTxStatus: code = MK_ERR_FORBIDDEN; return false;
    default:
        if (offset >= kRxBuffer && offset < kRxBuffer + kBufferBytes)
            code = MK_ERR_FORBIDDEN;
        return false;
    }
}

void SerialPort::takeDeviceOutput(uint64_t atUs)
{
    if (!device_)
        return;
    const std::string out = device_->takeOutput(atUs);
    const uint64_t byteTime = byteTimeUs();
    for (char c : out) {
        lineFreeUs_ = std::max(lineFreeUs_, atUs) + byteTime;
        line_.push_back({lineFreeUs_, uint8_t(c)});
    }
}

void SerialPort::update(uint64_t nowUs)
{
    // The line starts when the port is first looked at: a device that polls
    // (a TCP peer, every 2 ms) would otherwise be walked from time 0 up to a
    // clock that counts from the machine's start, millions of polls at once.
    if (!timeStarted_) {
        cursorUs_ = std::max(cursorUs_, nowUs);
        timeStarted_ = true;
    }
    for (;;) {
        const uint64_t tx = txFifo_.empty() ? kNever : txNextUs_;
        const auto deviceDue = device_ ? device_->nextOutputUs() : std::nullopt;
        const uint64_t dev = deviceDue ? std::max(*deviceDue, cursorUs_) : kNever;
        const uint64_t t = std::min(tx, dev);
        if (t > nowUs)
            break;
        cursorUs_ = std::max(cursorUs_, t);
        if (tx <= dev) {
            const uint8_t byte = txFifo_.front();
            txFifo_.pop_front();
            ++bytesSent_;
            if (device_) {
                device_->receive(byte, tx);
                takeDeviceOutput(tx);
            }
            if (!txFifo_.empty())
                txNextUs_ = tx + byteTimeUs();
        } else {
            takeDeviceOutput(dev);
        }
    }
    cursorUs_ = std::max(cursorUs_, nowUs);
    while (!line_.empty() && line_.front().atUs <= nowUs) {
        const uint8_t byte = line_.front().byte;
        line_.pop_front();
        if (!rxEnabled_)
            continue; // a receiver that is off hears nothing
        if (rx_.size() >= serial_reg::kBufferBytes) {
            ++overflows_;
            rxStatus_ |= kRxStatusOverflow;
            continue;
        }
        rx_.push_back(byte);
        ++bytesReceived_;
    }
}

std::optional<uint64_t> SerialPort::nextDueUs() const
{
    uint64_t due = kNever;
    if (!txFifo_.empty())
        due = txNextUs_;
    if (!line_.empty())
        due = std::min(due, line_.front().atUs);
    if (device_)
        if (const auto d = device_->nextOutputUs())
            due = std::min(due, *d);
    if (due == kNever)
        return std::nullopt;
    return due;
}

} // namespace gigesim
