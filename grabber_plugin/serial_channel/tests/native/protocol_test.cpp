// The port's register exchanges against the simulated camera library on
// virtual time, checked call by call in a transcript of the register calls.
#include "zelmk_serial/RegisterProtocol.h"

#include "gige_sim/Network.h"
#include "mk_api_core/Exports.h"
#include "mk_api_dll/Composition.h"

#include "RegisterCall.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>

namespace zelmk::serial {
namespace {

// The library's clock stands still until the test moves it.
class ManualTime : public mkapi::TimeSource {
public:
    uint64_t nowUs() const override { return m_now.load(); }
    void waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, uint64_t) const override
    {
        cv.wait_for(lock, std::chrono::milliseconds(1));
    }
    void advance(uint64_t us) { m_now += us; }

private:
    std::atomic<uint64_t> m_now{1000000};
};

using test_support::Call;
using test_support::R;
using test_support::W;

// Every call on its way to the library, with a hook that may change what a
// read answers or refuse a write (a port that misbehaves).
class RecordingBus : public RegisterBus {
public:
    explicit RecordingBus(RegisterBus& inner) : m_inner(inner) {}
    uint32_t Read(uint32_t count, const uint32_t* addresses, uint32_t* values) override
    {
        calls.push_back(R({addresses, addresses + count}));
        const uint32_t code = m_inner.Read(count, addresses, values);
        if (code == 0 && onRead) onRead(count, addresses, values);
        return code;
    }
    uint32_t Write(uint32_t count, const uint32_t* addresses, const uint32_t* values) override
    {
        calls.push_back(W({addresses, addresses + count}, {values, values + count}));
        if (refuseWrite && refuseWrite(addresses[0])) return MK_ERR_FORBIDDEN;
        return m_inner.Write(count, addresses, values);
    }
    size_t Count(bool write, uint32_t address) const
    {
        size_t n = 0;
        for (const Call& c : calls) n += c.write == write && !c.addresses.empty() && c.addresses[0] == address;
        return n;
    }

    std::vector<Call> calls;
    std::function<void(uint32_t, const uint32_t*, uint32_t*)> onRead;
    std::function<bool(uint32_t)> refuseWrite;

private:
    RegisterBus& m_inner;
};

constexpr uint32_t kMono = 100001, kColour = 100002;
constexpr uint32_t kPort0 = 0x16000, kPort1 = 0x60000; // the KL-7700, a loopback

class PortProtocol : public ::testing::Test {
protected:
    void SetUp() override
    {
        mkapi::setLibraryMaker([this] {
            return mkapi::composeLibraryFromText(gigesim::defaultNetworkDescription(), "test.ini", m_time, false,
                                                 m_composition);
        });
        ASSERT_EQ(MkInitialize(), 0u);
        m_api._Mk_Factory_Test_10 = &::_Mk_Factory_Test_10;
        m_api._Mk_Factory_Test_11 = &::_Mk_Factory_Test_11;
        Reopen(kMono);
    }
    void TearDown() override
    {
        if (m_handle) MkCameraClose(m_handle);
        MkUnInitialize();
    }
    void Reopen(uint32_t id)
    {
        if (m_handle) MkCameraClose(m_handle);
        m_handle = nullptr;
        ASSERT_EQ(MkCameraOpen(id, MK_ACCESS_MASTER, &m_handle), 0u);
        m_raw = std::make_unique<MkRegisterBus>(m_api, m_handle);
        m_bus = std::make_unique<RecordingBus>(*m_raw);
    }
    void Run(uint64_t us)
    {
        m_time.advance(us);
        mkapi::currentLibrary()->pump();
    }
    // A millisecond of virtual time per pause.
    ReadyClock Clock()
    {
        return {[this] { return m_time.nowUs() / 1000; }, [this] { Run(1000); }};
    }
    uint32_t Peek(uint32_t address)
    {
        uint32_t value = 0;
        EXPECT_EQ(m_raw->Read(1, &address, &value), 0u);
        return value;
    }
    std::string ReceiveAll(uint32_t base)
    {
        std::string text;
        uint8_t buffer[1024];
        for (int i = 0; i < 100; ++i) {
            const uint32_t n = Receive(*m_bus, base, buffer);
            if (n == 0) break;
            text.append(reinterpret_cast<char*>(buffer), n);
        }
        return text;
    }

