// Command texts out of records and replies into records, on strings alone.
#include "kl7700/Commands.h"

#include <gtest/gtest.h>

namespace kl7700 {
namespace {

ParameterRecord defaults()
{
    ParameterRecord record;
    SetBuiltInDefaults(record);
    return record;
}

TEST(MakeCommandTest, SetFormsFollowTheParameterTable)
{
    struct Case {
        Item item;
        int32_t value;
        const char* expected;
    };
    const Case cases[] = {
        {Item::N, 1726, "N=06BD\r"},
        {Item::E, 0x6BF, "E=000006BF\r"},
        {Item::A, 2, "A=002\r"},
        {Item::B, 0x12, "B=012\r"},
        {Item::C, 1, "C=1\r"},
        {Item::D, 1, "D=1\r"},
        {Item::D, 0, "D=0\r"},
        {Item::G, 2, "G=2\r"},
        {Item::I, 1, "I=01\r"},
        {Item::K, 167, "K=00A7\r"},
        {Item::s, 0x2A, "s=2A\r"},
        {Item::S, 5, "S=05\r"},
        {Item::W, 0x1FF, "W=1FF\r"},
        {Item::E, -1, "E=FFFFFFFF\r"},
        {Item::J, 0xB, "J=0B\r"},
        {Item::M, 0x13, "M=13\r"},
        {Item::T, 3, "T=03\r"},
        {Item::U, 0x11, "U=11\r"},
        {Item::F, 100000, "F=000186A0\r"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        ParameterRecord record = defaults();
        record[c.item].value = c.value;
        EXPECT_EQ(c.expected, MakeCommand(c.item, CommandForm::Set, record));
    }
}

TEST(MakeCommandTest, QueriesAndCommandsAndMissingForms)
{
    struct Case {
        Item item;
        CommandForm form;
        const char* expected;
    };
    const Case cases[] = {
        {Item::E, CommandForm::Query, "E=?\r"},
        {Item::s, CommandForm::Query, "s=?\r"},
        {Item::S, CommandForm::Query, "S=?\r"},
        {Item::D, CommandForm::Query, "D=?\r"},
        {Item::Version, CommandForm::Query, "V\r"},
        {Item::Dump, CommandForm::Query, "Y=1\r"},
        {Item::SerialNumber, CommandForm::Query, "a=?\r"},
        {Item::VariantCode, CommandForm::Query, "b=?\r"},
        {Item::Calibration, CommandForm::Set, "C=1\r"},
        {Item::SaveDefaults, CommandForm::Set, "X=1\r"},
        {Item::LoadDefaults, CommandForm::Set, "Z=1\r"},
        {Item::Calibration, CommandForm::Query, ""},
        {Item::SaveDefaults, CommandForm::Query, ""},
        {Item::LoadDefaults, CommandForm::Query, ""},
        {Item::Version, CommandForm::Set, ""},
        {Item::Dump, CommandForm::Set, ""},
        {Item::SerialNumber, CommandForm::Set, ""},
        {Item::VariantCode, CommandForm::Set, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "item " << int(c.item) << " expected " << c.expected);
        EXPECT_EQ(c.expected, MakeCommand(c.item, c.form, defaults()));
    }
}

TEST(ParseReplyTest, SingleValuesAreStoredByTheirReadRule)
{
    struct Case {
        Item item;
        const char* reply;
        bool ok;
        int32_t expected;
    };
    const Case cases[] = {
        {Item::N, "N=?\r\n=06BD\r\n>", true, 1726}, // counted from 0
        {Item::N, "N=?\r\n=06C0\r\n>", true, 1728}, // 1729 clamped
        {Item::D, "D=?\r\n=5\r\n>", true, 1},
        {Item::E, "E=?\r\n=FFFFF\r\n>", true, 100000}, // clamped to the maximum
        {Item::E, "E=?\r\n=0\r\n>", true, 1},          // raised to the minimum
        {Item::E, "E=?\r\n=FFFFFFFF\r\n>", true, 1},   // -1 clamped, not wrapped
        {Item::T, "T=?\r\n=7\r\n>", true, 7},          // taken as read
        {Item::s, "s=?\r\n=AA\r\n>", true, 0xAA},
        {Item::K, "K=?\r\n= a7\r\n>", true, 167},    // blanks and lower case
        {Item::E, "E=000006BF\r\r\n>", false, 1727}, // no LF "=": unchanged
        {Item::E, "E=?\r\n=zz\r\n>", false, 1727},   // no digits
        {Item::E, "", false, 1727},
        {Item::E, "\n=", false, 1727}, // marker at the very end
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        ParameterRecord record = defaults();
        EXPECT_EQ(c.ok, ParseReply(c.item, c.reply, record));
        EXPECT_EQ(c.expected, record[c.item].value);
    }
}

TEST(ParseReplyTest, CameraLinkAnswerDecidesTheDualOutputFlag)
{
    ParameterRecord record = defaults();
    ASSERT_TRUE(ParseReply(Item::S, "S=?\r\n=03\r\n>", record));
    EXPECT_EQ(3, record.S.value);
    EXPECT_EQ(1, record.dualOutput);

    EXPECT_FALSE(ParseReply(Item::S, "garbage", record));
    EXPECT_EQ(0, record.S.value);
    EXPECT_EQ(0, record.dualOutput);

    record.variantCode = 0x4031; // a 200 fps camera has one output whatever it answers
    ASSERT_TRUE(ParseReply(Item::S, "S=?\r\n=01\r\n>", record));
    EXPECT_EQ(0, record.dualOutput);
}

TEST(ParseReplyTest, VariantAndSerialNumber)
{
    ParameterRecord record = defaults();
    record.dualOutput = 1;
    ASSERT_TRUE(ParseReply(Item::VariantCode, "b=?\r\n=4000\r\n>", record));
    EXPECT_EQ(0x4000, record.variantCode);
    EXPECT_EQ(1, record.dualOutput);
    ASSERT_TRUE(ParseReply(Item::VariantCode, "b=?\r\n=4022\r\n>", record));
    EXPECT_EQ(0, record.dualOutput);
    ASSERT_TRUE(ParseReply(Item::SerialNumber, "a=?\r\n=3039\r\n>", record));
    EXPECT_EQ(12345, record.serialNumber);
    EXPECT_FALSE(ParseReply(Item::SerialNumber, "a=?\r\n>", record));
    EXPECT_EQ(12345, record.serialNumber);
}

constexpr const char* kFullDump =
    "Y=1\r\nA=001\r\nB=002\r\nC=1\r\nD=1\r\nE=00000100\r\nF=00000200\r\nG=2\r\nI=02\r\nJ=09\r\n"
    "K=0053\r\nM=03\r\nN=0200\r\nS=01\r\nT=02\r\nU=10\r\nW=20\r\ns=2A\r\n>";

TEST(ParseReplyTest, DumpStoresEveryKey)
{
    ParameterRecord record = defaults();
    ASSERT_TRUE(ParseReply(Item::Dump, kFullDump, record));
    const std::pair<Item, int32_t> expected[] = {
        {Item::A, 1},
        {Item::B, 2},
        {Item::C, 1},
        {Item::D, 1},
        {Item::E, 0x100},
        {Item::F, 0x200},
        {Item::G, 2},
        {Item::I, 2},
        {Item::J, 9},
        {Item::K, 0x53},
        {Item::M, 3},
        {Item::N, 0x201},
        {Item::S, 1},
        {Item::T, 2},
        {Item::U, 0x10},
        {Item::W, 0x20},
        {Item::s, 0x2A},
    };
    for (auto [item, value] : expected) {
        SCOPED_TRACE(parameterEntry(item).letter);
        EXPECT_EQ(value, record[item].value);
    }
    EXPECT_EQ(1, record.dualOutput);
}

TEST(ParseReplyTest, DumpWithoutChannelKeyFailsButKeepsTheOthers)
{
    std::string dump = kFullDump;
    dump.erase(dump.find("s=2A\r\n"), 6);
    ParameterRecord record = defaults();
    EXPECT_FALSE(ParseReply(Item::Dump, dump, record));
    EXPECT_EQ(0x100, record.E.value);
    EXPECT_EQ(0x201, record.N.value);
    EXPECT_EQ(0x2A, record.s.value); // the default, untouched
}

TEST(ParseReplyTest, DumpWithoutCameraLinkKeyClearsIt)
{
    std::string dump = kFullDump;
    dump.erase(dump.find("S=01\r\n"), 6);
    ParameterRecord record = defaults();
    record.S.value = 3;
    record.dualOutput = 1;
    EXPECT_TRUE(ParseReply(Item::Dump, dump, record));
    EXPECT_EQ(0, record.S.value);
    EXPECT_EQ(0, record.dualOutput);
}

TEST(ParseReplyTest, VersionGivesNameTextAndFirmwareGeneration)
{
    struct Case {
        const char* reply;
        bool ok;
        const char* name;
        const char* version;
        uint32_t field3, field4;
        bool newFirmware;
    };
    const Case cases[] = {
        {"V\r\r\n Sorvel SX-20B \r\nVersion: 1.0.2.7 \r\n>", true, "Sorvel SX-20B", "1.0.2.7", 2, 7, true},
        {"V\r\r\nKL-7700\r\nVersion: 1.0.0.9\r\n>", true, "KL-7700", "1.0.0.9", 0, 9, false},
        {"V\r\r\nKL-7700\r\nVersion: 1.2.3.6\r\n>", true, "KL-7700", "1.2.3.6", 3, 6, false},
        {"V\r\r\nKL-7700\r\nVersion: 1.2.3\r\n>", true, "KL-7700", "1.2.3", 0, 0, false},
        {"V\r\nVersion: \t2.1.12.31 build\r\n>", false, "", "2.1.12.31 build", 12, 31, true},
        {"V\r\r\nOther Cam", true, "Other Cam", "", 0, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        ParameterRecord record = defaults();
        EXPECT_EQ(c.ok, ParseReply(Item::Version, c.reply, record));
        EXPECT_EQ(c.name, record.cameraName);
        EXPECT_EQ(c.version, record.versionText);
        EXPECT_EQ(c.field3, record.versionField3);
        EXPECT_EQ(c.field4, record.versionField4);
        EXPECT_EQ(c.newFirmware, isNewFirmware(record));
        EXPECT_EQ(c.newFirmware ? 2 : 3, firmwareOffset(record));
    }
}

TEST(ParseReplyTest, CommandsWithoutReplyValueNeverParse)
{
    ParameterRecord record = defaults();
    const ParameterRecord before = record;
    for (Item item : {Item::Calibration, Item::SaveDefaults, Item::LoadDefaults}) {
        EXPECT_FALSE(ParseReply(item, "\n=1\r\n>", record));
    }
    EXPECT_EQ(before, record);
}

TEST(NumberReaderTest, HexConventionsAndSaturation)
{
    EXPECT_EQ(31u, readHex(" 1f"));
    EXPECT_EQ(31u, readHex("0x1F"));
    EXPECT_EQ(0u, readHex("0xZ"));
    EXPECT_EQ(0xFFFFFFFFu, readHex("-1"));
    EXPECT_EQ(0xFFFFFFFFu, readHex("123456789"));
    EXPECT_EQ(std::nullopt, readHex(""));
    EXPECT_EQ(std::nullopt, readHex("-"));
    EXPECT_EQ(std::nullopt, readHex("g1"));
    EXPECT_EQ(12u, readDecimal("12a"));
    EXPECT_EQ(std::nullopt, readDecimal("a12"));
}

TEST(StatusTextTest, ControlAndHighBytesAreLeftOut)
{
    EXPECT_EQ("Last command: E=000006BF", lastCommandStatus("E=000006BF\r"));
    EXPECT_EQ("Last command: V~", lastCommandStatus("\x06V\x80\xFF~\n"));
}

TEST(DefaultsTest, ExposureDefaultsFollowTheFirmwareGeneration)
{
    ParameterRecord record;
    SetBuiltInDefaults(record);
    EXPECT_EQ((Parameter{1727, 1, 100000}), record.E);
    EXPECT_EQ((Parameter{1728, 1, 100000}), record.F);
    record.versionField3 = 1;
    record.versionField4 = 7;
    SetBuiltInDefaults(record);
    EXPECT_EQ(1726, record.E.value);
    EXPECT_EQ(1727, record.F.value);
    EXPECT_EQ((Parameter{1726, 1, 1728}), record.N);
    EXPECT_EQ((Parameter{167, 1, 1024}), record.K);
    EXPECT_EQ(0x2A, record.s.value);
    EXPECT_EQ(3, record.T.value);
}

TEST(VariantTest, TextsAndFastVariants)
{
    EXPECT_EQ("= 4064002: Sorvel SX-20B EF-Mount.", variantText(0x4012));
    EXPECT_EQ("= 1064011: KL-7700C / F-Mount.", variantText(0x0011));
    EXPECT_EQ("= 0000000: Unknown / Testversion.", variantText(0xFFFF));
    EXPECT_EQ("Unknown.", variantText(0x4003));
    int fast = 0;
    for (int32_t code = 0; code <= 0xFFFF; ++code) fast += is200FpsVariant(code) ? 1 : 0;
    EXPECT_EQ(6, fast);
    EXPECT_TRUE(is200FpsVariant(0x4032));
}

} // namespace
} // namespace kl7700
