#include "playback/drift_control.h"

#include <gtest/gtest.h>

#include "playback/player.h"

namespace tramlet {
namespace {

TEST(DriftControl, NudgesSmallDriftAndSeeksLargeDrift) {
    const std::int64_t frame = kMediaTimePerSecond / 30;
    EXPECT_EQ(CorrectDrift(0, frame / 2, 1.0, frame).rateFactor, 1.0);
    const DriftCorrection ahead = CorrectDrift(0, 2 * frame, 1.0, frame);
    EXPECT_LT(ahead.rateFactor, 1.0);
    EXPECT_GE(ahead.rateFactor, 0.9);
    EXPECT_FALSE(ahead.seekTo);
    EXPECT_GT(CorrectDrift(10 * frame, 0, 8.0, frame).rateFactor, 1.0);
    const DriftCorrection far = CorrectDrift(50 * frame, 0, 1.0, frame);
    EXPECT_EQ(far.seekTo, 50 * frame);
}

}  // namespace
}  // namespace tramlet
