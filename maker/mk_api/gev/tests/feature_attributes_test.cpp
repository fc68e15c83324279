// Features as the library's attributes: records (types, flags, categories, impacts),
// typed values, ranges, and the library's codes for every refusal.
#include "mk_gev/FeatureAttributes.h"

#include "MemoryPort.h"
#include "TestDescription.h"
#include "mk_api/MkApi.h"

#include <gtest/gtest.h>

namespace mkgev {
namespace {

struct FeatureAttributesTest : ::testing::Test {
    testing::MemoryPort port;
    std::unique_ptr<NodeMap> map;
    std::unique_ptr<FeatureAttributes> attributes;
    void SetUp() override
    {
        std::string error;
        map = NodeMap::parse(testing::kDescription, error);
        ASSERT_TRUE(map) << error;
        map->setPort(&port);
        port.set32(0x100, 640);
        port.set32(0x104, 480);
        port.set32(0x108, 0x01080001);
        port.set32(0x11C, 40000);
        attributes = std::make_unique<FeatureAttributes>(*map);
    }
};

TEST_F(FeatureAttributesTest, RecordsFollowTheDescription)
{
    EXPECT_EQ((std::vector<std::string>{"Width", "Height", "PixelFormat", "PayloadSize", "ReverseX",
                                        "AcquisitionStart", "FrameRate", "Gain", "DeviceModelName"}),
              attributes->names());
    struct Case {
        const char* name;
        uint32_t type, flags;
        const char* category;
        const char* impacts;
    };
    const uint32_t rw = MK_FLAG_READ | MK_FLAG_WRITE;
    const Case cases[] = {
        {"Width", MK_ATTR_UINT32, rw, "/ImageFormat", "PayloadSize"},
        {"Height", MK_ATTR_UINT32, rw, "/ImageFormat", "PayloadSize"}, // its own limits, not its register's
        {"PixelFormat", MK_ATTR_ENUM, rw, "/ImageFormat", "PayloadSize"},
        {"PayloadSize", MK_ATTR_INT64, MK_FLAG_READ, "/ImageFormat", ""}, // a formula: no range
        {"ReverseX", MK_ATTR_BOOLEAN, rw, "/ImageFormat", ""},
        {"AcquisitionStart", MK_ATTR_COMMAND, MK_FLAG_WRITE, "/Acquisition", ""},
        {"FrameRate", MK_ATTR_FLOAT32, rw | MK_FLAG_VOLATILE, "/Acquisition", ""},
        {"Gain", MK_ATTR_FLOAT32, rw, "/Acquisition", ""},
        {"DeviceModelName", MK_ATTR_STRING, rw, "/", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        mkapi::AttrDescription d;
        ASSERT_EQ(MK_ERR_SUCCESS, attributes->describe(c.name, d));
        EXPECT_EQ(c.type, d.type);
        EXPECT_EQ(c.flags, d.flags);
        EXPECT_EQ(c.category, d.category);
        EXPECT_EQ(c.impacts, d.impacts);
    }
    mkapi::AttrDescription d;
    EXPECT_EQ(MK_ERR_NOT_FOUND, attributes->describe("WidthReg", d)); // not listed by a category
}

TEST_F(FeatureAttributesTest, TypedValuesAndRanges)
{
    mkapi::AttrValue value;
    ASSERT_EQ(MK_ERR_SUCCESS, attributes->get("Width", MK_ATTR_UINT32, value));
    EXPECT_EQ(640u, std::get<uint32_t>(value));
    ASSERT_EQ(MK_ERR_SUCCESS, attributes->set("Width", MK_ATTR_UINT32, mkapi::AttrValue(uint32_t(800))));
    EXPECT_EQ(800u, port.get32(0x100));
    ASSERT_EQ(MK_ERR_SUCCESS, attributes->get("PayloadSize", MK_ATTR_INT64, value));
    EXPECT_EQ(800 * 480, std::get<int64_t>(value));
    ASSERT_EQ(MK_ERR_SUCCESS, attributes->set("PixelFormat", MK_ATTR_ENUM, mkapi::AttrValue(std::string("Mono16"))));
    ASSERT_EQ(MK_ERR_SUCCESS, attributes->get("PixelFormat", MK_ATTR_ENUM, value));
    EXPECT_EQ("Mono16", std::get<std::string>(value));
    ASSERT_EQ(MK_ERR_SUCCESS, attributes->set("FrameRate", MK_ATTR_FLOAT32, mkapi::AttrValue(20.0f)));
    ASSERT_EQ(MK_ERR_SUCCESS, attributes->get("FrameRate", MK_ATTR_FLOAT32, value));
    EXPECT_FLOAT_EQ(20.0f, std::get<float>(value));
    ASSERT_EQ(MK_ERR_SUCCESS, attributes->set("ReverseX", MK_ATTR_BOOLEAN, mkapi::AttrValue(true)));
    ASSERT_EQ(MK_ERR_SUCCESS, attributes->run("AcquisitionStart"));
    EXPECT_EQ(1u, port.get32(0x118));

    mkapi::AttrRange range;
    ASSERT_EQ(MK_ERR_SUCCESS, attributes->range("Width", MK_ATTR_UINT32, range));
    EXPECT_EQ(16u, std::get<uint32_t>(range.minimum));
    EXPECT_EQ(1024u, std::get<uint32_t>(range.maximum));
    ASSERT_EQ(MK_ERR_SUCCESS, attributes->range("PixelFormat", MK_ATTR_ENUM, range));
    EXPECT_EQ((std::vector<std::string>{"Mono8", "Mono16"}), range.choices);
    ASSERT_EQ(MK_ERR_SUCCESS, attributes->range("Gain", MK_ATTR_FLOAT32, range));
    EXPECT_FLOAT_EQ(24.0f, std::get<float>(range.maximum));
}

TEST_F(FeatureAttributesTest, RefusalsGiveTheLibrarysCodes)
{
    mkapi::AttrValue value;
    mkapi::AttrRange range;
    struct Case {
        const char* what;
        mkapi::Code got, expected;
    };
    const Case cases[] = {
        {"unknown", attributes->get("Nothing", MK_ATTR_UINT32, value), MK_ERR_NOT_FOUND},
        {"the wrong type tag", attributes->get("Width", MK_ATTR_INT64, value), MK_ERR_WRONG_TYPE},
        {"a value of another type", attributes->set("Width", MK_ATTR_UINT32, mkapi::AttrValue(int64_t(5))),
         MK_ERR_WRONG_TYPE},
        {"a command read", attributes->get("AcquisitionStart", MK_ATTR_COMMAND, value), MK_ERR_WRONG_TYPE},
        {"running a value", attributes->run("Width"), MK_ERR_WRONG_TYPE},
        {"below the minimum", attributes->set("Width", MK_ATTR_UINT32, mkapi::AttrValue(uint32_t(8))),
         MK_ERR_OUT_OF_RANGE},
        {"not an entry", attributes->set("PixelFormat", MK_ATTR_ENUM, mkapi::AttrValue(std::string("RGB8"))),
         MK_ERR_OUT_OF_RANGE},
        {"a read-only feature", attributes->set("PayloadSize", MK_ATTR_INT64, mkapi::AttrValue(int64_t(1))),
         MK_ERR_FORBIDDEN},
        {"a string's range", attributes->range("DeviceModelName", MK_ATTR_STRING, range), MK_ERR_WRONG_TYPE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.expected, c.got);
    }
    // Locked while acquiring: forbidden now; unavailable: 21.
    ASSERT_EQ(NodeError::None, map->setInt("Acquiring", 1));
    EXPECT_EQ(MK_ERR_FORBIDDEN, attributes->set("Width", MK_ATTR_UINT32, mkapi::AttrValue(uint32_t(512))));
    mkapi::AttrDescription d;
    ASSERT_EQ(MK_ERR_SUCCESS, attributes->describe("Width", d));
    EXPECT_EQ(uint32_t(MK_FLAG_READ), d.flags);
    ASSERT_EQ(NodeError::None, map->setInt("GainAvailable", 0));
    EXPECT_EQ(MK_ERR_UNAVAILABLE, attributes->isAvailable("Gain"));
    EXPECT_EQ(MK_ERR_UNAVAILABLE, attributes->get("Gain", MK_ATTR_FLOAT32, value));
    EXPECT_EQ(MK_ERR_SUCCESS, attributes->isAvailable("Width"));
    // A value the device holds outside its range, or no entry names (changed behind the
    // map's back, so its cache is dropped).
    map->invalidateCache();
    port.set32(0x100, 4096);
    EXPECT_EQ(MK_ERR_OUT_OF_RANGE, attributes->isValid("Width"));
    port.set32(0x108, 0x12345678);
    EXPECT_EQ(MK_ERR_OUT_OF_RANGE, attributes->isValid("PixelFormat"));
    EXPECT_EQ(MK_ERR_SUCCESS, attributes->isValid("Height"));
    port.failing = true;
    map->invalidateCache();
    EXPECT_EQ(MK_ERR_CAMERA_FAULT, attributes->get("Height", MK_ATTR_UINT32, value));
}

} // namespace
} // namespace mkgev
