// Control packets byte for byte, both directions, and the bootstrap block and URL.
#include "mk_gev/Bootstrap.h"
#include "mk_gev/Gvcp.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace mkgev {
namespace {

using Bytes = std::vector<uint8_t>;

std::string hex(const Bytes& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (uint8_t b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

TEST(GvcpEncodeTest, CommandsAreByteExact)
{
    const uint32_t twoAddresses[] = {0x0934, 0x0A00};
    const uint32_t values[] = {2, 0x12345678};
    const uint8_t memory[] = {1, 2, 3, 4, 5, 6, 7, 8};
    struct Case {
        const char* what;
        Bytes packet;
        const char* expected;
    };
    const Case cases[] = {
        {"discovery", encodeDiscovery(1, false), "4201000200000001"},
        {"discovery, broadcast answer", encodeDiscovery(0xBEEF, true), "421100020000beef"},
        {"read one register", encodeReadRegisters(7, std::span(twoAddresses, 1)), "4201008000040007"
                                                                                  "00000934"},
        {"read two registers", encodeReadRegisters(8, twoAddresses),
         "4201008000080008"
         "00000934"
         "00000a00"},
        {"write two registers", encodeWriteRegisters(9, twoAddresses, values),
         "4201008200100009"
         "00000934"
         "00000002"
         "00000a00"
         "12345678"},
        {"read memory", encodeReadMemory(10, 0x10000, 512), "420100840008000a"
                                                            "00010000"
                                                            "0000"
                                                            "0200"},
        {"write memory", encodeWriteMemory(11, 0x200, memory),
         "42010086000c000b"
         "00000200"
         "0102030405060708"},
        {"packet resend", encodePacketResend(12, 0, 0xFFFF, 3, 0x123456),
         "42000040000c000c"
         "0000"
         "ffff"
         "00000003"
         "00123456"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.expected, hex(c.packet));
    }
}

TEST(GvcpEncodeTest, ArgumentsOutsideThePacketLimitsGiveNothing)
{
    std::vector<uint32_t> many(kMaxReadRegisters + 1, 0);
    std::vector<uint32_t> pairs(kMaxWriteRegisters + 1, 0);
    const uint8_t three[3] = {};
    std::vector<uint8_t> big(kMaxMemoryBlock + 4, 0);
    struct Case {
        const char* what;
        Bytes packet;
    };
    const Case cases[] = {
        {"no register", encodeReadRegisters(1, {})},
        {"too many registers", encodeReadRegisters(1, many)},
        {"too many pairs", encodeWriteRegisters(1, pairs, pairs)},
        {"addresses without values", encodeWriteRegisters(1, many, std::span(many).first(2))},
        {"read of 0 bytes", encodeReadMemory(1, 0, 0)},
        {"read not a multiple of 4", encodeReadMemory(1, 0, 6)},
        {"read over 512 bytes", encodeReadMemory(1, 0, 516)},
        {"read at an unaligned address", encodeReadMemory(1, 2, 4)},
        {"write not a multiple of 4", encodeWriteMemory(1, 0, three)},
        {"write over 512 bytes", encodeWriteMemory(1, 0, big)},
        {"resend backwards", encodePacketResend(1, 0, 1, 5, 4)},
        {"resend past 24-bit ids", encodePacketResend(1, 0, 1, 0, 0x1000000)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_TRUE(c.packet.empty()) << "expected no packet, got " << hex(c.packet);
    }
    // The largest legal ones still encode.
    EXPECT_EQ(kGvcpHeaderSize + kGvcpMaxData, encodeReadRegisters(1, std::span(many).first(kMaxReadRegisters)).size());
    EXPECT_EQ(kGvcpHeaderSize + 8 * kMaxWriteRegisters,
              encodeWriteRegisters(1, std::span(pairs).first(kMaxWriteRegisters),
                                   std::span(pairs).first(kMaxWriteRegisters))
                  .size());
}

TEST(GvcpDecodeTest, CommandsRoundTripAndBadHeadersAreNamed)
{
    GvcpCommandView view;
    Bytes read = encodeReadMemory(0x1234, 0x200, 8);
    ASSERT_EQ(DecodeError::None, decodeCommand(read, view));
    EXPECT_EQ(0x01, view.flags);
    EXPECT_EQ(0x0084, view.command);
    EXPECT_EQ(0x1234, view.requestId);
    EXPECT_EQ(8u, view.data.size());

    struct Case {
        const char* what;
        Bytes packet;
        DecodeError expected;
    };
    const Case cases[] = {
        {"empty", {}, DecodeError::TooShort},
        {"half a header", {0x42, 0x01, 0x00, 0x80}, DecodeError::TooShort},
        {"wrong key", {0x43, 0x01, 0x00, 0x80, 0x00, 0x00, 0x00, 0x01}, DecodeError::BadKey},
        {"length past the end", {0x42, 0x01, 0x00, 0x80, 0x00, 0x08, 0x00, 0x01, 0, 0, 0, 0}, DecodeError::TooShort},
        {"padding after the data", {0x42, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0, 0, 0, 0}, DecodeError::None},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.expected, decodeCommand(c.packet, view));
    }
}

TEST(GvcpDecodeTest, AcknowledgesGiveTheirContent)
{
    GvcpAckView ack;
    // A read-register answer as the simulator sends it.
    Bytes registers = {0x00, 0x00, 0x00, 0x81, 0x00, 0x08, 0x00, 0x03, 0x00, 0x00, 0x0b, 0xb8, 0x80, 0x00, 0x00, 0x01};
    ASSERT_EQ(DecodeError::None, decodeAck(registers, ack));
    EXPECT_EQ(3, ack.requestId);
    std::array<uint32_t, 4> values{};
    size_t count = 0;
    ASSERT_EQ(DecodeError::None, readRegisterValues(ack, values, count));
    EXPECT_EQ(2u, count);
    EXPECT_EQ(3000u, values[0]);
    EXPECT_EQ(0x80000001u, values[1]);
    // More values than room is not a partial answer but a wrong one.
    EXPECT_EQ(DecodeError::Mismatch, readRegisterValues(ack, std::span(values).first(1), count));

    Bytes writeNack = encodeAck(gvcp_status::AccessDenied, 0x83, 5, Bytes{0, 0, 0, 1});
    ASSERT_EQ(DecodeError::None, decodeAck(writeNack, ack));
    EXPECT_EQ(gvcp_status::AccessDenied, ack.status);
    uint16_t index = 0;
    ASSERT_EQ(DecodeError::None, writeRegisterIndex(ack, index));
    EXPECT_EQ(1, index);

    Bytes memory = encodeAck(0, 0x85, 6, Bytes{0x00, 0x01, 0x00, 0x00, 'L', 'o', 'c', 'a'});
    ASSERT_EQ(DecodeError::None, decodeAck(memory, ack));
    std::span<const uint8_t> bytes;
    ASSERT_EQ(DecodeError::None, readMemoryData(ack, 0x10000, bytes));
    EXPECT_EQ("Loca", std::string(bytes.begin(), bytes.end()));
    EXPECT_EQ(DecodeError::Mismatch, readMemoryData(ack, 0x10004, bytes));

    Bytes pending = encodeAck(0, 0x89, 6, Bytes{0, 0, 0x01, 0xF4});
    ASSERT_EQ(DecodeError::None, decodeAck(pending, ack));
    uint16_t ms = 0;
    ASSERT_EQ(DecodeError::None, pendingTimeMs(ack, ms));
    EXPECT_EQ(500, ms);

    Bytes written = encodeAck(0, 0x87, 6, Bytes{0, 0, 0x00, 0x08});
    ASSERT_EQ(DecodeError::None, decodeAck(written, ack));
    uint16_t count16 = 0;
    ASSERT_EQ(DecodeError::None, writeMemoryCount(ack, count16));
    EXPECT_EQ(8, count16);
}

TEST(GvcpDecodeTest, AcknowledgesOfTheWrongShapeAreRefused)
{
    std::array<uint32_t, 4> values{};
    size_t count = 0;
    uint16_t word = 0;
    std::span<const uint8_t> bytes;
    struct Case {
        const char* what;
        Bytes packet;
        DecodeError (*check)(const GvcpAckView&, std::span<uint32_t>, size_t&, uint16_t&, std::span<const uint8_t>&);
        DecodeError expected;
    };
    auto readRegs = [](const GvcpAckView& a, std::span<uint32_t> v, size_t& c, uint16_t&, std::span<const uint8_t>&) {
        return readRegisterValues(a, v, c);
    };
    auto writeRegs = [](const GvcpAckView& a, std::span<uint32_t>, size_t&, uint16_t& w, std::span<const uint8_t>&) {
        return writeRegisterIndex(a, w);
    };
    auto readMem = [](const GvcpAckView& a, std::span<uint32_t>, size_t&, uint16_t&, std::span<const uint8_t>& b) {
        return readMemoryData(a, 0, b);
    };
    auto pending = [](const GvcpAckView& a, std::span<uint32_t>, size_t&, uint16_t& w, std::span<const uint8_t>&) {
        return pendingTimeMs(a, w);
    };
    const Case cases[] = {
        {"register values not whole words", encodeAck(0, 0x81, 1, Bytes{0, 0, 1}), readRegs, DecodeError::BadLength},
        {"register values from a memory ack", encodeAck(0, 0x85, 1, Bytes(8, 0)), readRegs,
         DecodeError::UnexpectedCode},
        {"write index too short", encodeAck(0, 0x83, 1, Bytes{0, 0}), writeRegs, DecodeError::BadLength},
        {"memory without its address", encodeAck(0, 0x85, 1, Bytes{0, 0}), readMem, DecodeError::BadLength},
        {"pending too long", encodeAck(0, 0x89, 1, Bytes(8, 0)), pending, DecodeError::BadLength},
        {"pending from a register ack", encodeAck(0, 0x81, 1, Bytes(4, 0)), pending, DecodeError::UnexpectedCode},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        GvcpAckView ack;
        ASSERT_EQ(DecodeError::None, decodeAck(c.packet, ack));
        EXPECT_EQ(c.expected, c.check(ack, values, count, word, bytes));
    }
    GvcpAckView ack;
    EXPECT_EQ(DecodeError::TooShort, decodeAck(Bytes{0, 0, 0, 0x81, 0, 4, 0, 1, 0, 0}, ack));
}

TEST(GvcpStatusTest, NamesOfTheCodes)
{
    EXPECT_STREQ("SUCCESS", gvcpStatusName(0));
    EXPECT_STREQ("ACCESS_DENIED", gvcpStatusName(0x8006));
    EXPECT_STREQ("PACKET_UNAVAILABLE", gvcpStatusName(0x800C));
    EXPECT_STREQ("ERROR", gvcpStatusName(0x8FFF));
    EXPECT_STREQ("UNKNOWN", gvcpStatusName(0x8123));
}

TEST(BootstrapTest, DeviceInfoRoundTripsAndTextsStopAtTheirField)
{
    DeviceInfo info;
    info.versionMajor = 2;
    info.versionMinor = 1;
    info.mac = 0x0011223344556677ull & 0xFFFFFFFFFFFFull;
    info.supportedIpConfig = kIpPersistent | kIpDhcp | kIpLinkLocal;
    info.currentIpConfig = kIpDhcp;
    info.address = 0x7F000001;
    info.mask = 0xFF000000;
    info.gateway = 0x7F0000FE;
    info.manufacturer = "Aravis";
    info.model = "Fake";
    info.serialNumber = "GV01";
    info.userName = "0123456789abcdef"; // fills its 16 bytes: no terminating zero
    std::array<uint8_t, 248> block{};
    encodeDeviceInfo(info, block);
    EXPECT_EQ(0x7F, block[bootstrap::CurrentAddress]);
    EXPECT_EQ(0x22, block[bootstrap::MacHigh + 2]);
    EXPECT_EQ(0x33, block[bootstrap::MacHigh + 3]);
    auto decoded = decodeDeviceInfo(block);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(2, decoded->versionMajor);
    EXPECT_EQ(1, decoded->versionMinor);
    EXPECT_EQ(info.mac, decoded->mac);
    EXPECT_EQ(info.supportedIpConfig, decoded->supportedIpConfig);
    EXPECT_EQ(info.currentIpConfig, decoded->currentIpConfig);
    EXPECT_EQ(info.address, decoded->address);
    EXPECT_EQ(info.mask, decoded->mask);
    EXPECT_EQ(info.gateway, decoded->gateway);
    EXPECT_EQ("Aravis", decoded->manufacturer);
    EXPECT_EQ("Fake", decoded->model);
    EXPECT_EQ("GV01", decoded->serialNumber);
    EXPECT_EQ("0123456789abcdef", decoded->userName);
    EXPECT_FALSE(decodeDeviceInfo(std::span(block).first(247)));
}

TEST(BootstrapTest, DescriptionUrls)
{
    struct Case {
        const char* url;
        bool ok;
        const char* name = "";
        uint32_t address = 0, length = 0;
        bool zipped = false;
    };
    const Case cases[] = {
        {"Local:arv-fake-camera.xml;10000;3e67", true, "arv-fake-camera.xml", 0x10000, 0x3e67, false},
        {"local:Cam.ZIP;0x80000;1A2b?SchemaVersion=1.1.0", true, "Cam.ZIP", 0x80000, 0x1a2b, true},
        {"Local:a.xml;10000", false},
        {"Local:a.xml;zz;10", false},
        {"Local:a.xml;100;0", false},
        {"Local:;100;10", false},
        {"File:C:/camera.xml", false},
        {"http://camera/desc.xml", false},
        {"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        DescriptionLocation location;
        std::string error = parseDescriptionUrl(c.url, location);
        EXPECT_EQ(c.ok, error.empty()) << error;
        if (c.ok && error.empty()) {
            EXPECT_EQ(c.name, location.fileName);
            EXPECT_EQ(c.address, location.address);
            EXPECT_EQ(c.length, location.length);
            EXPECT_EQ(c.zipped, location.zipped);
        }
    }
}

TEST(BootstrapTest, AddressesAsText)
{
    EXPECT_EQ("127.0.0.1", formatAddress(0x7F000001));
    EXPECT_EQ("255.255.255.0", formatAddress(0xFFFFFF00));
    struct Case {
        const char* text;
        std::optional<uint32_t> expected;
    };
    const Case cases[] = {
        {"127.0.0.1", 0x7F000001},
        {"10.1.2.255", 0x0A0102FF},
        {"256.0.0.1", std::nullopt},
        {"1.2.3", std::nullopt},
        {"1.2.3.4.", std::nullopt},
        {"1..2.3", std::nullopt},
        {"1.2.3.0004", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.expected, parseAddress(c.text));
    }
}

} // namespace
} // namespace mkgev