    ManualTime m_time;
    mkapi::Composition m_composition;
    MkApiFunctions m_api;
    MkHandle m_handle = nullptr;
    std::unique_ptr<MkRegisterBus> m_raw;
    std::unique_ptr<RecordingBus> m_bus;
};

TEST_F(PortProtocol, OpenSetsModeAndBothDirectionsInOneCall)
{
    ASSERT_TRUE(OpenPort(*m_bus, kPort1, ModeValue({9, 2, 3, 1})));
    const std::vector<Call> expected = {
        W({0x60104, 0x60128, 0x60148, 0x60144}, {0x1E09, 3, 3, 0xFFFFFFFF}),
    };
    EXPECT_EQ(m_bus->calls, expected);
    EXPECT_EQ(Peek(0x60104), 0x1E09u);
    // A mode the port refuses fails the open.
    EXPECT_FALSE(OpenPort(*m_bus, kPort1, ModeValue({-1, 0, 3, 0})));
}

TEST_F(PortProtocol, FiveBytesAreTwoRegistersAndALength)
{
    ASSERT_TRUE(OpenPort(*m_bus, kPort1, ModeValue({})));
    m_bus->calls.clear();
    const uint8_t bytes[] = {0x41, 0x42, 0x43, 0x44, 0x45};
    ASSERT_TRUE(Transmit(*m_bus, kPort1, bytes, Clock(), 1000));
    ASSERT_EQ(m_bus->calls.size(), 3u);
    EXPECT_EQ(m_bus->calls[0], R({0x60124}));
    const Call& stage = m_bus->calls[1];
    ASSERT_TRUE(stage.write);
    EXPECT_EQ(stage.addresses, (std::vector<uint32_t>{0x60400, 0x60404}));
    EXPECT_EQ(stage.values[0], 0x41424344u);
    EXPECT_EQ(stage.values[1] >> 24, 0x45u);
    EXPECT_EQ(m_bus->calls[2], W({0x6012C}, {5}));

    Run(5 * 87 + 100);
    EXPECT_EQ(ReceiveAll(kPort1), "ABCDE") << "the loopback echoes what left";
}

TEST_F(PortProtocol, AReceiveLargerThanOneRegisterBlockIsOneCall)
{
    ASSERT_TRUE(OpenPort(*m_bus, kPort1, ModeValue({10, 0, 3, 0})));
    std::vector<uint8_t> sent(600);
    for (size_t i = 0; i < sent.size(); ++i) sent[i] = static_cast<uint8_t>(i * 7 + 1);
    ASSERT_TRUE(Transmit(*m_bus, kPort1, sent, Clock(), 1000));
    Run(600 * 44 + 1000);
    ASSERT_EQ(ReceiveLength(*m_bus, kPort1), 600u);

    m_bus->calls.clear();
    std::vector<uint8_t> first(7);
    ASSERT_EQ(Receive(*m_bus, kPort1, first), 7u);
    EXPECT_EQ(m_bus->calls[1], R({0x60800, 0x60804}));
    EXPECT_EQ(m_bus->calls[2], W({0x6014C}, {7}));

    m_bus->calls.clear();
    std::vector<uint8_t> rest(1024, 0);
    ASSERT_EQ(Receive(*m_bus, kPort1, rest), 593u);
    ASSERT_EQ(m_bus->calls.size(), 3u);
    EXPECT_EQ(m_bus->calls[0], R({0x6014C}));
    ASSERT_EQ(m_bus->calls[1].addresses.size(), 149u) << "ceil(593 / 4) registers in one read";
    EXPECT_EQ(m_bus->calls[1].addresses[148], 0x60800u + 4 * 148);
    EXPECT_EQ(m_bus->calls[2], W({0x6014C}, {593}));
    first.insert(first.end(), rest.begin(), rest.begin() + 593);
    EXPECT_EQ(first, sent);

    // Nothing waiting: one read of the length, nothing taken.
    m_bus->calls.clear();
    EXPECT_EQ(Receive(*m_bus, kPort1, rest), 0u);
    EXPECT_EQ(m_bus->calls, (std::vector<Call>{R({0x6014C})}));
}

TEST_F(PortProtocol, ATransmitWaitsUntilThePreviousHasLeft)
{
    ASSERT_TRUE(OpenPort(*m_bus, kPort1, ModeValue({})));
    const std::vector<uint8_t> hundred(100, 'x');
    ASSERT_TRUE(Transmit(*m_bus, kPort1, hundred, Clock(), 1000));
    m_bus->calls.clear();
    const uint64_t start = m_time.nowUs();
    const uint8_t three[] = {'a', 'b', 'c'};
    ASSERT_TRUE(Transmit(*m_bus, kPort1, three, Clock(), 1000));
    const size_t polls = m_bus->Count(false, 0x60124);
    // 100 characters of 87 us leave in about 8.7 ms: one read a millisecond until then.
    EXPECT_GE(polls, 9u);
    EXPECT_LE(polls, 11u);
    EXPECT_GE(m_time.nowUs() - start, 8000u);
    EXPECT_EQ(m_bus->calls.back(), W({0x6012C}, {3}));
    Run(10000);
    EXPECT_EQ(ReceiveAll(kPort1), std::string(100, 'x') + "abc");
}

TEST_F(PortProtocol, APortThatNeverBecomesReadyFailsAtTheLimit)
{
    ASSERT_TRUE(OpenPort(*m_bus, kPort1, ModeValue({})));
    m_bus->calls.clear();
    m_bus->onRead = [](uint32_t count, const uint32_t* addresses, uint32_t* values) {
        for (uint32_t i = 0; i < count; ++i)
            if (addresses[i] == 0x60124) values[i] = 0;
    };
    const uint64_t limit = TransmitReadyLimitMs({}, 0);
    EXPECT_EQ(limit, 1000u);
    const uint64_t start = m_time.nowUs();
    const uint8_t byte[] = {'x'};
    EXPECT_FALSE(Transmit(*m_bus, kPort1, byte, Clock(), limit));
    EXPECT_EQ(m_time.nowUs() - start, limit * 1000);
    EXPECT_EQ(m_bus->Count(false, 0x60124), limit + 1);
    EXPECT_EQ(m_bus->Count(true, 0x60400) + m_bus->Count(true, 0x6012C), 0u) << "nothing staged or sent";

    // A clock that stands still still ends the wait, by count.
    m_bus->calls.clear();
    const ReadyClock frozen{[] { return uint64_t{5}; }, [] {}};
    EXPECT_FALSE(Transmit(*m_bus, kPort1, byte, frozen, limit));
    EXPECT_EQ(m_bus->Count(false, 0x60124), 100000u);
}

TEST_F(PortProtocol, TheReadyLimitGrowsWithThePreviousTransfer)
{
    struct Case {
        LineSettings settings;
        uint64_t previous;
        uint64_t limit;
    };
    const Case cases[] = {
        {{}, 0, 1000},
        {{}, 100, 1018},             // 2 x 100 x 87 us
        {{0, 2, 3, 2}, 1024, 82920}, // a full buffer at 300 baud, 12 bits a character
        {{0, 2, 3, 2}, 5000, 82920}, // never more than one buffer
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.limit);
        EXPECT_EQ(TransmitReadyLimitMs(c.settings, c.previous), c.limit);
    }
}

