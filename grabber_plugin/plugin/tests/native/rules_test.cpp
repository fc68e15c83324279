// The error lines, the timer arithmetic and the parameter table.
#include "zelmk/GrabberRules.h"

#include <gtest/gtest.h>

#include <limits>

namespace zelmk {
namespace {

TEST(ApiErrorTest, EveryCodeOfTheTableAndBeyond)
{
    struct Case {
        uint32_t code;
        const char* line;
    };
    const Case cases[] = {
        {0, "Op: No error"},
        {1, "Op: Unexpected camera fault"},
        {2, "Op: Unexpected fault in MkApi or driver"},
        {3, "Op: Camera handle is invalid"},
        {4, "Op: Bad parameter to API call"},
        {5, "Op: Sequence of API calls is incorrect"},
        {6, "Op: Camera or attribute not found"},
        {7, "Op: Camera cannot be opened in the specified mode"},
        {8, "Op: Camera was unplugged"},
        {9, "Op: Setup is invalid (an attribute is invalid)"},
        {10, "Op: System/network resources or memory not available"},
        {11, "Op: 1394 bandwidth not available"},
        {12, "Op: Too many frames on queue"},
        {13, "Op: Frame buffer is too small"},
        {14, "Op: Frame cancelled by user"},
        {15, "Op: The data for the frame was lost"},
        {16, "Op: Some data in the frame is missing"},
        {17, "Op: Timeout during wait"},
        {18, "Op: Attribute value is out of the expected range"},
        {19, "Op: Attribute is not this type (wrong access function)"},
        {20, "Op: Attribute write forbidden at this time"},
        {21, "Op: Attribute is not available at this time"},
        {22, "Op: A firewall is blocking the traffic"},
        {23, "Op: unknown error (23)"},
        {0xFFFFFFFF, "Op: unknown error (4294967295)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(c.line, ApiErrorLine("Op", c.code));
    }
    // The caller's text is data, never a format.
    EXPECT_EQ("100% %s %u: Camera was unplugged", ApiErrorLine("100% %s %u", 8));
}

TEST(TimerArithmeticTest, PowersOfTenAreExact)
{
    uint64_t expected = 1;
    for (unsigned n = 0; n <= 19; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(expected, PowerOfTen(n));
        if (n < 19) expected *= 10;
    }
    EXPECT_FALSE(PowerOfTen(20));
}

TEST(TimerArithmeticTest, TicksAndMicroseconds)
{
    struct Case {
        uint32_t ticks;
        int32_t exponent;
        uint64_t microseconds;
    };
    const Case cases[] = {
        {7, -6, 7},
        {7, -3, 7000},
        {3, -1, 300000},
        {0xFFFFFFFF, 0, 4294967295000000ull},
        {1, 0, 1000000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.exponent);
        EXPECT_EQ(c.microseconds, TicksToMicroseconds(c.ticks, c.exponent));
        EXPECT_EQ(c.ticks, MicrosecondsToTicks(c.microseconds, c.exponent));
    }
    // Truncation, never rounding up; values a double factor of 0.1 gets wrong.
    EXPECT_EQ(2u, MicrosecondsToTicks(2999, -3));
    EXPECT_EQ(3u, MicrosecondsToTicks(300000, -1));
    EXPECT_EQ(7u, MicrosecondsToTicks(700000, -1));
    // Outside the exponent range or the 32-bit tick count: no answer.
    EXPECT_FALSE(TicksToMicroseconds(1, 1));
    EXPECT_FALSE(TicksToMicroseconds(1, -7));
    EXPECT_FALSE(MicrosecondsToTicks(1, 1));
    EXPECT_FALSE(MicrosecondsToTicks(4294967296ull, -6));
    EXPECT_EQ(0xFFFFFFFFu, MicrosecondsToTicks(4294967295ull, -6));
}

constexpr GrabberParamState kNotInit{false, false};
constexpr GrabberParamState kNoCamera{true, false};
constexpr GrabberParamState kOpen{true, true};

TEST(ParamTableTest, Limits)
{
    struct Case {
        UG_GRABBERFEATURE feature;
        GrabberParamState state;
        bool framework;
        UG_ERRCODE code;
        uint64_t min1, max1, min2, max2;
    };
    const uint64_t minus6 = static_cast<uint64_t>(int64_t{-6});
    const Case cases[] = {
        {1, kNotInit, false, 0, 1, 4, 0, 0},
        {256, kNotInit, false, 2, 0, 0, 0, 0},
        {256, kNoCamera, false, 10, 0, 0, 0, 0},
        {256, kOpen, false, 0, 1, 1, 0, 2},
        {261, kNotInit, false, 0, minus6, 0, 0, 0},
        {262, kNotInit, false, 2, 0, 0, 0, 0},
        {263, kNoCamera, false, 10, 0, 0, 0, 0},
        {265, kOpen, false, 34, 0, 0, 0, 0},
        {267, kNotInit, false, 2, 0, 0, 0, 0},
        {267, kNoCamera, false, 10, 0, 0, 0, 0},
        {267, kOpen, false, 0, 0, 1, 0, 0},
        {4096, kNotInit, false, 0, 0, UINT64_MAX, 0, UINT64_MAX},
        {2, kOpen, true, 0, 0, 0, 0, 0},
        {264, kOpen, true, 0, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "feature " << c.feature);
        const ParamLimits limits = GrabberParamLimits(c.feature, c.state);
        EXPECT_EQ(c.framework, limits.framework);
        if (c.framework) continue;
        EXPECT_EQ(c.code, limits.code);
        if (c.code) continue;
        EXPECT_EQ(c.min1, limits.min1);
        EXPECT_EQ(c.max1, limits.max1);
        EXPECT_EQ(c.min2, limits.min2);
        EXPECT_EQ(c.max2, limits.max2);
    }
}

TEST(ParamTableTest, GetAndSet)
{
    struct Case {
        UG_GRABBERFEATURE feature;
        GrabberParamState state;
        ParamGet get;
        UG_ERRCODE getCode;
        uint64_t value1, value2;
        ParamSet set;
        UG_ERRCODE setCode;
    };
    const uint64_t minus3 = static_cast<uint64_t>(int64_t{-3});
    const Case cases[] = {
        {1, kOpen, ParamGet::Framework, 0, 3, 0, ParamSet::Framework, 0},
        {256, kOpen, ParamGet::Framework, 0, 1, 2, ParamSet::TimerWordA, 0},
        {256, kOpen, ParamGet::Framework, 0, 0, 0, ParamSet::Code, 14},
        {256, kOpen, ParamGet::Framework, 0, 1, 3, ParamSet::Code, 14},
        {256, kNoCamera, ParamGet::Framework, 0, 1, 0, ParamSet::Code, 10},
        {261, kNotInit, ParamGet::Exponent, 0, 1, 0, ParamSet::Code, 14},
        {261, kNotInit, ParamGet::Exponent, 0, minus3, 0, ParamSet::SetExponent, 0},
        {261, kNotInit, ParamGet::Exponent, 0, 0xFFFFFFFAu, 0, ParamSet::SetExponent, 0}, // -6 as 32 bits
        {261, kNotInit, ParamGet::Exponent, 0, 0xFFFFFFF9u, 0, ParamSet::Code, 14},       // -7
        {262, kNotInit, ParamGet::Code, 2, 0, 0, ParamSet::Code, 2},
        {263, kNoCamera, ParamGet::Code, 10, 0, 0, ParamSet::Code, 10},
        {265, kOpen, ParamGet::Code, 34, 0, 0, ParamSet::Code, 34},
        {267, kNotInit, ParamGet::Code, 2, 0, 0, ParamSet::Code, 2},
        {267, kOpen, ParamGet::Code, 34, 0, 0, ParamSet::Code, 34},
        {4096, kOpen, ParamGet::FrameCounter, 0, 5, 5, ParamSet::Code, 34},
        {300, kOpen, ParamGet::Framework, 0, 5, 5, ParamSet::Framework, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "feature " << c.feature << " value1 " << c.value1);
        const ParamGetAnswer get = GrabberParamGet(c.feature, c.state);
        EXPECT_EQ(c.get, get.route);
        EXPECT_EQ(c.getCode, get.code);
        const ParamLimits limits = GrabberParamLimits(c.feature, c.state);
        const ParamSetAnswer set = GrabberParamSet(c.feature, limits.framework ? 0 : limits.code, limits, c.value1, c.value2);
        EXPECT_EQ(c.set, set.route);
        EXPECT_EQ(c.setCode, set.code);
    }
}

} // namespace
TEST(FrameWaitTest, TenFramePeriodsWithinTheBounds)
{
    struct Case {
        std::optional<float> rate;
        uint32_t minimum;
        uint32_t bound;
    };
    const Case cases[] = {
        {30.0f, 2000, 2000}, // 334 ms of periods: the floor
        {2.0f, 2000, 5000},  // ten periods of 500 ms
        {0.5f, 2000, 20000}, // the slowest rate the cameras offer
        {0.1f, 2000, 60000}, // a minute at most
        {3.0f, 2000, 3334},  // rounded up
        {std::nullopt, 2000, 10000},
        {0.0f, 2000, 10000},
        {-1.0f, 2000, 10000},
        {std::numeric_limits<float>::quiet_NaN(), 2000, 10000},
        {std::numeric_limits<float>::infinity(), 2000, 2000},
        {100.0f, 50, 100}, // a lowered floor (tests): ten periods
        {1.0e-30f, 2000, 60000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.rate ? *c.rate : -99.0f) << " fps, floor " << c.minimum);
        EXPECT_EQ(c.bound, FrameWaitBoundMs(c.rate, c.minimum));
    }
    EXPECT_EQ(2000u, FrameWaitBoundMs(1000.0f));
}

} // namespace zelmk
