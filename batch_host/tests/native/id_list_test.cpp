// The device-client id list of "StartClientDialog=".
#include "batch_host/IdList.h"

#include <gtest/gtest.h>

#include <string>

namespace merrow {
namespace {

TEST(ParseIdList, ReadsDecimalAndHexadecimalIdsInOrder)
{
    struct Case {
        const char* text;
        std::vector<uint32_t> ids;
    };
    const Case cases[] = {
        {"4096", {4096}},
        {"4096,0x2000", {4096, 8192}},
        {"0x10a", {266}},
        {"0X10A", {266}},
        {"007", {7}},
        {"0", {0}},
        {"0x0", {0}},
        {"4294967295", {4294967295u}},
        {"0xFFFFFFFF", {0xFFFFFFFFu}},
        {"0x00000000FF", {255}},
        {"1,2,3,4096", {1, 2, 3, 4096}},
        {"", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("list \"") + c.text + "\"");
        auto ids = ParseIdList(c.text);
        ASSERT_TRUE(ids.has_value());
        EXPECT_EQ(*ids, c.ids);
    }
}

TEST(ParseIdList, RefusesMalformedListsAsAWhole)
{
    const char* cases[] = {
        "12,",  // trailing comma
        ",",    // empty ids
        ",12",  // empty first id
        "1,,2", // empty id in between
        "0x",   // prefix without digits
        "0x,1", // the same in a list
        " 1",   // blanks are not allowed
        "1 ",
        "1, 2",
        "-1", // signs are not digits
        "+1",
        "12a",  // a letter in a decimal id
        "0x1g", // a non-hexadecimal letter
        "x10",
        "4294967296", // beyond 32 bits: refused, not wrapped to 0
        "0x100000000",
        "99999999999999999999999",
        "4096;4097",
    };
    for (const char* text : cases) {
        SCOPED_TRACE(std::string("list \"") + text + "\"");
        EXPECT_FALSE(ParseIdList(text).has_value());
    }
}

} // namespace
} // namespace merrow
