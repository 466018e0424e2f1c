// tramlet-library find on a track whose passes are known, in SQLite and in
// PostgreSQL, and the pieces that make passes out of fixes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numbers>

#include "library/library_find.h"
#include "library/search_box.h"
#include "library_checks.h"
#include "support/temp_dir.h"

namespace tramlet::library::test {
namespace {

// Ten metres of latitude, in degrees: the track's speed per second.
const double kStep = 10.0 / kEarthRadiusMetres * 180 / std::numbers::pi;
constexpr double kStartLatitude = 37.5;

std::string Line(int secondOfDay, double latitude, double longitude) {
    char line[96];
    std::snprintf(line, sizeof line, "%02d%02d%02d %.6f %.6f 36.0 0.0\r\n", secondOfDay / 3600,
                  secondOfDay / 60 % 60, secondOfDay % 60, latitude, longitude);
    return line;
}

// Due north along 127°E at 10 m/s for ten minutes from 10:00:00, and back
// south from 11:00:00; 600 s after the start it is 6 km on.
std::string TrackLog() {
    std::string log;
    for (int s = 0; s <= 600; ++s)
        log += Line(36000 + s, kStartLatitude + s * kStep, 127.0);
    for (int s = 0; s <= 600; ++s)
        log += Line(39600 + s, kStartLatitude + (600 - s) * kStep, 127.0);
    return log;
}

class FindTest : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        if (GetParam()) {
            std::string why;
            database_ = NewPostgresDatabase(&why);
            if (database_.empty())
                GTEST_SKIP() << why;
        }
        dir_.Write("bus/gps/20240501.gps", TrackLog());
        dir_.Write("bus/video/20240501-100430-1-60.avi", "a clip");
        dir_.Write("bus/video/20240501-100430-2-60.avi", "its second channel");
        dir_.Write("taxi/gps/20240501.gps", Line(36300, 35.1, 129.0));
        dir_.Write("taxi/video/20240501-100500-1-30.avi", "far away");
        for (const char* vehicle : {"bus", "taxi"}) {
            const ToolRun run =
                Find({"ingest", "-q", "--vehicle", vehicle, (dir_.Path() / vehicle).string()});
            ASSERT_EQ(run.status, 0) << run.out << run.err;
        }
    }
    ToolRun Find(std::vector<std::string> args) {
        if (!database_.empty())
            args.insert(args.begin() + 1, {"--database", database_});
        args.push_back(library_);
        return RunLibrary(args);
    }

    tramlet::test::TempDir dir_;
    std::string library_ = (dir_.Path() / "library").string();
    std::string database_;
};

