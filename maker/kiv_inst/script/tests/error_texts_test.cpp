// The table of error texts behind the processor's codes.
#include "kiv_script/ErrorTexts.h"

#include <gtest/gtest.h>

#include <set>

namespace kivinst {
namespace {

TEST(ErrorTexts, EachTextGetsItsOwnNonzeroCode)
{
    long first = RegisterErrorText("first");
    long second = RegisterErrorText("second");
    EXPECT_GE(first, kFirstErrorCode);
    EXPECT_NE(first, second);
    EXPECT_STREQ("first", ErrorText(first));
    EXPECT_STREQ("second", ErrorText(second));
    EXPECT_STREQ("No error", ErrorText(0));
    EXPECT_STREQ("Script error 0x1 (unknown code)", ErrorText(1));
    EXPECT_STREQ("Script error 0x7FFFFFFF (unknown code)", ErrorText(0x7FFFFFFF));

    // Old texts expire, recent ones stay readable.
    long oldest = RegisterErrorText("oldest");
    std::set<long> codes;
    long last = 0;
    for (std::size_t i = 0; i < kErrorTextCapacity; ++i)
        codes.insert(last = RegisterErrorText("text " + std::to_string(i)));
    EXPECT_EQ(kErrorTextCapacity, codes.size());
    EXPECT_EQ(0u, codes.count(0));
    char expired[64];
    std::snprintf(expired, sizeof expired, "Script error 0x%lX (text no longer available)", oldest);
    EXPECT_STREQ(expired, ErrorText(oldest));
    EXPECT_STREQ("text 0", ErrorText(oldest + 1));
    EXPECT_EQ("text " + std::to_string(kErrorTextCapacity - 1), ErrorText(last));
}

} // namespace
} // namespace kivinst
