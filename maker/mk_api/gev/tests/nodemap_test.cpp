// The node map over a description that uses every node kind, on a memory port: values
// through their chains, ranges, access, availability and locks, formulas, masks, struct
// entries, categories, invalidators, and descriptions that are refused.
#include "mk_gev/NodeMap.h"

#include "MemoryPort.h"
#include "TestDescription.h"

#include <gtest/gtest.h>

namespace mkgev {
namespace {

using testing::kDescription;
using testing::MemoryPort;


struct NodeMapTest : ::testing::Test {
    MemoryPort port;
    std::unique_ptr<NodeMap> map;
    void SetUp() override
    {
        std::string error;
        map = NodeMap::parse(kDescription, error);
        ASSERT_TRUE(map) << error;
        map->setPort(&port);
        port.set32(0x100, 640);
        port.set32(0x104, 480);
        port.set32(0x108, 0x01080001);
        port.set32(0x11C, 40000);
    }
};

TEST_F(NodeMapTest, DescriptionFacts)
{
    EXPECT_EQ("Model", map->modelName());
    EXPECT_EQ("Vendor", map->vendorName());
    EXPECT_EQ(NodeKind::IntSwissKnife, map->kind("PayloadSize"));
    EXPECT_EQ(NodeKind::MaskedIntReg, map->kind("High")); // a struct entry
    EXPECT_FALSE(map->kind("Packed"));
    EXPECT_EQ("Image width", map->displayName("Width"));
    EXPECT_EQ("Height", map->displayName("Height"));

    // Listed once each, depth first, with their category path; unknown names skipped.
    std::vector<std::pair<std::string, std::string>> expected = {
        {"Width", "/ImageFormat"},
        {"Height", "/ImageFormat"},
        {"PixelFormat", "/ImageFormat"},
        {"PayloadSize", "/ImageFormat"},
        {"ReverseX", "/ImageFormat"},
        {"AcquisitionStart", "/Acquisition"},
        {"FrameRate", "/Acquisition"},
        {"Gain", "/Acquisition"},
        {"DeviceModelName", "/"},
    };
    auto features = map->features();
    ASSERT_EQ(expected.size(), features.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(expected[i].first, features[i].name);
        EXPECT_EQ(expected[i].second, features[i].category);
    }
    EXPECT_TRUE(map->isVolatile("FrameRate"));
    EXPECT_FALSE(map->isVolatile("Width"));
    EXPECT_EQ(std::vector<std::string>{"FramePeriodReg"}, map->invalidated("FrameRate"));
}

TEST_F(NodeMapTest, ValuesThroughTheirChains)
{
    port.set32(0x10C, 0x00000001); // bit 31 of a big-endian register is its least significant
    port.set32(0x114, 0xFFFE0003); // High = -2 (signed), Low = 3
    port.bytes[0x110] = 0xA0;      // little-endian bits 4..11: 0xFA = -6 signed
    port.bytes[0x111] = 0x0F;
    float gain = 6.5f;
    uint8_t raw[4];
    std::memcpy(raw, &gain, 4);
    for (int i = 0; i < 4; ++i)
        port.bytes[0x120 + i] = raw[i]; // little-endian on this host and in the register
    const char model[] = "Fake";
    for (size_t i = 0; i < sizeof model; ++i)
        port.bytes[0x48 + i] = uint8_t(model[i]);

    struct Case {
        const char* name;
        int64_t expected;
    };
    const Case ints[] = {
        {"Width", 640},
        {"Height", 480},
        {"PayloadSize", 307200},
        {"ControlBits", 1},
        {"High", -2},
        {"Low", 3},
        {"LittleField", -6},
        {"SensorWidth", 1024},
        {"FramePeriod", 40000},
    };
    for (const auto& c : ints) {
        SCOPED_TRACE(c.name);
        int64_t value = 0;
        ASSERT_EQ(NodeError::None, map->getInt(c.name, value));
        EXPECT_EQ(c.expected, value);
    }
    double value = 0;
    ASSERT_EQ(NodeError::None, map->getFloat("FrameRate", value));
    EXPECT_DOUBLE_EQ(25.0, value);
    ASSERT_EQ(NodeError::None, map->getFloat("Gain", value));
    EXPECT_DOUBLE_EQ(6.5, value);
    ASSERT_EQ(NodeError::None, map->getFloat("GainTimesTwo", value));
    EXPECT_DOUBLE_EQ(13.0, value);
    std::string text;
    ASSERT_EQ(NodeError::None, map->getEnum("PixelFormat", text));
    EXPECT_EQ("Mono8", text);
    ASSERT_EQ(NodeError::None, map->getString("DeviceModelName", text));
    EXPECT_EQ("Fake", text);
    ASSERT_EQ(NodeError::None, map->getString("UserNote", text));
    EXPECT_EQ("hello", text);
    bool on = false;
    ASSERT_EQ(NodeError::None, map->getBool("ReverseX", on));
    EXPECT_TRUE(on);
}

TEST_F(NodeMapTest, WritesReachTheRegistersAndKeepTheOtherBits)
{
    port.set32(0x10C, 0xFFFFFFFE);
    ASSERT_EQ(NodeError::None, map->setInt("Width", 1024));
    EXPECT_EQ(1024u, port.get32(0x100));
    ASSERT_EQ(NodeError::None, map->setEnum("PixelFormat", "Mono16"));
    EXPECT_EQ(0x01100007u, port.get32(0x108));
    int64_t payload = 0;
    ASSERT_EQ(NodeError::None, map->getInt("PayloadSize", payload));
    EXPECT_EQ(1024 * 480 * 2, payload);
    ASSERT_EQ(NodeError::None, map->setBool("ReverseX", true));
    EXPECT_EQ(0xFFFFFFFFu, port.get32(0x10C));
    ASSERT_EQ(NodeError::None, map->setBool("ReverseX", false));
    EXPECT_EQ(0xFFFFFFFEu, port.get32(0x10C));

    port.set32(0x114, 0x12345678);
    ASSERT_EQ(NodeError::None, map->setInt("High", -1));
    EXPECT_EQ(0xFFFF5678u, port.get32(0x114));
    ASSERT_EQ(NodeError::None, map->setInt("LittleField", 5));
    EXPECT_EQ(0x50, port.bytes[0x110]);

    ASSERT_EQ(NodeError::None, map->setFloat("FrameRate", 50.0));
    EXPECT_EQ(20000u, port.get32(0x11C));
    ASSERT_EQ(NodeError::None, map->setFloat("Gain", 12.25));
    double gain = 0;
    ASSERT_EQ(NodeError::None, map->getFloat("Gain", gain));
    EXPECT_DOUBLE_EQ(12.25, gain);

    ASSERT_EQ(NodeError::None, map->execute("AcquisitionStart"));
    EXPECT_EQ(1u, port.get32(0x118));

    ASSERT_EQ(NodeError::None, map->setString("DeviceModelName", "Renamed"));
    std::string text;
    ASSERT_EQ(NodeError::None, map->getString("DeviceModelName", text));
    EXPECT_EQ("Renamed", text);
    ASSERT_EQ(NodeError::None, map->setString("UserNote", "bye"));
    ASSERT_EQ(NodeError::None, map->getString("UserNote", text));
    EXPECT_EQ("bye", text);

    // An indexed register moves with its selector.
    ASSERT_EQ(NodeError::None, map->setInt("Selector", 2));
    ASSERT_EQ(NodeError::None, map->setInt("Indexed", 77));
    EXPECT_EQ(77u, port.get32(0x340));
}

TEST_F(NodeMapTest, RangesAccessAndRefusals)
{
    IntRange range;
    ASSERT_EQ(NodeError::None, map->intRange("Width", range));
    EXPECT_EQ(16, range.minimum);
    EXPECT_EQ(1024, range.maximum);
    EXPECT_EQ(8, range.increment);
    ASSERT_EQ(NodeError::None, map->intRange("High", range));
    EXPECT_EQ(-32768, range.minimum);
    EXPECT_EQ(32767, range.maximum);
    FloatRange frange;
    ASSERT_EQ(NodeError::None, map->floatRange("Gain", frange));
    EXPECT_DOUBLE_EQ(24.0, frange.maximum);

    std::vector<std::string> entries;
    ASSERT_EQ(NodeError::None, map->enumEntries("PixelFormat", entries));
    EXPECT_EQ((std::vector<std::string>{"Mono8", "Mono16"}), entries);

    struct Case {
        const char* what;
        NodeError got, expected;
    };
    int64_t i = 0;
    std::string s;
    const Case cases[] = {
        {"width below its minimum", map->setInt("Width", 8), NodeError::OutOfRange},
        {"width above its maximum", map->setInt("Width", 1032), NodeError::OutOfRange},
        {"width off its increment", map->setInt("Width", 650), NodeError::OutOfRange},
        {"an unavailable entry", map->setEnum("PixelFormat", "RGB8"), NodeError::OutOfRange},
        {"no such entry", map->setEnum("PixelFormat", "Mono7"), NodeError::OutOfRange},
        {"a frame rate whose period is out of range", map->setFloat("FrameRate", 200.0), NodeError::OutOfRange},
        {"a struct entry above its bits", map->setInt("Low", 70000), NodeError::OutOfRange},
        {"a read-only struct entry", map->setInt("LowReadOnly", 1), NodeError::NotWritable},
        {"a swiss knife", map->setInt("PayloadSize", 1), NodeError::NotWritable},
        {"a write-only register", map->getInt("CommandReg", i), NodeError::NotReadable},
        {"a string as integer", map->getInt("DeviceModelName", i), NodeError::WrongKind},
        {"an integer as string", map->getString("Width", s), NodeError::WrongKind},
        {"a string too long", map->setString("DeviceModelName", "seventeen chars!!"), NodeError::OutOfRange},
        {"unknown", map->getInt("Nothing", i), NodeError::NotFound},
        // A loop or a dangling reference makes a feature unavailable, never a hang.
        {"a loop", map->getInt("LoopA", i), NodeError::NotReadable},
        {"a dangling reference", map->getInt("Dangling", i), NodeError::NotReadable},
        {"a formula over a loop", map->getInt("OverLoop", i), NodeError::TooDeep},
        {"a formula over a dangling reference", map->getInt("OverDangling", i), NodeError::Unresolved},
        {"a division by zero", map->getInt("DividesByZero", i), NodeError::Unresolved},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.expected, c.got) << "expected " << nodeErrorName(c.expected) << ", got " << nodeErrorName(c.got);
    }
    EXPECT_EQ(640u, port.get32(0x100)); // nothing refused was written
    EXPECT_EQ(Access::NotAvailable, map->access("LoopA"));

