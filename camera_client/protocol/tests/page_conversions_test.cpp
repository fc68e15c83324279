// Unit conversions and presets of the configuration pages.
#include "kl7700/Commands.h"
#include "kl7700/PageConversions.h"

#include <gtest/gtest.h>

#include <climits>

namespace kl7700 {
namespace {

TEST(PageConversionsTest, MillisecondsAndTicks)
{
    EXPECT_NEAR(5.178, ticksToMilliseconds(1726, 167), 1e-12);
    EXPECT_EQ(1000, millisecondsToTicks(3.0, 167));
    EXPECT_EQ(1333, millisecondsToTicks(2.0, 83));      // 1333.33 truncated
    EXPECT_EQ(INT32_MAX, millisecondsToTicks(1.0, -1)); // no tick: saturated, not undefined
    EXPECT_EQ(INT32_MAX, millisecondsToTicks(1e300, 167));
}

TEST(PageConversionsTest, TimeBaseRoundsHalvesAwayFromZero)
{
    EXPECT_EQ(167, timeBaseNsToPrescaler(3000.0));
    EXPECT_EQ(83, timeBaseNsToPrescaler(1500.0));
    EXPECT_EQ(3, timeBaseNsToPrescaler(62.5));                 // 2.5 rounds up
    EXPECT_EQ(-3, timeBaseNsToPrescaler(-26.785714285714285)); // -2.5 rounds down
    EXPECT_DOUBLE_EQ(3000.0, prescalerToTimeBaseNs(167));
}

TEST(PageConversionsTest, FrameRateUnitFollowsTheHighestRate)
{
    EXPECT_EQ("Framerate [Hz]:", frameRateUnit(167, 1).label);
    EXPECT_EQ("Framerate [kHz]:", frameRateUnit(0, 1).label);
    const FrameRateUnit slow = frameRateUnit(1023, 100000);
    EXPECT_EQ("Framerate [mHz]:", slow.label);
    EXPECT_DOUBLE_EQ(1000.0, slow.factor);
    EXPECT_DOUBLE_EQ(0.001, frameRateUnit(0, 1).factor);

    EXPECT_NEAR(333.333, frameDurationToShownRate(1000, 167, 1.0), 1e-3);
    EXPECT_EQ(1333, shownRateToFrameDuration(250.0, 167, 1.0));
    EXPECT_EQ(1333, shownRateToFrameDuration(250000.0, 167, 1000.0));
    EXPECT_EQ(INT32_MAX, shownRateToFrameDuration(0.0, 167, 1.0)); // a rate of zero
    EXPECT_EQ(0.0, frameDurationToShownRate(0, 167, 1.0));
}

TEST(PageConversionsTest, LinePresetsByCameraLinkModeAndSecondRegion)
{
    ParameterRecord record;
    SetBuiltInDefaults(record);
    const auto presets = linesPresets();
    ASSERT_EQ(12u, presets.size());
    const LinesPreset& def = presets[0];
    const LinesPreset& hz200 = presets[1];
    const LinesPreset& hz400 = presets[2];
    EXPECT_EQ("~ 400Hz", hz400.label);

    EXPECT_TRUE(linesPresetEnabled(hz200, record));
    EXPECT_EQ(1665, linesForPreset(hz200, record));
    EXPECT_EQ(832, linesForPreset(hz400, record));
    record.D.value = 1;
    EXPECT_EQ(832, linesForPreset(hz200, record));
    EXPECT_EQ(416, linesForPreset(hz400, record));
    EXPECT_EQ(1726, linesForPreset(def, record));
    record.S.value = 5;
    record.D.value = 0;
    EXPECT_FALSE(linesPresetEnabled(hz200, record));
    EXPECT_TRUE(linesPresetEnabled(hz400, record));
    EXPECT_EQ(1666, linesForPreset(hz400, record));
    EXPECT_EQ(65, linesForPreset(presets[11], record));
}

TEST(PageConversionsTest, FirstLinePresets)
{
    ParameterRecord record;
    SetBuiltInDefaults(record);
    EXPECT_TRUE(firstLinePresetsEnabled(record)); // 1726 below 1728
    record.A = {7, 10, 100};
    applyFirstLinePreset(FirstLinePreset::Top, record);
    EXPECT_EQ(10, record.A.value);
    applyFirstLinePreset(FirstLinePreset::Center, record);
    EXPECT_EQ(45, record.A.value);
    record.D.value = 1;
    record.N.value = 801;
    applyFirstLinePreset(FirstLinePreset::Bottom, record);
    EXPECT_EQ(100, record.A.value);
    EXPECT_EQ(400, record.N.value);
    record.N.max = 400;
    EXPECT_FALSE(firstLinePresetsEnabled(record));
    EXPECT_EQ(83, prescalerPresets()[1].prescaler);
}

} // namespace
} // namespace kl7700
