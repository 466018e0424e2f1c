// The day's route for the map page: thinned out within a known bound,
// never losing a recording's ends, and readable in any locale.
#include "map/track_message.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <limits>
#include <sstream>

#include "map/route_lookup.h"
#include "map/track_decimation.h"
#include "support/straight_road.h"

namespace tramlet {
namespace {

// A day of driving: one fix a second along a winding road.
std::vector<TrackFix> WindingDay(int seconds) {
    std::vector<TrackFix> fixes;
    for (int s = 0; s < seconds; ++s) {
        const double t = s / 600.0;
        fixes.push_back({s, 37.5 + 0.05 * std::sin(t) + 0.002 * std::sin(7 * t),
                         127.0 + 0.0002 * s / 60 + 0.01 * std::cos(3 * t), 40 + 30 * std::sin(t)});
    }
    return fixes;
}

// A car parked all day with the recorder on: the same fix every second.
std::vector<TrackFix> ParkedDay(int seconds) {
    std::vector<TrackFix> fixes;
    for (int s = 0; s < seconds; ++s)
        fixes.push_back({s, 37.5665, 126.978, 0});
    return fixes;
}

// Between every two marked fixes of a road, one no double can measure from
// it: its distance overflows, and must not count as a fix that must stay.
std::vector<TrackFix> FarOffDay(int seconds) {
    std::vector<TrackFix> fixes;
    for (int s = 0; s < seconds; ++s)
        fixes.push_back({s, s % 4 == 2 ? 1e304 : 37.5 + s * 1e-5, 127.0 + s * 1e-4, 50});
    return fixes;
}

// Whatever the day, the route keeps the marked fixes and the ends, holds no
// more than the budget, measures no more than its work bound, and leaves no
// dropped fix farther off its line than the tolerance.
TEST(DecimateTrack, KeepsTheMarkedFixesAndTheBoundWithinTheBudgetAndTheWork) {
    const struct {
        const char* day;
        std::vector<TrackFix> fixes;
        size_t markEvery;  // besides four marked fixes
        size_t atLeast;    // kept fixes: a winding road uses its budget
    } cases[] = {
        {"winding", WindingDay(GpsTable::kSecondsPerDay), 0, kMaxTrackPoints / 2},
        {"parked", ParkedDay(GpsTable::kSecondsPerDay), 0, 0},
        {"far off", FarOffDay(3 * kMaxTrackPoints), 4, 0},
    };
    for (const auto& [day, fixes, markEvery, atLeast] : cases) {
        SCOPED_TRACE(day);
        std::vector<bool> keep(fixes.size(), false);
        for (size_t i = 0; markEvery && i < fixes.size(); i += markEvery)
            keep[i] = true;
        for (const size_t marked : {size_t{1000}, size_t{1001}, size_t{5000}, fixes.size() - 2})
            keep[marked] = true;
        const DecimatedTrack track = DecimateTrack(fixes, keep, kMaxTrackPoints);
        EXPECT_LE(track.kept.size(), kMaxTrackPoints);
        EXPECT_GE(track.kept.size(), atLeast);
        EXPECT_LE(track.work, DecimationWorkBound(fixes.size()));
        for (size_t i = 0; i < keep.size(); ++i) {
            if (keep[i]) {
                EXPECT_TRUE(std::binary_search(track.kept.begin(), track.kept.end(), i)) << i;
            }
        }
        EXPECT_EQ(track.kept.front(), 0u);
        EXPECT_EQ(track.kept.back(), fixes.size() - 1);
        for (size_t k = 1; k < track.kept.size(); ++k) {
            const TrackFix &a = fixes[track.kept[k - 1]], &b = fixes[track.kept[k]];
            for (size_t j = track.kept[k - 1] + 1; j < track.kept[k]; ++j) {
                // No double measures how far off a fix lies beyond that.
                const double off = DistanceToSegment(fixes[j], a, b);
                if (off <= std::numeric_limits<double>::max()) {
                    ASSERT_LE(off, track.tolerance) << "fix " << j;
                }
            }
        }
    }
}

TEST(TrackMessage, HoldsTheRecordingsEndsAndBreaksAtGapsInTheCLocale) {
    // Fixes from 10:00:00 to 10:01:39 on a straight road, none for 30 s,
    // then 10:02:10 to 10:02:59; recordings 10:00:20-10:00:49 and 10:02:30-.
    std::ostringstream log;
    for (int s = 36000; s < 36180; ++s) {
        if (s >= 36100 && s < 36130)
            continue;
        char line[96];
        std::snprintf(line, sizeof line, "%02d%02d%02d %.6f %.6f 36.5 90\n", s / 3600, s / 60 % 60,
                      s % 60, 37.5, 127.0 + (s - 36000) * 0.0001);
        log << line;
    }
    GpsTable gps;
    gps.LoadGpsText(log.str());
    DayList recordings;
    recordings.AddClip(10, 0, 20, 0, 30);
    recordings.AddClip(10, 2, 30, 0, 600);

    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    const bool comma = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    const std::string message = BuildTrackMessage({2026, 12, 2}, recordings, gps);
    std::setlocale(LC_NUMERIC, saved.c_str());
    if (!comma)
        GTEST_SKIP() << "no de_DE locale";

    // A straight road keeps its ends, those of each recording and of the gap.
    EXPECT_EQ(message,
              "4\t20261202"
              "\t100000\t37.500000\t127.000000\t36.500000"
              "\t100020\t37.500000\t127.002000\t36.500000"
              "\t100049\t37.500000\t127.004900\t36.500000"
              "\t100139\t37.500000\t127.009900\t36.500000"
              "\t100140\t0.000000\t0.000000\t0.000000"
              "\t100210\t37.500000\t127.013000\t36.500000"
              "\t100230\t37.500000\t127.015000\t36.500000"
              "\t100259\t37.500000\t127.017900\t36.500000");
}

// The route of a straight road keeps its two stopped ends only: what the page
// shows between them, speeds and seconds, comes from the whole day.
TEST(RouteLookup, AStraightFastRoadKeepsItsSpeedsAndEverySecond) {
    using namespace test;
    GpsTable gps;
    gps.LoadGpsText(StraightFastRoadLog());
    EXPECT_EQ(BuildTrackMessage({2026, 12, 7}, DayList(), gps),
              "4\t20261207\t100000\t37.500000\t127.000000\t0.000000"
              "\t100140\t37.500000\t127.015000\t0.000000");
    EXPECT_NEAR(std::stod(MeanSpeedsText(gps, {kRoadStart, kRoadEnd})), 54.0 * 99 / 101, 1.5);
    EXPECT_EQ(MeanSpeedsText(gps, {0, 100, 200}), "\t");  // no fixes there
    // 11 m north of the road, and 11 km.
    EXPECT_EQ(NearestFixSecond(gps, 37.5001, RoadLongitude(36050), 30), 36050);
    EXPECT_EQ(NearestFixSecond(gps, 37.6, RoadLongitude(36050), 30), std::nullopt);
    EXPECT_EQ(FixText(gps, 36050).substr(0, 27), "100050\t37.500000\t127.007500");
}

// The times come from the page: anything but six digits of a second is refused.
TEST(RouteLookup, TrackTimesAreSecondsOfTheDayOrNothing) {
    const struct {
        const char* text;
        std::optional<std::vector<int>> seconds;
    } cases[] = {
        {"100000\t100140\t235959", std::vector<int>{36000, 36100, 86399}},
        {"", std::vector<int>{}},
        {"10000", std::nullopt},
        {"240000", std::nullopt},
        {"106000", std::nullopt},
        {"10000a", std::nullopt},
        {"100000\t\t100140", std::nullopt},
        {"100000 100140", std::nullopt},
    };
    for (const auto& [text, seconds] : cases)
        EXPECT_EQ(ParseTrackTimes(text), seconds) << text;
}

}  // namespace
}  // namespace tramlet
