#include "backup/backup_plan.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "common/local_moment.h"
#include "support/temp_dir.h"

namespace tramlet {
namespace {

std::vector<std::string> Destinations(const std::vector<BackupItem>& plan) {
    std::vector<std::string> out;
    for (const BackupItem& item : plan)
        out.push_back(item.relativeDestination);
    return out;
}

struct PeriodCase {
    const char* clip;
    bool selected;
};

void PrintTo(const PeriodCase& c, std::ostream* os) {
    *os << c.clip;
}

class PeriodTest : public testing::TestWithParam<PeriodCase> {};

// The period 2012-03-05 14:00:00 to 14:30:00, both bounds inclusive.
TEST_P(PeriodTest, SelectsClipsStartingOrEndingInThePeriod) {
    test::TempDir card;
    card.Write(std::string("video/") + GetParam().clip, "x");
    const auto plan = PlanPeriod(DataRootPath(card.Root()), *LocalMoment(2012, 3, 5, 14, 0, 0),
                                 *LocalMoment(2012, 3, 5, 14, 30, 0));
    if (GetParam().selected) {
        EXPECT_EQ(Destinations(plan),
                  (std::vector<std::string>{"gps/20120305.gps",
                                            std::string("video/") + GetParam().clip}));
        EXPECT_TRUE(plan[0].mayBeMissing);
        EXPECT_FALSE(plan[1].mayBeMissing);
        EXPECT_EQ(plan[1].source, card.Root() + "video/" + GetParam().clip);
    } else {
        EXPECT_TRUE(plan.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Clips, PeriodTest,
                         testing::Values(PeriodCase{"20120305-135930-1-60.avi", true},
                                         PeriodCase{"20120305-135930-1-29.avi", false},
                                         PeriodCase{"20120305-143000-2-60.avi", true},
                                         PeriodCase{"20120305-143001-2-60.avi", false},
                                         PeriodCase{"20120305-140000-1-0.avi", true},
                                         PeriodCase{"20120305-130000-1-7200.avi", false},
                                         PeriodCase{"20120304-140000-1-60.avi", false},
                                         // Fields that are no date and time are skipped.
                                         PeriodCase{"20121305-140000-1-60.avi", false},
                                         PeriodCase{"20120305-146000-1-60.avi", false},
                                         PeriodCase{"x-y-z-w.avi", false}));

TEST(BackupPlan, APeriodGoesOnPastNamesThatAreNoDate) {
    test::TempDir card;
    card.Write("video/20120305-250000-1-60.avi", "x");
    card.Write("video/20120305-140000-1-60.avi", "x");
    const auto plan = PlanPeriod(DataRootPath(card.Root()), *LocalMoment(2012, 3, 5, 0, 0, 0),
                                 *LocalMoment(2012, 3, 5, 23, 59, 59));
    EXPECT_EQ(Destinations(plan),
              (std::vector<std::string>{"gps/20120305.gps", "video/20120305-140000-1-60.avi"}));
}

TEST(BackupPlan, EachDaysLogIsListedOnceBeforeItsClips) {
    test::TempDir card;
    for (const char* clip :
         {"20120305-100000-1-60.avi", "20120305-100000-2-60.avi", "20120306-100000-1-60.avi"}) {
        card.Write(std::string("video/") + clip, "x");
    }
    const auto plan = PlanPeriod(DataRootPath(card.Root()), *LocalMoment(2012, 3, 1, 0, 0, 0),
                                 *LocalMoment(2012, 3, 31, 0, 0, 0));
    const auto destinations = Destinations(plan);
    ASSERT_EQ(destinations.size(), 5u);
    auto index = [&](const std::string& d) {
        return std::find(destinations.begin(), destinations.end(), d) - destinations.begin();
    };
    EXPECT_LT(index("gps/20120305.gps"), index("video/20120305-100000-1-60.avi"));
    EXPECT_LT(index("gps/20120305.gps"), index("video/20120305-100000-2-60.avi"));
    EXPECT_LT(index("gps/20120306.gps"), index("video/20120306-100000-1-60.avi"));
}

TEST(BackupPlan, CurrentRecordingTakesEveryChannelAndTheDaysLog) {
    test::TempDir card;
    for (const char* clip :
         {"20120305-142233-1-60.avi", "20120305-142233-3-59.avi", "20120305-142234-1-60.avi"}) {
        card.Write(std::string("video/") + clip, "x");
    }
    auto destinations =
        Destinations(PlanCurrentRecording(DataRootPath(card.Root()), 2012, 3, 5, 14, 22, 33));
    ASSERT_EQ(destinations.size(), 3u);
    EXPECT_EQ(destinations[0], "gps/20120305.gps");
    std::sort(destinations.begin() + 1, destinations.end());
    EXPECT_EQ(destinations[1], "video/20120305-142233-1-60.avi");
    EXPECT_EQ(destinations[2], "video/20120305-142233-3-59.avi");

    // With no day loaded there is nothing but a log that does not exist.
    EXPECT_EQ(Destinations(PlanCurrentRecording(DataRootPath(card.Root()), 0, 0, 0, 0, 0, 0)),
              std::vector<std::string>{"gps/00000000.gps"});
}

TEST(LocalMoment, RejectsFieldsThatAreNoDateAndTime) {
    EXPECT_TRUE(LocalMoment(1900, 1, 1, 0, 0, 0).has_value());
    EXPECT_FALSE(LocalMoment(1899, 12, 31, 0, 0, 0).has_value());
    EXPECT_FALSE(LocalMoment(2012, 0, 5, 0, 0, 0).has_value());
    EXPECT_FALSE(LocalMoment(2012, 3, 32, 0, 0, 0).has_value());
    EXPECT_FALSE(LocalMoment(2012, 3, 5, 24, 0, 0).has_value());
    EXPECT_FALSE(LocalMoment(2012, 3, 5, 0, 60, 0).has_value());
    EXPECT_FALSE(LocalMoment(2012, 3, 5, 0, 0, 60).has_value());
    EXPECT_EQ(*LocalMoment(2012, 3, 5, 14, 0, 1) - *LocalMoment(2012, 3, 5, 14, 0, 0), 1);
}

}  // namespace
}  // namespace tramlet
