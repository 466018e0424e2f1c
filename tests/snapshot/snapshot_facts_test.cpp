#include "snapshot/snapshot_facts.h"

#include <gtest/gtest.h>

#include <optional>

#include "gps/gps_table.h"

namespace tramlet {
namespace {

constexpr int kAt142240 = 14 * 3600 + 22 * 60 + 40;
constexpr int kAt142233 = 14 * 3600 + 22 * 60 + 33;

struct FactsCase {
    const char* what;
    CalendarDate date;
    std::optional<int> recordingStart;
    const char* gpsLog;
    const char* dateTime;
    const char* fileName;  // the name the save dialog suggests
    const char* description;
    std::optional<GpsPosition> position;
};

void PrintTo(const FactsCase& c, std::ostream* os) {
    *os << c.what;
}

class SnapshotFactsTest : public testing::TestWithParam<FactsCase> {};

TEST_P(SnapshotFactsTest, TakesTheMomentTheRecordingAndItsFix) {
    const FactsCase& c = GetParam();
    GpsTable gps;
    gps.LoadGpsText(c.gpsLog);
    const SnapshotFacts facts = CollectSnapshotFacts(c.date, kAt142240, c.recordingStart, gps);
    EXPECT_EQ(facts.dateTime, c.dateTime);
    EXPECT_EQ(SnapshotFileName(facts), c.fileName);
    EXPECT_EQ(facts.description, c.description);
    ASSERT_EQ(facts.position.has_value(), c.position.has_value());
    if (c.position) {
        EXPECT_DOUBLE_EQ(facts.position->latitude, c.position->latitude);
        EXPECT_DOUBLE_EQ(facts.position->longitude, c.position->longitude);
    }
}

const CalendarDate kDay{2012, 3, 5};
const char* const kName = "Tramlet-20120305-142240.jpg";

INSTANTIATE_TEST_SUITE_P(
    Cases, SnapshotFactsTest,
    testing::Values(
        FactsCase{"fix at the moment", kDay, kAt142233, "142240 37.5665 126.978 30 90\n",
                  "2012:03:05 14:22:40", kName, "20120305-142233", GpsPosition{37.5665, 126.978}},
        FactsCase{"fix a little later", kDay, kAt142233, "142300 -33.8688 -151.2093 0 0\n",
                  "2012:03:05 14:22:40", kName, "20120305-142233",
                  GpsPosition{-33.8688, -151.2093}},
        FactsCase{"fix only before the moment", kDay, kAt142233, "142239 37.5 127 0 0\n",
                  "2012:03:05 14:22:40", kName, "20120305-142233", std::nullopt},
        FactsCase{"the recorder's no-fix line", kDay, kAt142233, "142240 0 0 0 0\n",
                  "2012:03:05 14:22:40", kName, "20120305-142233", std::nullopt},
        FactsCase{"no recording open", kDay, std::nullopt, "", "2012:03:05 14:22:40", kName, "",
                  std::nullopt},
        FactsCase{
            "no day loaded", {}, std::nullopt, "142240 37.5 127 0 0\n", "", "", "", std::nullopt}));

}  // namespace
}  // namespace tramlet
