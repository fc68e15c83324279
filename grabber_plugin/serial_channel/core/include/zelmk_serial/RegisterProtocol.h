// The register exchanges of one camera serial port: open, close, purge,
// transmit and receive, and the list of ports a camera offers. Each exchange
// is the exact sequence of register-read and register-write calls the camera
// expects; the caller holds the grabber's lock around it.
#pragma once

#include "zelmk/MkApiTable.h"
#include "zelmk_serial/SerialPorts.h"
#include "zelmk_serial/SerialSettings.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace zelmk::serial {

// One call of the camera library over `count` registers: 0 when every register
// went through, else the library's code.
class RegisterBus {
public:
    virtual ~RegisterBus() = default;
    virtual uint32_t Read(uint32_t count, const uint32_t* addresses, uint32_t* values) = 0;
    virtual uint32_t Write(uint32_t count, const uint32_t* addresses, const uint32_t* values) = 0;
};

// The library's register functions over an open camera. A call that reports
// fewer registers done than asked for counts as failed, whatever its code.
class MkRegisterBus : public RegisterBus {
public:
    MkRegisterBus(const MkApiFunctions& api, MkHandle handle) : m_api(api), m_handle(handle) {}
    uint32_t Read(uint32_t count, const uint32_t* addresses, uint32_t* values) override;
    uint32_t Write(uint32_t count, const uint32_t* addresses, const uint32_t* values) override;

private:
    const MkApiFunctions& m_api;
    MkHandle m_handle;
};

// The transmit-ready wait's time: a millisecond clock and the pause between
// two reads of the status register.
struct ReadyClock {
    std::function<uint64_t()> nowMs;
    std::function<void()> pause;
};

// How long a port may stay busy before a transmit gives up: one second, plus
// twice the time the previous transfer takes on the line at these settings
// (at most a full transmit buffer).
uint64_t TransmitReadyLimitMs(const LineSettings& settings, uint64_t previousBytes);

// Mode, transmit control 3, receive control 3, receive status all ones: one call.
bool OpenPort(RegisterBus& bus, uint32_t base, uint32_t mode);
// Transmit control 1, receive control 1, receive status all ones: one call.
bool ClosePort(RegisterBus& bus, uint32_t base);
// Bit 0 empties the receiver, bit 1 the transmitter, one write each.
bool PurgePort(RegisterBus& bus, uint32_t base, uint32_t flags);

// Waits for transmit-ready (bounded by limitMs on the clock), writes the packed
// bytes in one call and their count in another. At most one transmit buffer.
bool Transmit(RegisterBus& bus, uint32_t base, std::span<const uint8_t> bytes, const ReadyClock& clock,
              uint64_t limitMs);

struct TransmitOutcome {
    uint64_t sent = 0;
    bool ok = true;
};
// The whole span in pieces of one transmit buffer, each a transmit; `previous`
// carries the size of the last piece across calls for the ready limit.
TransmitOutcome TransmitAll(RegisterBus& bus, uint32_t base, std::span<const uint8_t> bytes,
                            const LineSettings& settings, const ReadyClock& clock, uint64_t& previous);

// The bytes waiting, nullopt when the register cannot be read.
std::optional<uint32_t> ReceiveLength(RegisterBus& bus, uint32_t base);
// Takes at most out.size() bytes: the length, the buffer in one call, the count
// taken back. The bytes taken, 0 when nothing was waiting or a call failed.
uint32_t Receive(RegisterBus& bus, uint32_t base, std::span<uint8_t> out);

// Ports 0, 1, 2 in order, one call for capability and supported settings each;
// a failed read or a port without both capability bits is left out.
std::vector<SerialPortEntry> EnumeratePorts(RegisterBus& bus);

} // namespace zelmk::serial