    // Locks and availability follow their nodes.
    EXPECT_EQ(Access::ReadWrite, map->access("Width"));
    ASSERT_EQ(NodeError::None, map->setInt("Acquiring", 1));
    EXPECT_EQ(Access::ReadOnly, map->access("Width"));
    EXPECT_EQ(NodeError::NotWritable, map->setInt("Width", 512));
    ASSERT_EQ(NodeError::None, map->setInt("GainAvailable", 0));
    EXPECT_EQ(Access::NotAvailable, map->access("Gain"));
    double d = 0;
    EXPECT_EQ(NodeError::NotReadable, map->getFloat("Gain", d));
    ASSERT_EQ(NodeError::None, map->setInt("ColorSensor", 1));
    ASSERT_EQ(NodeError::None, map->enumEntries("PixelFormat", entries));
    EXPECT_EQ(3u, entries.size());
    EXPECT_EQ(Access::WriteOnly, map->access("AcquisitionStart"));
    EXPECT_EQ(Access::ReadOnly, map->access("PayloadSize"));

    port.failing = true;
    EXPECT_EQ(NodeError::PortFailed, map->getInt("Height", i));
    EXPECT_EQ(NodeError::PortFailed, map->setInt("Height", 100));
}

TEST_F(NodeMapTest, RegistersAreCachedUntilAWriteOrACommandSaysOtherwise)
{
    int64_t value = 0;
    port.reads = 0;
    ASSERT_EQ(NodeError::None, map->getInt("Width", value));
    ASSERT_EQ(NodeError::None, map->getInt("Width", value));
    EXPECT_EQ(1, port.reads);
    // A register described as NoCache is read every time.
    double rate = 0;
    ASSERT_EQ(NodeError::None, map->getFloat("FrameRate", rate));
    ASSERT_EQ(NodeError::None, map->getFloat("FrameRate", rate));
    EXPECT_EQ(3, port.reads);

    // A write drops what it overlaps: the struct entries share one register.
    port.set32(0x114, 0x00010002);
    ASSERT_EQ(NodeError::None, map->getInt("Low", value));
    ASSERT_EQ(NodeError::None, map->setInt("High", 7));
    ASSERT_EQ(NodeError::None, map->getInt("Low", value));
    EXPECT_EQ(2, value);
    ASSERT_EQ(NodeError::None, map->getInt("High", value));
    EXPECT_EQ(7, value);

    // A register that names a feature as its invalidator is read again after its write.
    port.set32(0x124, 100);
    ASSERT_EQ(NodeError::None, map->getInt("MaxOffsetReg", value));
    port.set32(0x124, 200); // the device changes it when the width changes
    ASSERT_EQ(NodeError::None, map->getInt("MaxOffsetReg", value));
    EXPECT_EQ(100, value);
    ASSERT_EQ(NodeError::None, map->setInt("Width", 512));
    ASSERT_EQ(NodeError::None, map->getInt("MaxOffsetReg", value));
    EXPECT_EQ(200, value);

    // A command may change anything.
    port.set32(0x104, 123);
    ASSERT_EQ(NodeError::None, map->execute("AcquisitionStart"));
    ASSERT_EQ(NodeError::None, map->getInt("Height", value));
    EXPECT_EQ(123, value);
    port.set32(0x104, 124);
    map->invalidateCache();
    ASSERT_EQ(NodeError::None, map->getInt("Height", value));
    EXPECT_EQ(124, value);
}

TEST(NodeMapLoadTest, BadDescriptionsAreRefusedWithTheNodeNamed)
{
    struct Case {
        const char* what;
        std::string xml;
        const char* error;
    };
    auto wrap = [](std::string body) { return "<RegisterDescription>" + body + "</RegisterDescription>"; };
    const Case cases[] = {
        {"not XML", "<RegisterDescription>", "not well-formed"},
        {"another root", "<Camera/>", "not <RegisterDescription>"},
        {"bad address", wrap("<IntReg Name='R'><Address>0xZZ</Address><Length>4</Length></IntReg>"),
         "node R: bad Address"},
        {"register without length", wrap("<IntReg Name='R'><Address>0</Address></IntReg>"), "node R: a register"},
        {"integer register of 9 bytes", wrap("<IntReg Name='R'><Address>0</Address><Length>9</Length></IntReg>"),
         "longer than 8"},
        {"masked bits outside", wrap("<MaskedIntReg Name='M'><Address>0</Address><Length>4</Length><Bit>40</Bit>"
                                     "</MaskedIntReg>"),
         "outside"},
        {"bad formula", wrap("<SwissKnife Name='S'><Formula>1 +</Formula></SwissKnife>"), "node S:"},
        {"converter without FormulaTo",
         wrap("<Converter Name='C'><FormulaFrom>TO</FormulaFrom><pValue>X</pValue></Converter>"), "node C:"},
        {"twice", wrap("<Integer Name='A'><Value>1</Value></Integer><Integer Name='A'><Value>2</Value></Integer>"),
         "described twice"},
        {"bad access mode", wrap("<IntReg Name='R'><Address>0</Address><Length>4</Length><AccessMode>XX</AccessMode>"
                                 "</IntReg>"),
         "AccessMode"},
        {"enum entry without value", wrap("<Enumeration Name='E'><EnumEntry Name='A'/></Enumeration>"),
         "EnumEntry A"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string error;
        EXPECT_FALSE(NodeMap::parse(c.xml, error));
        EXPECT_NE(std::string::npos, error.find(c.error)) << "expected \"" << c.error << "\" in \"" << error << "\"";
    }
}

} // namespace
} // namespace mkgev
