// The consistency rules and the timing quantities on records built in place.
#include "kl7700/Commands.h"
#include "kl7700/ParameterRules.h"
#include "kl7700/Timing.h"

#include <gtest/gtest.h>

namespace kl7700 {
namespace {

class RulesTest : public testing::Test {
protected:
    RulesTest()
    {
        SetBuiltInDefaults(camera);
        working = camera;
    }
    void apply(Rule rule) { ApplyParameterRules(rule, working, camera); }
    void makeNewFirmware()
    {
        working.versionField3 = 1;
        working.versionField4 = 7;
    }

    ParameterRecord camera;
    ParameterRecord working;
};

TEST_F(RulesTest, TickAndLineTimeFollowPrescalerAndCameraLinkMode)
{
    EXPECT_NEAR(3.0e-6, tickSeconds(167), 1e-15);
    EXPECT_NEAR(1.5e-6, tickSeconds(83), 1e-15);
    EXPECT_DOUBLE_EQ(3.0e-6, lineTimeSeconds(working));
    EXPECT_EQ(2320, sensorWidth(working));
    for (int32_t mode : {1, 3, 5, 7}) {
        working.S.value = mode;
        SCOPED_TRACE(mode);
        EXPECT_DOUBLE_EQ(1.5e-6, lineTimeSeconds(working));
        EXPECT_EQ(mode == 3 || mode == 7 ? 2240 : 2320, sensorWidth(working));
    }
}

TEST_F(RulesTest, TimingModeTwoUsesThreeTicksExceptForTheModeChangeItself)
{
    makeNewFirmware();
    working.M.value = 2;
    working.E.value = 1000;
    for (Rule rule : {Rule::Exposure, Rule::Prescaler, Rule::FirstLineA, Rule::Lines, Rule::CameraLinkMode}) {
        SCOPED_TRACE(static_cast<int>(rule));
        working.F.min = 1;
        apply(rule);
        EXPECT_EQ(1003, working.F.min);
        EXPECT_GE(working.F.value, 1003);
    }
    apply(Rule::TimingMode);
    EXPECT_EQ(1002, working.F.min); // offset 2 on a new camera
    EXPECT_EQ(100000, working.E.max);

    working.versionField3 = 0; // old camera: offset 3
    apply(Rule::TimingMode);
    EXPECT_EQ(1003, working.F.min);
}

TEST_F(RulesTest, ModeChangeToContinuousKeepsRoomBelowTheExposureMaximum)
{
    working.E = {99999, 1, 100000};
    working.M.value = 0;
    apply(Rule::TimingMode);
    EXPECT_EQ(99997, working.F.min); // min(E + 3, max of E - 3)
    EXPECT_EQ(99997, working.F.value);
}

TEST_F(RulesTest, SecondRegionHalvesTheLinesAndSwitchingOffRestoresThem)
{
    working.D.value = 1;
    apply(Rule::SecondRegion);
    EXPECT_EQ(864, working.N.max);
    EXPECT_EQ(864, working.N.value);
    EXPECT_EQ(864, working.A.max);
    EXPECT_EQ(864, working.B.max);

    working.B.value = 700;
    working.D.value = 0;
    apply(Rule::SecondRegion);
    EXPECT_EQ(1728, working.N.max);
    EXPECT_EQ((Parameter{0, 0, 2}), working.B); // back to the camera's limits and minimum
    EXPECT_EQ(864, working.A.max);
}

TEST_F(RulesTest, CameraLinkModeSetsTheSmallestPrescaler)
{
    struct Case {
        int32_t mode, expectedMode, kMin;
    };
    for (auto c : {Case{0, 0, 2}, Case{1, 1, 1}, Case{2, 0, 2}, Case{3, 3, 1}, Case{4 | 0x10, 0x10, 2},
                   Case{5, 5, 1}, Case{6, 0, 2}, Case{7, 7, 1}}) {
        SCOPED_TRACE(c.mode);
        working.S.value = c.mode;
        working.K.value = 1;
        apply(Rule::CameraLinkMode);
        EXPECT_EQ(c.expectedMode, working.S.value);
        EXPECT_EQ(c.kMin, working.K.min);
        EXPECT_EQ(c.kMin, working.K.value);
    }
}

// Timing mode 3 with two outputs (line 1.5 us, tick 3 us) while the second
// region and the line increment change: every step keeps the regions on the
// sensor and the exposure inside the frame.
TEST_F(RulesTest, FrameTimerModeFollowsRegionAndIncrementChanges)
{
    working.S.value = 1;
    working.M.value = 3;
    working.E.value = 1000;
    working.F.value = 1001;

    working.D.value = 1;
    apply(Rule::SecondRegion);
    EXPECT_EQ(864, working.N.value);
    EXPECT_EQ(864, working.A.max);
    EXPECT_EQ(1000, working.F.min); // exposure + one line: 1000.5 ticks
    EXPECT_EQ(1000, working.E.max); // frame - one line: 1000.5 ticks

    working.I.value = 2;
    apply(Rule::LineIncrement);
    EXPECT_EQ(864, working.N.max);
    EXPECT_EQ(432, working.A.max);
    EXPECT_EQ(432, working.B.max);

    working.N.value = 500;
    working.A.value = 600;
    working.B.value = 600;
    apply(Rule::Lines);
    EXPECT_EQ(614, working.A.max);
    EXPECT_EQ(600, working.A.value);

    working.D.value = 0;
    apply(Rule::SecondRegion);
    EXPECT_EQ(864, working.N.max);
    EXPECT_EQ(364, working.A.max);
    EXPECT_EQ(364, working.A.value); // pulled inside its new maximum
    EXPECT_EQ(0, working.B.value);

    // A short exposure: the readout of N + 3 lines sets the shortest frame.
    working.N.value = 1726;
    working.N.max = 1728;
    working.E.value = 100;
    apply(Rule::Exposure);
    EXPECT_EQ(864, working.F.min); // 1729 lines of 1.5 us in 3 us ticks: 864.5
    EXPECT_EQ(1001, working.F.value);
}

TEST_F(RulesTest, SimpleChecksOfRuleEleven)
{
    working.G.value = 5;
    apply(Rule::Gain);
    EXPECT_EQ(2, working.G.value);
    working.W.value = 300;
    apply(Rule::DarkValue);
    EXPECT_EQ(255, working.W.value);
    for (auto [in, out] : {std::pair{1, 0}, {2, 2}, {3, 3}, {4, 0}, {0, 0}}) {
        working.T.value = in;
        apply(Rule::TriggerSource);
        EXPECT_EQ(out, working.T.value);
    }
    working.J = {0x0B, 0, 2};
    apply(Rule::SyncOutput);
    EXPECT_EQ(0x0A, working.J.value); // source 3 -> 2, invert bit kept
    working.s.value = 0x2F;
    apply(Rule::BaudRate);
    EXPECT_EQ(0x2A, working.s.value); // baud 11 -> 10, the O2 channel bit kept
}

TEST_F(RulesTest, NoRuleAndUnknownRulesChangeNothing)
{
    working.E.value = -5; // out of limits on purpose
    working.I.value = 0;
    const ParameterRecord before = working;
    const auto last = static_cast<uint8_t>(Rule::BaudRate);
    for (uint8_t value : {uint8_t{0}, uint8_t(last + 1), uint8_t{200}, uint8_t{255}}) {
        SCOPED_TRACE(int{value});
        apply(static_cast<Rule>(value));
        EXPECT_EQ(before, working);
    }
}

TEST_F(RulesTest, HostileValuesNeitherTrapNorOverflow)
{
    // Run under the sanitizers: a zero increment, a prescaler of -1, extreme
    // exposures and limits must stay defined.
    working.I = {0, 0, 0};
    working.K = {-1, -5, -1};
    working.E = {INT32_MAX, INT32_MIN, INT32_MAX};
    working.F = {INT32_MIN, INT32_MIN, INT32_MAX};
    working.N = {INT32_MIN, INT32_MIN, INT32_MAX};
    camera.N.max = INT32_MIN;
    working.cameraName = "Sorvel";
    for (int32_t mode : {0, 1, 2, 3}) {
        working.M.value = mode;
        // Twice, so that every rule also meets what all the others left.
        for (int pass = 0; pass < 2; ++pass) {
            for (Rule rule : kAllRules) apply(rule);
        }
    }
    working.D.value = 1;
    apply(Rule::SecondRegion);
    apply(Rule::LineIncrement);
    (void)MakeHeaderTexts(working, false);
    SUCCEED();
}

TEST(TimingTextTest, FrameAndDataRatesWithUnits)
{
    ParameterRecord record;
    SetBuiltInDefaults(record);
    record.cameraName = "Sorvel SX-20B";
    EXPECT_NEAR(193.0129, maxFrameRate(record), 1e-4);
    EXPECT_EQ("193.01 Hz / 193.01 Hz", frameRateText(record));
    EXPECT_EQ("737.08 MiB/s / 737.08 MiB/s", dataRateText(record));
    record.M.value = 1;
    EXPECT_EQ("-.-- Hz / 193.01 Hz", frameRateText(record));
    EXPECT_EQ("-.-- MiB/s / 737.08 MiB/s", dataRateText(record));
    record.M.value = 3;
    record.F.value = 1000;
    EXPECT_EQ("333.33 Hz / 193.01 Hz", frameRateText(record));
    EXPECT_EQ("1.24 GiB/s / 737.08 MiB/s", dataRateText(record));
    record.F.value = 0; // no finite rate: shown as zero, never inf
    EXPECT_EQ("0.00 Hz / 193.01 Hz", frameRateText(record));

    record.S.value = 3;
    record.D.value = 1;
    record.N.value = 500;
    record.M.value = 0;
    EXPECT_EQ("2240x1000", resolutionText(record));
    EXPECT_EQ("666.00 Hz / 666.00 Hz", frameRateText(record));
    EXPECT_EQ("1.39 GiB/s / 1.39 GiB/s", dataRateText(record));
}

TEST(TimingTextTest, UnitBoundaries)
{
    struct Case {
        double value;
        double scaled;
        const char* unit;
    };
    for (auto c : {Case{9999.0, 9999.0, "Hz"}, Case{10000.0, 10.0, "kHz"}, Case{9.999e6, 9999.0, "kHz"},
                   Case{1e7, 10.0, "MHz"}}) {
        SCOPED_TRACE(c.value);
        EXPECT_DOUBLE_EQ(c.scaled, scaleFrameRate(c.value).value);
        EXPECT_EQ(c.unit, scaleFrameRate(c.value).unit);
    }
    const double ki = 1024.0;
    for (auto c : {Case{1023.0, 1023.0, "B/s"}, Case{ki, 1.0, "KiB/s"}, Case{ki * ki, 1.0, "MiB/s"},
                   Case{ki * ki * ki, 1.0, "GiB/s"}, Case{ki * ki * ki * ki * 3, 3.0, "TiB/s"}}) {
        SCOPED_TRACE(c.value);
        EXPECT_DOUBLE_EQ(c.scaled, scaleDataRate(c.value).value);
        EXPECT_EQ(c.unit, scaleDataRate(c.value).unit);
    }
}

TEST(HeaderTextTest, RecognisedUnrecognisedAndError)
{
    ParameterRecord record;
    SetBuiltInDefaults(record);
    record.cameraName = "KL-7700 rev B";
    record.versionText = "1.0.2.7";
    record.serialNumber = 42;
    record.variantCode = 0x4020;
    const HeaderTexts good = MakeHeaderTexts(record, false);
    EXPECT_EQ("KL-7700 rev B", good.cameraName);
    EXPECT_EQ("00042", good.serialNumber);
    EXPECT_EQ("0x4020", good.variantCode);
    EXPECT_EQ("2320x1726", good.resolution);
    EXPECT_TRUE(good.defaultsEnabled);
    EXPECT_FALSE(good.showsError);

    const HeaderTexts error = MakeHeaderTexts(record, true, good);
    EXPECT_EQ("Serial communication error!", error.cameraName);
    EXPECT_EQ(good.frameRate, error.frameRate);
    EXPECT_TRUE(error.showsError);
    EXPECT_FALSE(error.defaultsEnabled);

    record.cameraName = "Other camera";
    const HeaderTexts foreign = MakeHeaderTexts(record, false, good);
    EXPECT_EQ("Cannot connect to Sorvel SX-20 / KL-7700!", foreign.cameraName);
    EXPECT_EQ("", foreign.version);
    EXPECT_EQ("", foreign.frameRate);
    EXPECT_EQ("00042", foreign.serialNumber);
    EXPECT_FALSE(foreign.defaultsEnabled);
}

} // namespace
} // namespace kl7700
