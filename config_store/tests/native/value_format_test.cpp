// Typed reads and writes of the common base: the number and binary text forms.
#include "store_test_util.h"
#include "value_format.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace store_test;

namespace {

class TypedValues : public ::testing::Test {
protected:
    // Stores `text` as the value of S/K.
    void Put(const char* text) { store.WriteString("S", "K", text); }
    CIniFile_Mem store;
    int found = -1;
};

TEST_F(TypedValues, WritesUseTheFixedTextForms)
{
    store.WriteHex("S", "hex", 255);
    store.WriteHex64("S", "hex64", 255);
    store.WriteFieldHex64("S", "list", "f", 255);
    store.WriteUInt("S", "u", 4294967295u);
    store.WriteInt("S", "i", -2147483647 - 1);
    store.WriteUInt64("S", "u64", 18446744073709551615ull);
    store.WriteInt64("S", "i64", INT64_MIN);
    const unsigned char bytes[] = {0x01, 0xAB};
    store.WriteBinary("S", "bin", bytes, 2);
    store.WriteBinary("S", "nobin", nullptr, 5);

    EXPECT_EQ(RawValue(store, "S", "hex"), "0x000000FF");
    EXPECT_EQ(RawValue(store, "S", "hex64"), "0x00000000000000FF");
    EXPECT_EQ(RawValue(store, "S", "list"), "f=0x00000000000000FF");
    EXPECT_EQ(RawValue(store, "S", "u"), "4294967295");
    EXPECT_EQ(RawValue(store, "S", "i"), "-2147483648");
    EXPECT_EQ(RawValue(store, "S", "u64"), "18446744073709551615");
    EXPECT_EQ(RawValue(store, "S", "i64"), "-9223372036854775808");
    EXPECT_EQ(RawValue(store, "S", "bin"), "01AB");
    EXPECT_EQ(RawValue(store, "S", "nobin"), "");
}

TEST_F(TypedValues, DoublesAreWrittenWithSixSignificantDigits)
{
    const struct {
        double value;
        const char* text;
    } cases[] = {{1234567.0, "1.23457E+06"}, {1.5, "1.5"}, {1e6, "1E+06"}, {0.0001, "0.0001"}, {1e-5, "1E-05"}, {1e100, "1E+100"}, {-2.25, "-2.25"}, {0.0, "0"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        store.WriteDouble("S", "d", c.value);
        EXPECT_EQ(RawValue(store, "S", "d"), c.text);
    }
}

TEST_F(TypedValues, IntegerReadsFollowTheScannerRules)
{
    const struct {
        const char* text;
        uint32_t u;
        int32_t i;
        int found;
    } cases[] = {
        {"0x000000FF", 255, 255, 1},
        {" -12", 4294967284u, -12, 1},
        {"abc", 7, 7, 0},
        {"12abc", 12, 12, 1},
        {"  0X1f", 31, 31, 1},
        {"0x1FFFFFFFF", 0xFFFFFFFFu, -1, 1},
        {"-1", 4294967295u, -1, 1},
        {"\t42", 42, 42, 1},
        {"", 7, 7, 0},
        {"0xZZ", 0, 0, 1},
        {"+5", 5, 5, 1},
        {"- 5", 7, 7, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Put(c.text);
        EXPECT_EQ(store.GetUInt("S", "K", 7, &found), c.u);
        EXPECT_EQ(found, c.found);
        EXPECT_EQ(store.GetInt("S", "K", 7, &found), c.i);
        EXPECT_EQ(found, c.found);
    }
    EXPECT_EQ(store.GetUInt("S", "missing", 9, &found), 9u);
    EXPECT_EQ(found, 0);
}

TEST_F(TypedValues, SixtyFourBitReadsRoundTripEveryWrite)
{
    const uint64_t values[] = {0, 1, 0xFFFFFFFFull, 0x100000000ull, 0xFFFFFFFFFFFFFFFFull, 0x8000000000000000ull};
    for (uint64_t v : values) {
        SCOPED_TRACE(v);
        store.WriteUInt64("S", "d", v);
        store.WriteHex64("S", "h", v);
        store.WriteInt64("S", "s", static_cast<int64_t>(v));
        EXPECT_EQ(store.GetUInt64("S", "d", 3, &found), v);
        EXPECT_EQ(store.GetUInt64("S", "h", 3, &found), v);
        EXPECT_EQ(store.GetInt64("S", "s", 3, &found), static_cast<int64_t>(v));
        EXPECT_EQ(found, 1);
    }
}

TEST_F(TypedValues, DoubleReadsSkipWhiteSpaceAndIgnoreTrailingText)
{
    const struct {
        const char* text;
        double value;
        int found;
    } cases[] = {{" 2.5e3x", 2500.0, 1}, {"+1.5", 1.5, 1}, {"-0.25", -0.25, 1}, {"x1", 9.0, 0}, {"", 9.0, 0}, {"1.23457E+06", 1234570.0, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Put(c.text);
        EXPECT_DOUBLE_EQ(store.GetDouble("S", "K", 9.0, &found), c.value);
        EXPECT_EQ(found, c.found);
    }
}

TEST_F(TypedValues, BinaryReadsDecodePairsOrFallBackToTheDefault)
{
    const unsigned char def[] = {0xEE, 0xDD, 0xCC};
    unsigned char buf[4];

    Put("01ab");
    std::memset(buf, 0, sizeof buf);
    EXPECT_EQ(store.GetBinary("S", "K", def, 3, buf, 1, &found), 1u);
    EXPECT_EQ(buf[0], 0x01);
    EXPECT_EQ(buf[1], 0x00) << "decode must stop at the buffer's end";
    EXPECT_EQ(found, 1);

    Put("01A");
    EXPECT_EQ(store.GetBinary("S", "K", def, 3, buf, 2, &found), 2u);
    EXPECT_EQ(buf[0], 0xEE);
    EXPECT_EQ(buf[1], 0xDD);
    EXPECT_EQ(found, 0);

    Put("");
    EXPECT_EQ(store.GetBinary("S", "K", def, 3, buf, 4, &found), 0u);
    EXPECT_EQ(found, 1);

    found = 5;
    buf[0] = 0x55;
    EXPECT_EQ(store.GetBinary("S", "K", def, 3, buf, 0, &found), 0u);
    EXPECT_EQ(found, 5) << "a zero-length read touches nothing";
    EXPECT_EQ(buf[0], 0x55);
}

TEST_F(TypedValues, StringReadsAreCutAndTerminated)
{
    Put("abcdef");
    char buf[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(store.GetString("S", "K", "def", buf, sizeof buf, &found), 3u);
    EXPECT_STREQ(buf, "abc");
    EXPECT_EQ(store.GetString("S", "none", "def", buf, sizeof buf, &found), 3u);
    EXPECT_STREQ(buf, "def");
    EXPECT_EQ(found, 0);
    EXPECT_EQ(store.GetString("S", "K", "def", buf, 0, &found), 0u) << "zero length must not write before buf";
    EXPECT_EQ(store.GetString("S", "K", "def", nullptr, 8, &found), 0u);
}

} // namespace
