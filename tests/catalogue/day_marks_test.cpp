#include "catalogue/day_marks.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace tramlet {
namespace {

template <size_t N>
std::string Marked(const std::array<bool, N>& marks) {
    std::string out;
    for (size_t i = 0; i < N; ++i) {
        if (marks[i])
            out += std::to_string(i) + " ";
    }
    return out;
}

std::string Range(int from, int to) {
    std::string out;
    for (int i = from; i <= to; ++i)
        out += std::to_string(i) + " ";
    return out;
}

TEST(DayList, KeepsStartOrderAndTheFirstDuration) {
    DayList list;
    EXPECT_EQ(list.AddClip(10, 0, 0, 0, 60)->duration, 60);
    list.AddClip(9, 59, 0, 0, 60);
    list.AddClip(10, 30, 0, 3, 60);
    const DayTime* merged = list.AddClip(10, 0, 0, 2, 58);
    ASSERT_NE(merged, nullptr);
    EXPECT_EQ(merged->duration, 60);
    EXPECT_TRUE(merged->channels[0] && merged->channels[2]);
    EXPECT_EQ(list.AddClip(10, 0, 0, 4, 60), nullptr);
    EXPECT_EQ(list.AddClip(10, 0, 0, -1, 60), nullptr);

    std::vector<int> starts;
    for (const DayTime& r : list)
        starts.push_back(r.StartSecond());
    EXPECT_EQ(starts, (std::vector<int>{35940, 36000, 37800}));
    list.Clear();
    EXPECT_TRUE(list.empty());
}

struct HourCase {
    int hour, minute, second, duration;
    std::string marked;
};

class HourMarksTest : public testing::TestWithParam<HourCase> {};

TEST_P(HourMarksTest, MarksEveryHourTouched) {
    const HourCase& c = GetParam();
    HourMarks marks{};
    MarkHours(DayTime{c.hour, c.minute, c.second, {true}, c.duration}, marks);
    EXPECT_EQ(Marked(marks), c.marked);
}

INSTANTIATE_TEST_SUITE_P(Cases, HourMarksTest,
                         testing::Values(HourCase{10, 59, 0, 60, "10 11 "},  // ends on the hour
                                         HourCase{10, 0, 0, 59, "10 "},
                                         HourCase{23, 50, 0, 1200, "23 "},  // past midnight
                                         HourCase{0, 30, 0, 7200, "0 1 2 "},
                                         // a saturated duration field: the rest of the day
                                         HourCase{22, 0, 0, INT_MAX, "22 23 "}));

struct MomentCase {
    const char* name;
    std::vector<DayTime> records;
    int hour, minute, second;
    std::string minutes, seconds;
};

class MinuteSecondMarksTest : public testing::TestWithParam<MomentCase> {};

TEST_P(MinuteSecondMarksTest, MarksAroundTheMoment) {
    const MomentCase& c = GetParam();
    DayList list;
    for (const DayTime& r : c.records)
        list.AddClip(r.hour, r.minute, r.second, 0, r.duration);
    MinuteMarks minutes;
    SecondMarks seconds;
    minutes.fill(true);
    seconds.fill(true);
    MarkMinutesAndSeconds(list, c.hour, c.minute, c.second, minutes, seconds);
    EXPECT_EQ(Marked(minutes), c.minutes) << c.name;
    EXPECT_EQ(Marked(seconds), c.seconds) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MinuteSecondMarksTest,
    testing::Values(
        MomentCase{"inside", {{10, 29, 50, {}, 60}}, 10, 30, 15, "29 30 ", Range(0, 49)},
        MomentCase{"from the previous hour", {{10, 59, 30, {}, 60}}, 11, 0, 10, "0 ", Range(0, 29)},
        MomentCase{"start minute", {{10, 29, 50, {}, 60}}, 10, 29, 55, "29 30 ", Range(50, 59)},
        MomentCase{"other minute of the hour", {{10, 5, 0, {}, 60}}, 10, 30, 0, "5 ", ""},
        MomentCase{"another hour", {{10, 5, 0, {}, 60}}, 12, 5, 0, "", ""},
        MomentCase{"spanning hours", {{9, 0, 0, {}, 10800}}, 10, 30, 0, Range(0, 59), Range(0, 59)},
        MomentCase{"two records",
                   {{10, 0, 0, {}, 30}, {10, 0, 40, {}, 10}},
                   10,
                   0,
                   5,
                   "0 ",
                   Range(0, 29) + Range(40, 49)},
        MomentCase{"end of day", {{23, 59, 50, {}, 60}}, 23, 59, 55, "59 ", Range(50, 59)},
        MomentCase{"saturated duration",
                   {{23, 30, 0, {}, INT_MAX}},
                   23,
                   59,
                   0,
                   Range(30, 59),
                   Range(0, 59)}));

}  // namespace
}  // namespace tramlet
