#include "map/day_track.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace tramlet {
namespace {

class DayTrackTest : public testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        if (!std::setlocale(LC_NUMERIC, GetParam()))
            GTEST_SKIP() << "no " << GetParam();
    }
    void TearDown() override { std::setlocale(LC_NUMERIC, "C"); }
};

TEST_P(DayTrackTest, OnePointPerRecordingWithOrWithoutAFix) {
    DayList days;
    days.AddClip(15, 30, 0, 0, 60);
    days.AddClip(14, 22, 33, 0, 60);
    days.AddClip(14, 22, 33, 1, 60);
    GpsTable gps;
    gps.LoadGpsText("142240 37.5665 126.978 3 4\n");
    EXPECT_EQ(BuildDayTrack(days, gps),
              "\t142233\t37.566500\t126.978000\t153000\t0.000000\t0.000000");
    EXPECT_EQ(BuildDayTrack(DayList{}, gps), "");
}

// The map page reads a point as the decimal separator whatever the user's locale.
INSTANTIATE_TEST_SUITE_P(Locales, DayTrackTest, testing::Values("C", "de_DE.UTF-8"));

}  // namespace
}  // namespace tramlet
