// A check that Wine is known to answer differently from Windows: under Wine
// it is expected to fail (the failure is logged, the test passes), and once
// it passes there the difference is gone and the test fails, so that the
// marker is removed. On Windows the check must pass as any other.
#pragma once

#include <gtest/gtest.h>

#include <string_view>

// True in a process run by Wine.
bool RunningOnWine();

// The outcome of a check marked as a known Wine difference.
::testing::AssertionResult KnownWineDifference(const ::testing::AssertionResult& check, std::string_view difference,
                                               bool onWine = RunningOnWine());
inline ::testing::AssertionResult KnownWineDifference(bool passed, std::string_view difference,
                                                      bool onWine = RunningOnWine())
{
    return KnownWineDifference(passed ? ::testing::AssertionSuccess() : ::testing::AssertionFailure(), difference,
                               onWine);
}

// EXPECT_WINE_DIFFERENCE(SequenceMatches(...), "Wine sends no WM_NCPAINT here");
#define EXPECT_WINE_DIFFERENCE(check, difference) EXPECT_TRUE(KnownWineDifference((check), (difference)))
