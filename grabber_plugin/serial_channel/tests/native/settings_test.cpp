// Line settings, the port table and the buffers' packing, table-driven.
#include "zelmk_serial/SerialPorts.h"
#include "zelmk_serial/SerialSettings.h"

#include <gtest/gtest.h>

#include <numeric>

namespace zelmk::serial {
namespace {

TEST(SerialSettings, ModeValuesPackEachFieldInItsBits)
{
    struct Case {
        LineSettings settings;
        uint32_t mode;
    };
    const Case cases[] = {
        {{9, 2, 3, 1}, 0x1E09}, // 115200 Even 8 1.5
        {{9, 0, 3, 0}, 0x0C09}, // the defaults
        {{0, 1, 0, 2}, 0x2100},
        {{10, 0, 2, 0}, 0x080A},
        {{-1, 0, 3, 0}, 0x0CFF}, // an unknown rate reaches the camera as an index it refuses
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        EXPECT_EQ(ModeValue(c.settings), c.mode);
    }
}

TEST(SerialSettings, StoredTextsReadBackAsTheirIndices)
{
    struct Case {
        const char* text;
        int32_t baud, parity, byteSize, stopBits;
    };
    const Case cases[] = {
        {"300", 0, 0, 3, 0},
        {"115200", 9, 0, 3, 0},
        {"230400", 10, 0, 3, 0},
        {"115200 ", -1, 0, 3, 0}, // a trailing blank matches no rate
        {"", -1, 0, 3, 0},
        {"No", -1, 0, 3, 0},
        {"odd", -1, 1, 3, 0},
        {"EVEN", -1, 2, 3, 0},
        {"5", -1, 0, 0, 0},
        {"7", -1, 0, 2, 0},
        {"1.5", -1, 0, 3, 1},
        {"2", -1, 0, 3, 2},
        {"9", -1, 0, 3, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(BaudIndexFromText(c.text), c.baud);
        EXPECT_EQ(ParityFromText(c.text), c.parity);
        EXPECT_EQ(ByteSizeFromText(c.text), c.byteSize);
        EXPECT_EQ(StopBitsFromText(c.text), c.stopBits);
    }
}

TEST(SerialSettings, EveryTextReadsBackAsItsIndex)
{
    for (int32_t i = 0; i < kBaudCount; ++i) EXPECT_EQ(BaudIndexFromText(BaudText(i)), i);
    for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(ParityFromText(ParityText(i)), i);
    for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(ByteSizeFromText(ByteSizeText(i)), i);
    for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(StopBitsFromText(StopBitsText(i)), i);
    EXPECT_STREQ(BaudText(-1), "0");
    EXPECT_STREQ(BaudText(11), "0");
}

TEST(SerialSettings, ConfigTexts)
{
    EXPECT_EQ(ConfigText({}), "115200 Baud, Parity = No, Bytesize = 8, Stopbits = 1");
    EXPECT_EQ(ConfigText({-1, 2, 0, 1}), "0 Baud, Parity = Even, Bytesize = 5, Stopbits = 1.5");
    EXPECT_EQ(ConfigText({0, 1, 2, 2}), "300 Baud, Parity = Odd, Bytesize = 7, Stopbits = 2");
}

TEST(SerialSettings, CharacterTimesRoundUp)
{
    struct Case {
        LineSettings settings;
        uint64_t us;
    };
    const Case cases[] = {
        {{9, 0, 3, 0}, 87},     // 10 bits at 115200
        {{0, 2, 3, 2}, 40000},  // 12 bits at 300
        {{5, 0, 0, 1}, 782},    // 7.5 bits at 9600
        {{-1, 0, 3, 0}, 33334}, // unknown: the slowest rate
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.us);
        EXPECT_EQ(CharacterTimeUs(c.settings), c.us);
    }
}

TEST(SerialPorts, NamesCompareWithoutCase)
{
    struct Case {
        const char* name;
        uint32_t index;
    };
    const Case cases[] = {
        {"MKAPISERIALPORT0", 0},
        {"mkapiserialport1", 1},
        {"MkApiSerialPort2", 2},
        {"MKAPISERIALPORT3", 0xFFFFFFFF},
        {"MKAPISERIALPORT", 0xFFFFFFFF},
        {"COM1", 0xFFFFFFFF},
        {"", 0xFFFFFFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PortNameToIndex(c.name), c.index);
    }
    EXPECT_EQ(PortIndexToName(2), "MKAPISERIALPORT2");
    EXPECT_EQ(PortIndexToName(3), "");
    EXPECT_EQ(PortIndexToName(0xFFFFFFFF), "");

    const std::vector<SerialPortEntry> list = {{0, "MKAPISERIALPORT0", "Serial port 0", 1},
                                               {2, "MKAPISERIALPORT2", "Serial port 2", 2}};
    EXPECT_EQ(FindPortEntry("mkapiserialport2", list), 1);
    EXPECT_EQ(FindPortEntry("MKAPISERIALPORT1", list), -1);
    EXPECT_EQ(FindPortEntry("MKAPISERIALPORT0", {}), -1);
}

TEST(SerialPorts, PackingPutsTheFirstByteHighest)
{
    struct Case {
        std::vector<uint8_t> bytes;
        std::vector<uint32_t> registers;
    };
    const Case cases[] = {
        {{}, {}},
        {{0x41}, {0x41000000}},
        {{0x41, 0x42, 0x43, 0x44}, {0x41424344}},
        {{0x41, 0x42, 0x43, 0x44, 0x45}, {0x41424344, 0x45000000}},
        {{1, 2, 3, 4, 5, 6, 7}, {0x01020304, 0x05060700}},
        {{0xFF, 0x00, 0x80}, {0xFF008000}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.size());
        EXPECT_EQ(PackBytes(c.bytes), c.registers);
        EXPECT_EQ(RegistersFor(c.bytes.size()), c.registers.size());
    }
}

TEST(SerialPorts, UnpackingGivesBackWhatWasPacked)
{
    for (size_t n = 0; n <= 13; ++n) {
        SCOPED_TRACE(n);
        std::vector<uint8_t> bytes(n);
        std::iota(bytes.begin(), bytes.end(), uint8_t{0xF0});
        std::vector<uint8_t> back(n, 0x55);
        UnpackBytes(PackBytes(bytes), back);
        EXPECT_EQ(back, bytes);
    }
    // Registers beyond those needed are left alone, and a short span fills no more than it has.
    const uint32_t values[] = {0x41424344, 0x45464748};
    uint8_t five[5] = {};
    UnpackBytes(values, five);
    EXPECT_EQ(five[4], 0x45);
    uint8_t nine[9] = {};
    UnpackBytes(values, nine);
    EXPECT_EQ(nine[8], 0) << "no register carries a ninth byte";
}

} // namespace
} // namespace zelmk::serial
