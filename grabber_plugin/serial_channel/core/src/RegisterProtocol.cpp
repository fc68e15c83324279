// One port's register exchanges, each as the camera expects it.
#include "zelmk_serial/RegisterProtocol.h"

#include <algorithm>

namespace zelmk::serial {

namespace {

// A clock that stands still must not keep a transmit waiting for ever.
constexpr uint64_t kMaxReadyPolls = 100000;

uint32_t Done(uint32_t code, uint32_t done, uint32_t count)
{
    if (code != MK_ERR_SUCCESS) return code;
    return done == count ? uint32_t{MK_ERR_SUCCESS} : uint32_t{MK_ERR_INTERNAL_FAULT};
}

bool WriteOne(RegisterBus& bus, uint32_t address, uint32_t value) { return bus.Write(1, &address, &value) == 0; }

bool ReadOne(RegisterBus& bus, uint32_t address, uint32_t& value) { return bus.Read(1, &address, &value) == 0; }

} // namespace

uint32_t MkRegisterBus::Read(uint32_t count, const uint32_t* addresses, uint32_t* values)
{
    if (!m_api._Mk_Factory_Test_10) return MK_ERR_INTERNAL_FAULT;
    uint32_t done = 0;
    const uint32_t code = m_api._Mk_Factory_Test_10(m_handle, count, addresses, values, &done);
    return Done(code, done, count);
}

uint32_t MkRegisterBus::Write(uint32_t count, const uint32_t* addresses, const uint32_t* values)
{
    if (!m_api._Mk_Factory_Test_11) return MK_ERR_INTERNAL_FAULT;
    uint32_t done = 0;
    const uint32_t code = m_api._Mk_Factory_Test_11(m_handle, count, addresses, values, &done);
    return Done(code, done, count);
}

uint64_t TransmitReadyLimitMs(const LineSettings& settings, uint64_t previousBytes)
{
    const uint64_t bytes = std::min<uint64_t>(previousBytes, reg::kBufferBytes);
    return 1000 + (2 * bytes * CharacterTimeUs(settings) + 999) / 1000;
}

bool OpenPort(RegisterBus& bus, uint32_t base, uint32_t mode)
{
    const uint32_t addresses[] = {base + reg::kMode, base + reg::kTxControl, base + reg::kRxControl, base + reg::kRxStatus};
    const uint32_t values[] = {mode, kControlOn, kControlOn, kRxStatusClearAll};
    return bus.Write(4, addresses, values) == 0;
}

bool ClosePort(RegisterBus& bus, uint32_t base)
{
    const uint32_t addresses[] = {base + reg::kTxControl, base + reg::kRxControl, base + reg::kRxStatus};
    const uint32_t values[] = {kControlOff, kControlOff, kRxStatusClearAll};
    return bus.Write(3, addresses, values) == 0;
}

bool PurgePort(RegisterBus& bus, uint32_t base, uint32_t flags)
{
    if ((flags & 1u) && !WriteOne(bus, base + reg::kRxControl, kControlOn)) return false;
    if ((flags & 2u) && !WriteOne(bus, base + reg::kTxControl, kControlOn)) return false;
    return true;
}

bool Transmit(RegisterBus& bus, uint32_t base, std::span<const uint8_t> bytes, const ReadyClock& clock, uint64_t limitMs)
{
    if (bytes.size() > reg::kBufferBytes) return false;
    const uint64_t start = clock.nowMs();
    for (uint64_t poll = 0;; ++poll) {
        uint32_t status = 0;
        if (!ReadOne(bus, base + reg::kTxStatus, status)) return false;
        if (status & 1u) break;
        if (clock.nowMs() - start >= limitMs || poll + 1 >= kMaxReadyPolls) return false;
        clock.pause();
    }
    const std::vector<uint32_t> values = PackBytes(bytes);
    std::vector<uint32_t> addresses(values.size());
    for (size_t i = 0; i < addresses.size(); ++i) addresses[i] = base + reg::kTxBuffer + static_cast<uint32_t>(4 * i);
    // After a failed stage the buffer may hold an older message: starting it would send that.
    if (bus.Write(static_cast<uint32_t>(values.size()), addresses.data(), values.data()) != 0) return false;
    return WriteOne(bus, base + reg::kTxLength, static_cast<uint32_t>(bytes.size()));
}

TransmitOutcome TransmitAll(RegisterBus& bus, uint32_t base, std::span<const uint8_t> bytes,
                            const LineSettings& settings, const ReadyClock& clock, uint64_t& previous)
{
    TransmitOutcome outcome;
    while (outcome.sent < bytes.size()) {
        const size_t piece = std::min<size_t>(bytes.size() - outcome.sent, reg::kBufferBytes);
        if (!Transmit(bus, base, bytes.subspan(outcome.sent, piece), clock, TransmitReadyLimitMs(settings, previous))) {
            outcome.ok = false;
            return outcome;
        }
        previous = piece;
        outcome.sent += piece;
    }
    return outcome;
}

std::optional<uint32_t> ReceiveLength(RegisterBus& bus, uint32_t base)
{
    uint32_t length = 0;
    if (!ReadOne(bus, base + reg::kRxLength, length)) return std::nullopt;
    return length;
}

uint32_t Receive(RegisterBus& bus, uint32_t base, std::span<uint8_t> out)
{
    const std::optional<uint32_t> waiting = ReceiveLength(bus, base);
    if (!waiting) return 0;
    // A camera never holds more than its buffer; a larger count would read past it.
    const uint32_t k = static_cast<uint32_t>(std::min<uint64_t>({out.size(), *waiting, reg::kBufferBytes}));
    if (k == 0) return 0;
    const uint32_t n = RegistersFor(k);
    std::vector<uint32_t> addresses(n), values(n, 0);
    for (uint32_t i = 0; i < n; ++i) addresses[i] = base + reg::kRxBuffer + 4 * i;
    if (bus.Read(n, addresses.data(), values.data()) != 0) return 0;
    UnpackBytes(values, out.first(k));
    if (!WriteOne(bus, base + reg::kRxLength, k)) return 0;
    return k;
}

std::vector<SerialPortEntry> EnumeratePorts(RegisterBus& bus)
{
    std::vector<SerialPortEntry> ports;
    for (uint32_t i = 0; i < kPortCount; ++i) {
        const uint32_t addresses[] = {kPorts[i].base + reg::kCapability, kPorts[i].base + reg::kSupported};
        uint32_t values[2] = {};
        if (bus.Read(2, addresses, values) != 0 || !PortExists(values[0])) continue;
        ports.push_back({static_cast<int32_t>(i), kPorts[i].name, kPorts[i].description, values[1]});
    }
    return ports;
}

} // namespace zelmk::serial
