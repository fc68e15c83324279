// A camera's serial port as a UART: byte times, the register map, transmit and receive
// through an attached device, overflow, and the registers' refusals.
#include "gige_sim/SerialPort.h"
#include "mk_api/MkApi.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace gigesim {
namespace {

using namespace serial_reg;

uint32_t mode(uint32_t baud, uint32_t parity, uint32_t size, uint32_t stop)
{
    return baud | parity << 8 | size << 10 | stop << 12;
}

// Opens the port as the grabber's channel does: mode, both controls 3, receive status cleared.
void open(SerialPort& port, uint64_t now, uint32_t modeValue = mode(9, 0, 3, 0))
{
    uint32_t code = 0;
    ASSERT_TRUE(port.write(kMode, modeValue, now, code));
    ASSERT_TRUE(port.write(kTxControl, 3, now, code));
    ASSERT_TRUE(port.write(kRxControl, 3, now, code));
    ASSERT_TRUE(port.write(kRxStatus, 0xFFFFFFFF, now, code));
}

// Packs bytes into the transmit buffer (first byte in the most significant byte) and sends them.
void send(SerialPort& port, const std::string& bytes, uint64_t now)
{
    uint32_t code = 0;
    for (size_t i = 0; i < bytes.size(); i += 4) {
        uint32_t v = 0;
        for (size_t k = 0; k < 4; ++k)
            v |= uint32_t(i + k < bytes.size() ? uint8_t(bytes[i + k]) : 0) << (24 - 8 * k);
        ASSERT_TRUE(port.write(kTxBuffer + uint32_t(i), v, now, code));
    }
    ASSERT_TRUE(port.write(kTxLength, uint32_t(bytes.size()), now, code)) << "code " << code;
}

uint32_t reg(SerialPort& port, uint32_t offset, uint64_t now)
{
    uint32_t v = 0xDEADBEEF;
    EXPECT_TRUE(port.read(offset, v, now)) << std::hex << offset;
    return v;
}

// What the receive buffer holds, taken out as the channel does.
std::string receiveAll(SerialPort& port, uint64_t now)
{
    const uint32_t n = reg(port, kRxLength, now);
    std::string out;
    for (uint32_t i = 0; i < n; i += 4) {
        const uint32_t v = reg(port, kRxBuffer + i, now);
        for (uint32_t k = 0; k < 4 && i + k < n; ++k) out.push_back(char(v >> (24 - 8 * k)));
    }
    uint32_t code = 0;
    EXPECT_TRUE(port.write(kRxLength, n, now, code));
    return out;
}

// A device that polls, as the TCP device does: every 2 ms it is asked for output.
class PollingDevice : public SerialDevice {
public:
    std::string name() const override { return "polling"; }
    void receive(uint8_t, uint64_t) override {}
    std::string takeOutput(uint64_t nowUs) override
    {
        ++polls;
        lastUs = nowUs;
        return {};
    }
    std::optional<uint64_t> nextOutputUs() const override { return lastUs + 2000; }
    uint64_t polls = 0, lastUs = 0;
};

TEST(SerialPort, APollingDeviceStartsAtTheFirstLookNotAtTimeZero)
{
    SerialPort port;
    auto device = std::make_unique<PollingDevice>();
    PollingDevice& polling = *device;
    port.attach(std::move(device));
    // A clock counting from the machine's start (here 100 s; days in practice).
    const uint64_t now = 100ull * 1000000;
    open(port, now);
    EXPECT_LE(polling.polls, 2u) << "walked from 0 in 2 ms steps";
    reg(port, kRxLength, now + 10000);
    EXPECT_LE(polling.polls, 8u);
}

TEST(SerialPort, ByteTimeFollowsTheMode)
{
    const struct {
        uint32_t mode;
        uint64_t us;
    } cases[] = {
        {mode(9, 0, 3, 0), 87},    // 115200 8N1: 10 bits
        {mode(5, 2, 2, 2), 1146},  // 9600 7E2: 11 bits
        {mode(0, 0, 0, 1), 25000}, // 300 5N1.5: 7.5 bits
        {mode(10, 1, 3, 0), 48},   // 230400 8O1: 11 bits
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        SerialPort port;
        uint32_t code = 0;
        ASSERT_TRUE(port.write(kMode, c.mode, 0, code));
        EXPECT_EQ(port.byteTimeUs(), c.us);
    }
}

TEST(SerialPort, BytesLeaveAndReturnAtTheByteTime)
{
    SerialPort port;
    port.attach(makeLoopback());
    const uint64_t t0 = 1000, bt = port.byteTimeUs();
    open(port, t0);
    EXPECT_EQ(reg(port, kCapability, t0) & 3, 3u);
    send(port, "ABCDE", t0);
    EXPECT_EQ(reg(port, kTxStatus, t0) & 1, 0u) << "busy while bytes are on the line";
    const struct {
        uint64_t at;
        uint32_t waiting;
        uint32_t ready;
    } timeline[] = {
        {t0 + bt - 1, 0, 0},
        {t0 + 2 * bt, 1, 0},
        {t0 + 4 * bt, 3, 0},
        {t0 + 5 * bt, 4, 1},
        {t0 + 6 * bt, 5, 1},
    };
    for (const auto& step : timeline) {
        SCOPED_TRACE(step.at - t0);
        EXPECT_EQ(reg(port, kRxLength, step.at), step.waiting);
        EXPECT_EQ(reg(port, kTxStatus, step.at) & 1, step.ready);
    }
    const uint64_t end = t0 + 6 * bt;
    EXPECT_EQ(reg(port, kRxBuffer, end), 0x41424344u);
    EXPECT_EQ(reg(port, kRxBuffer + 4, end) >> 24, 0x45u);
    EXPECT_EQ(reg(port, kRxStatus, end) & kRxStatusData, kRxStatusData);
    uint32_t code = 0;
    ASSERT_TRUE(port.write(kRxLength, 4, end, code));
    EXPECT_EQ(reg(port, kRxLength, end), 1u);
    EXPECT_EQ(reg(port, kRxBuffer, end) >> 24, 0x45u) << "what is left moves to the buffer's start";
    EXPECT_EQ(port.bytesSent(), 5u);
}

TEST(SerialPort, OverflowIsCountedAndFlagged)
{
    SerialPort port;
    port.attach(makeLoopback());
    uint64_t now = 0;
    open(port, now);
    const std::string block(1024, 'x');
    send(port, block, now);
    now += 1100 * port.byteTimeUs();
    EXPECT_EQ(reg(port, kRxLength, now), 1024u);
    send(port, std::string(10, 'y'), now);
    now += 20 * port.byteTimeUs();
    EXPECT_EQ(reg(port, kRxLength, now), 1024u);
    EXPECT_EQ(port.overflows(), 10u);
    EXPECT_EQ(reg(port, kRxStatus, now) & kRxStatusOverflow, kRxStatusOverflow);
    uint32_t code = 0;
    ASSERT_TRUE(port.write(kRxStatus, 0xFFFFFFFF, now, code));
    EXPECT_EQ(reg(port, kRxStatus, now) & kRxStatusOverflow, 0u) << "cleared by writing ones";
    EXPECT_EQ(receiveAll(port, now), block) << "the bytes that fitted are intact";
}

TEST(SerialPort, ClosedReceiverHearsNothing)
{
    SerialPort port;
    port.attach(makeLoopback());
    open(port, 0);
    uint32_t code = 0;
    ASSERT_TRUE(port.write(kRxControl, 1, 0, code)); // as at close
    send(port, "abc", 0);
    EXPECT_EQ(reg(port, kRxLength, 10000), 0u);
    EXPECT_EQ(port.overflows(), 0u);
}

TEST(SerialPort, RegistersRefuseWhatThePortCannotDo)
{
    SerialPort port(1u << 5 | 1u << 9 | 1u << 16 | 1u << 23 | 1u << 24); // 9600, 115200, 8N1 only
    port.attach(makeLoopback());
    const struct {
        const char* what;
        uint32_t offset, value;
        bool openFirst;
        uint32_t code;
    } cases[] = {
        {"unsupported baud rate", kMode, mode(6, 0, 3, 0), false, MK_ERR_OUT_OF_RANGE},
        {"unsupported parity", kMode, mode(9, 2, 3, 0), false, MK_ERR_OUT_OF_RANGE},
        {"unsupported byte size", kMode, mode(9, 0, 2, 0), false, MK_ERR_OUT_OF_RANGE},
        {"transmit before open", kTxLength, 1, false, MK_ERR_FORBIDDEN},
        {"transmit more than the buffer", kTxLength, 1025, true, MK_ERR_OUT_OF_RANGE},
        {"take more than waits", kRxLength, 1, true, MK_ERR_OUT_OF_RANGE},
        {"capability is read-only", kCapability, 0, true, MK_ERR_FORBIDDEN},
        {"receive buffer is read-only", kRxBuffer, 0, true, MK_ERR_FORBIDDEN},
        {"misaligned", kMode + 2, 0, true, MK_ERR_BAD_PARAMETER},
        {"no such register", 0x200, 0, true, MK_ERR_BAD_PARAMETER},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.openFirst)
            open(port, 0);
        uint32_t code = 0;
        EXPECT_FALSE(port.write(c.offset, c.value, 0, code));
        EXPECT_EQ(code, c.code);
    }
    EXPECT_EQ(reg(port, kSupported, 0), 1u << 5 | 1u << 9 | 1u << 16 | 1u << 23 | 1u << 24);
    uint32_t code = 0;
    open(port, 0);
    send(port, "a", 0);
    EXPECT_FALSE(port.write(kTxLength, 1, 0, code)) << "still sending";
    EXPECT_EQ(code, uint32_t(MK_ERR_FORBIDDEN));
}

TEST(SerialPort, Kl7700AnswersThroughTheLine)
{
    SerialPort port;
    port.attach(makeKl7700());
    uint64_t now = 5000;
    open(port, now);
    send(port, "s=?\r", now);
    std::string reply;
    for (int i = 0; i < 200 && reply.find('>') == std::string::npos; ++i) {
        now += 1000;
        reply += receiveAll(port, now);
    }
    EXPECT_EQ(reply.rfind("s=?", 0), 0u) << "the camera echoes the command: " << reply;
    EXPECT_NE(reply.find('>'), std::string::npos) << reply;
}

} // namespace
} // namespace gigesim