TEST_F(PortProtocol, LongWritesGoOutInPiecesOfOneBuffer)
{
    ASSERT_TRUE(OpenPort(*m_bus, kPort1, ModeValue({10, 0, 3, 0})));
    m_bus->calls.clear();
    const std::vector<uint8_t> bytes(2500, 'q');
    uint64_t previous = 0;
    const TransmitOutcome outcome = TransmitAll(*m_bus, kPort1, bytes, {10, 0, 3, 0}, Clock(), previous);
    EXPECT_TRUE(outcome.ok);
    EXPECT_EQ(outcome.sent, 2500u);
    EXPECT_EQ(previous, 452u);
    std::vector<uint32_t> lengths;
    for (const Call& c : m_bus->calls)
        if (c.write && c.addresses[0] == 0x6012C) lengths.push_back(c.values[0]);
    EXPECT_EQ(lengths, (std::vector<uint32_t>{1024, 1024, 452}));

    // A refused piece ends the write with what went before it.
    m_bus->refuseWrite = [n = 0](uint32_t address) mutable { return address == 0x6012C && ++n == 2; };
    const TransmitOutcome failed = TransmitAll(*m_bus, kPort1, bytes, {10, 0, 3, 0}, Clock(), previous);
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.sent, 1024u);
}

TEST_F(PortProtocol, AFailedStageSendsNoLength)
{
    ASSERT_TRUE(OpenPort(*m_bus, kPort1, ModeValue({})));
    m_bus->calls.clear();
    m_bus->refuseWrite = [](uint32_t address) { return address == 0x60400; };
    const uint8_t bytes[] = {1, 2, 3};
    EXPECT_FALSE(Transmit(*m_bus, kPort1, bytes, Clock(), 1000));
    EXPECT_EQ(m_bus->Count(true, 0x6012C), 0u) << "stale bytes of the buffer must not go out";
}

