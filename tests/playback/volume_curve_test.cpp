#include "playback/volume_curve.h"

#include <gtest/gtest.h>

#include "playback/player.h"

namespace tramlet {
namespace {

TEST(VolumeCurve, DecibelsFollowMpvsCubicCurveBothWays) {
    EXPECT_DOUBLE_EQ(MpvVolumeFromHundredths(0), 100.0);
    // -6 dB is half the amplitude: (v/100)^3 = 0.501.
    EXPECT_NEAR(MpvVolumeFromHundredths(-600), 79.43, 0.01);
    EXPECT_EQ(MpvVolumeFromHundredths(kSilentVolume), 0.0);
    EXPECT_EQ(MpvVolumeFromHundredths(500), 100.0);
    for (int hundredths : {0, -1, -600, -2500, -9999})
        EXPECT_EQ(HundredthsFromMpvVolume(MpvVolumeFromHundredths(hundredths)), hundredths);
    EXPECT_EQ(HundredthsFromMpvVolume(0.0), kSilentVolume);
    EXPECT_EQ(HundredthsFromMpvVolume(130.0), 0);
}

}  // namespace
}  // namespace tramlet
