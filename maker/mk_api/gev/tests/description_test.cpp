// Descriptions out of device memory: plain and zipped, and archives that lie.
#include "mk_gev/Description.h"

#include "FakeDevice.h"

#include <gtest/gtest.h>

#include <zlib.h>

namespace mkgev {
namespace {

using Bytes = std::vector<uint8_t>;

void put16(Bytes& b, uint16_t v)
{
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void put32(Bytes& b, uint32_t v)
{
    put16(b, uint16_t(v));
    put16(b, uint16_t(v >> 16));
}

// A one-file zip archive as device makers ship them (deflated, or stored).
Bytes zipOf(const std::string& name, const std::string& content, bool deflated)
{
    Bytes packed;
    if (deflated) {
        packed.resize(compressBound(uLong(content.size())) + 64);
        z_stream z{};
        deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
        z.avail_in = uInt(content.size());
        z.next_out = packed.data();
        z.avail_out = uInt(packed.size());
        deflate(&z, Z_FINISH);
        packed.resize(z.total_out);
        deflateEnd(&z);
    } else {
        packed.assign(content.begin(), content.end());
    }
    uint32_t crc = uint32_t(crc32(0, reinterpret_cast<const Bytef*>(content.data()), uInt(content.size())));
    Bytes zip;
    auto header = [&](bool central) {
        put32(zip, central ? 0x02014b50 : 0x04034b50);
        if (central)
            put16(zip, 20);
        put16(zip, 20);
        put16(zip, 0);
        put16(zip, deflated ? 8 : 0);
        put32(zip, 0);
        put32(zip, crc);
        put32(zip, uint32_t(packed.size()));
        put32(zip, uint32_t(content.size()));
        put16(zip, uint16_t(name.size()));
        put16(zip, 0);
        if (central) {
            put16(zip, 0);
            put16(zip, 0);
            put16(zip, 0);
            put32(zip, 0);
            put32(zip, 0); // local header offset
        }
        zip.insert(zip.end(), name.begin(), name.end());
    };
    header(false);
    zip.insert(zip.end(), packed.begin(), packed.end());
    uint32_t directory = uint32_t(zip.size());
    header(true);
    uint32_t directorySize = uint32_t(zip.size()) - directory;
    put32(zip, 0x06054b50);
    put16(zip, 0);
    put16(zip, 0);
    put16(zip, 1);
    put16(zip, 1);
    put32(zip, directorySize);
    put32(zip, directory);
    put16(zip, 0);
    return zip;
}

const std::string kXml = "<?xml version=\"1.0\"?><RegisterDescription ModelName=\"Z\">" + std::string(3000, ' ') +
    "</RegisterDescription>";

TEST(UnzipTest, ArchivesInflateAndDamageIsRefused)
{
    for (bool deflated : {true, false}) {
        SCOPED_TRACE(deflated ? "deflated" : "stored");
        std::string xml;
        std::string error = unzipDescription(zipOf("Camera.xml", kXml, deflated), xml);
        ASSERT_TRUE(error.empty()) << error;
        EXPECT_EQ(kXml, xml);
    }
    Bytes good = zipOf("Camera.xml", kXml, true);
    Bytes badCrc = good;
    badCrc[14] ^= 1; // the local header's CRC is not read; the directory's is
    badCrc[good.size() - 22 - 46 - 10 + 16] ^= 1;
    Bytes truncated(good.begin(), good.begin() + 40);
    Bytes wrongSize = good;
    wrongSize[good.size() - 22 - 46 - 10 + 24] ^= 4; // the directory lies about the size
    Bytes method = good;
    method[good.size() - 22 - 46 - 10 + 10] = 12; // bzip2
    struct Case {
        const char* what;
        Bytes archive;
        const char* error;
    };
    const Case cases[] = {
        {"a changed CRC", badCrc, "CRC"},
        {"cut short", truncated, "not a zip"},
        {"a size that lies", wrongSize, "does not inflate"},
        {"another method", method, "method 12"},
        {"plain XML", Bytes(kXml.begin(), kXml.end()), "not a zip"},
        {"nothing", Bytes(), "cut short"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string xml = "untouched";
        std::string error = unzipDescription(c.archive, xml);
        EXPECT_NE(std::string::npos, error.find(c.error)) << "expected \"" << c.error << "\" in \"" << error << "\"";
        EXPECT_EQ("untouched", xml);
    }
}

struct DescriptionTest : ::testing::Test {
    testing::VirtualClock clock;
    testing::FakeDevice device{clock};
    GvcpClient client{device, clock};

    void SetUp() override
    {
        device.memoryBase = 0;
        device.memory.assign(0x20000, 0);
    }
    void putUrl(uint32_t at, const std::string& url) { std::copy(url.begin(), url.end(), device.memory.begin() + at); }
    void putBytes(uint32_t at, const Bytes& bytes) { std::copy(bytes.begin(), bytes.end(), device.memory.begin() + at); }
};

TEST_F(DescriptionTest, PlainAndZippedDescriptionsThroughTheUrl)
{
    putBytes(0x10000, Bytes(kXml.begin(), kXml.end()));
    putUrl(
        bootstrap::FirstUrl, "Local:camera.xml;10000;" + [] {
            char hex[16];
            snprintf(hex, sizeof hex, "%zx", kXml.size() + 1); // counts a terminating zero
            return std::string(hex);
        }());
    std::string xml, source;
    std::string error = readDescription(client, xml, &source);
    ASSERT_TRUE(error.empty()) << error;
    EXPECT_EQ(kXml, xml);
    EXPECT_EQ(0u, source.find("Local:camera.xml"));

    Bytes zip = zipOf("camera.xml", kXml, true);
    putBytes(0x18000, zip);
    // The first URL names a file on the host, which is not read; the second one is.
    putUrl(bootstrap::FirstUrl, std::string("File:///camera.xml") + std::string(40, '\0'));
    char url[64];
    snprintf(url, sizeof url, "local:CAMERA.ZIP;18000;%zx?SchemaVersion=1.0.0", zip.size());
    putUrl(bootstrap::SecondUrl, url);
    error = readDescription(client, xml, &source);
    ASSERT_TRUE(error.empty()) << error;
    EXPECT_EQ(kXml, xml);
    EXPECT_EQ(url, source);

    putUrl(bootstrap::SecondUrl, std::string("http://x") + std::string(80, '\0'));
    error = readDescription(client, xml, &source);
    EXPECT_NE(std::string::npos, error.find("only Local:")) << error;
}

TEST_F(DescriptionTest, ThePortWritesWordsUnlessTheDeviceWritesMemory)
{
    GvcpPort words(client, false);
    const uint8_t bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    device.sent.clear();
    ASSERT_TRUE(words.write(0x100, bytes));
    ASSERT_EQ(1u, device.sent.size());
    EXPECT_EQ(uint16_t(GvcpCommand::WriteRegister), load16(device.sent[0], 2));
    EXPECT_EQ(0x01020304u, device.registers[0x100]);
    EXPECT_EQ(0x05060708u, device.registers[0x104]);

    GvcpPort memory(client, true);
    device.sent.clear();
    ASSERT_TRUE(memory.write(0x200, bytes));
    EXPECT_EQ(uint16_t(GvcpCommand::WriteMemory), load16(device.sent[0], 2));
    EXPECT_EQ(5, device.memory[0x204]);
    EXPECT_FALSE(memory.write(0x202, bytes)); // unaligned
    EXPECT_FALSE(memory.write(0x1'0000'0000ull, bytes));

    uint8_t out[4];
    device.registers[0x300] = 0xA1B2C3D4;
    ASSERT_TRUE(words.read(0x300, out));
    EXPECT_EQ(0xA1, out[0]);
    EXPECT_EQ(0xD4, out[3]);
}

} // namespace
} // namespace mkgev