TEST_P(FindTest, FindsEachPassWithTheRecordingThatCoversIt) {
    char centre[64];
    std::snprintf(centre, sizeof centre, "%.8f,127", kStartLatitude + 300 * kStep);
    struct Case {
        std::vector<std::string> options;
        std::vector<std::string> passes;  // vehicle first last closest recording
    };
    const std::string first = "bus 2024-05-01 10:04:55 2024-05-01 10:05:05 2024-05-01 10:05:00 ";
    const std::string second = "bus 2024-05-01 11:04:55 2024-05-01 11:05:05 2024-05-01 11:05:00 ";
    const Case cases[] = {
        // 55 m: the seconds 5 before and after the closest are 50 m away.
        {{"--radius", "55"}, {first + "20240501-100430 12", second + "none"}},
        {{"--radius", "55", "--from", "2024-05-01 10:30"}, {second + "none"}},
        {{"--radius", "55", "--to", "20240501-110454"}, {first + "20240501-100430 12"}},
        {{"--radius", "55", "--vehicle", "taxi"}, {}},
        {{"--radius", "4"},
         {"bus 2024-05-01 10:05:00 2024-05-01 10:05:00 2024-05-01 10:05:00 "
          "20240501-100430 12",
          "bus 2024-05-01 11:05:00 2024-05-01 11:05:00 2024-05-01 11:05:00 none"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"find", "--json", "--near", centre};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const ToolRun run = Find(args);
        ASSERT_EQ(run.status, 0) << run.err;
        std::vector<std::string> passes;
        for (const auto& p : run.json["passes"]) {
            const auto& r = p["recording"];
            passes.push_back(
                p["vehicle"].get<std::string>() + " " + p["first"].get<std::string>() + " " +
                p["last"].get<std::string>() + " " + p["closest_at"].get<std::string>() + " " +
                (r.is_null()
                     ? "none"
                     : r["start"].get<std::string>() + " " + r["channels"].get<std::string>()));
            EXPECT_LT(p["closest_metres"].get<double>(), 0.2);
        }
        EXPECT_EQ(passes, c.passes) << ::testing::PrintToString(c.options);
    }
}

TEST_P(FindTest, ListsRecordingsAsTheCardListingDoes) {
    const ToolRun run =
        Find({"find", "--vehicle", "bus", "--from", "2024-05-01", "--to", "2024-05-01"});
    ASSERT_EQ(run.status, 0) << run.err;
    char fix[64];
    std::snprintf(fix, sizeof fix, "%.6f %.6f", kStartLatitude + 270 * kStep, 127.0);
    EXPECT_EQ(run.out,
              "bus\n"
              "2024-05-01  1 recordings, 0 unfinished clips, GPS fixes: 1202\n"
              "  10:04:30    60 s  channels 12    at " +
                  std::string(fix) + "\n");
    EXPECT_EQ(Find({"find", "-q", "--from", "2024-05-02"}).out, "");
}

INSTANTIATE_TEST_SUITE_P(Index, FindTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "PostgreSQL" : "SQLite"; });

TEST(PassTest, AMissingSecondOrAnotherVehicleEndsAPass) {
    // In the order an index may give them.
    const std::vector<FixNear> near = {
        {"b", 106, 2}, {"a", 101, 3}, {"a", 100, 9},  // "a" 100-102: one pass, closest at 101
        {"a", 104, 7},                                // a second missing before it
        {"b", 105, 1}, {"a", 102, 5},                 // another vehicle
    };
    std::vector<std::string> passes;
    for (const Pass& p : GroupPasses(near)) {
        passes.push_back(p.vehicle + " " + std::to_string(p.first) + "-" + std::to_string(p.last) +
                         " " + std::to_string(p.closestAt));
    }
    EXPECT_EQ(passes,
              (std::vector<std::string>{"a 100-102 101", "a 104-104 104", "b 105-106 105"}));
}

// Points within the radius lie inside the search box, across the 180th
// meridian and near the poles too.
TEST(PassTest, TheSearchBoxHoldsEveryPointWithinTheRadius) {
    struct Case {
        double latitude, longitude, pointLatitude, pointLongitude;
    };
    const Case cases[] = {
        {37.5, 127.0, 37.5, 127.0011},                                        // ~97 m east
        {0.0, 179.9995, 0.0, -179.9995},                                      // across the meridian
        {-16.0, -179.9999, -16.0, 179.9995}, {89.9995, 0.0, 89.9995, 180.0},  // over the pole
        {60.0, 10.0, 60.0008, 10.0016},
    };
    for (const Case& c : cases) {
        const double metres =
            GreatCircleMetres(c.latitude, c.longitude, c.pointLatitude, c.pointLongitude);
        ASSERT_LT(metres, 200) << c.latitude << "," << c.longitude;
        const SearchBox box = BoxAround(c.latitude, c.longitude, 200);
        bool inside = false;
        for (const LongitudeRange& r : box.longitudes)
            inside |= c.pointLongitude >= r.west && c.pointLongitude <= r.east;
        EXPECT_TRUE(inside && c.pointLatitude >= box.south && c.pointLatitude <= box.north)
            << c.latitude << "," << c.longitude << " -> " << c.pointLatitude << ","
            << c.pointLongitude;
    }
}

}  // namespace
}  // namespace tramlet::library::test
