#include "playback/time_selection.h"

#include <gtest/gtest.h>

#include <climits>

#include "playback/player.h"

namespace tramlet {
namespace {

TEST(TimeSelection, TimelineIsTheShareOfTheRecordingBeforeTheMoment) {
    struct Case {
        int t, start, duration, expected;
    };
    for (const Case& c :
         {Case{36050, 36000, 100, 50}, Case{36033, 36000, 100, 33}, Case{35990, 36000, 100, 0},
          Case{36200, 36000, 100, 100}, Case{36050, 36000, 0, 0}}) {
        EXPECT_EQ(TimelinePosition(c.t, c.start, c.duration), c.expected) << c.t;
    }
}

TEST(TimeSelection, PositionsTurnIntoMomentsWithinTheDay) {
    EXPECT_EQ(MomentAt(36000, 15 * kMediaTimePerSecond + 9'999'999), (Moment{10, 0, 15}));
    EXPECT_EQ(MomentAt(0, -kMediaTimePerSecond), (Moment{0, 0, 0}));
    EXPECT_EQ(MomentAt(86399, 5 * kMediaTimePerSecond), (Moment{23, 59, 59}));
    EXPECT_EQ(MediaOffset(36030, 36000), 30 * kMediaTimePerSecond);
}

TEST(TimeSelection, StampsReadBackOrNotAtAll) {
    const auto fields = ParseStartStamp("20240309-100500");
    ASSERT_TRUE(fields);
    EXPECT_EQ(fields->date, (CalendarDate{2024, 3, 9}));
    EXPECT_EQ(fields->start, (Moment{10, 5, 0}));
    for (const char* bad : {"", "2024", "20240309", "20240309-1005ab", "20240309-100500x"})
        EXPECT_FALSE(ParseStartStamp(bad)) << bad;
    EXPECT_EQ(TimeText({2024, 3, 9}, {7, 5, 3}), "2024-03-09 07:05:03");
}

TEST(TimeSelection, RecordsAreFoundByCoverAndByStart) {
    DayList days;
    days.AddClip(10, 0, 0, 0, 120);
    days.AddClip(10, 1, 0, 0, 60);
    days.AddClip(10, 5, 0, 0, 60);
    EXPECT_EQ(FindCoveringRecord(days, 36090)->minute, 0);
    EXPECT_EQ(FindCoveringRecord(days, 36000 + 119)->minute, 0);
    EXPECT_EQ(FindCoveringRecord(days, 36000 + 300)->minute, 5);
    EXPECT_EQ(FindCoveringRecord(days, 36000 + 120), nullptr);
    EXPECT_EQ(FindRecordStartingAt(days, {10, 5, 0})->minute, 5);
    EXPECT_EQ(FindRecordStartingAt(days, {10, 5, 1}), nullptr);
    EXPECT_EQ(FindRecordAfter(days, {10, 1, 0})->minute, 5);
    EXPECT_EQ(FindRecordAfter(days, {10, 5, 0}), nullptr);
    EXPECT_EQ(FindRecordAfter(days, {11, 0, 0}), nullptr);
    days.AddClip(23, 0, 0, 0, INT_MAX);  // the name's duration field saturated
    EXPECT_EQ(FindCoveringRecord(days, 86399)->hour, 23);
}

}  // namespace
}  // namespace tramlet