TEST_F(PortProtocol, PurgeAndCloseWriteTheControlRegisters)
{
    struct Case {
        uint32_t flags;
        std::vector<Call> calls;
    };
    const Case cases[] = {
        {0, {}},
        {1, {W({0x16148}, {3})}},
        {2, {W({0x16128}, {3})}},
        {3, {W({0x16148}, {3}), W({0x16128}, {3})}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        m_bus->calls.clear();
        EXPECT_TRUE(PurgePort(*m_bus, kPort0, c.flags));
        EXPECT_EQ(m_bus->calls, c.calls);
    }
    m_bus->calls.clear();
    EXPECT_TRUE(ClosePort(*m_bus, kPort0));
    EXPECT_EQ(m_bus->calls, (std::vector<Call>{W({0x16128, 0x16148, 0x16144}, {1, 1, 0xFFFFFFFF})}));
    m_bus->refuseWrite = [](uint32_t) { return true; };
    EXPECT_FALSE(PurgePort(*m_bus, kPort0, 1));
}

TEST_F(PortProtocol, EnumerationListsThePortsTheCameraHas)
{
    std::vector<SerialPortEntry> ports = EnumeratePorts(*m_bus);
    const std::vector<Call> expected = {R({0x16000, 0x16100}), R({0x60000, 0x60100}), R({0x61000, 0x61100})};
    EXPECT_EQ(m_bus->calls, expected);
    ASSERT_EQ(ports.size(), 2u);
    EXPECT_EQ(ports[0].index, 0);
    EXPECT_EQ(ports[0].name, "MKAPISERIALPORT0");
    EXPECT_EQ(ports[0].description, "Serial port 0");
    EXPECT_EQ(ports[0].supportedSettings, 0x07F707FFu);
    EXPECT_EQ(ports[1].name, "MKAPISERIALPORT1");

    // A capability without bit 1 leaves the port out.
    m_bus->onRead = [](uint32_t, const uint32_t* addresses, uint32_t* values) {
        if (addresses[0] == 0x16000) values[0] = 1;
    };
    ports = EnumeratePorts(*m_bus);
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports[0].index, 1);

    Reopen(kColour);
    ports = EnumeratePorts(*m_bus);
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports[0].name, "MKAPISERIALPORT0");
}

TEST_F(PortProtocol, TheKl7700AnswersThroughTheRegisters)
{
    ASSERT_TRUE(OpenPort(*m_bus, kPort0, ModeValue({})));
    const std::string query = "s=?\r";
    ASSERT_TRUE(Transmit(*m_bus, kPort0, {reinterpret_cast<const uint8_t*>(query.data()), query.size()}, Clock(), 1000));
    std::string reply;
    for (int i = 0; i < 200 && reply.find('>') == std::string::npos; ++i) {
        Run(1000);
        reply += ReceiveAll(kPort0);
    }
    EXPECT_EQ(reply.rfind("s=?\r", 0), 0u) << reply;
    EXPECT_NE(reply.find("\n>"), std::string::npos) << reply;
}

} // namespace
} // namespace zelmk::serial
