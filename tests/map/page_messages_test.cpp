#include "map/page_messages.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>

#include "gps/coordinate_text.h"

namespace tramlet {
namespace {

class PageMessagesTest : public testing::Test {
  protected:
    PageMessagesTest() : messages({[this] { return playing; }, [this] { return openStamp; }}) {
        gps.LoadGpsText("142233 37.566500 126.978000 45 180\n");
    }

    GpsTable gps;
    bool playing = false;
    std::string openStamp;
    PageMessages messages;
};

TEST_F(PageMessagesTest, NothingWaitingAnswersWhatThePageAsksFor) {
    EXPECT_EQ(messages.GetPageMessage(0), "0");
    EXPECT_EQ(messages.GetPageMessage(2), "");
    EXPECT_EQ(messages.GetPageMessage(3), "");
    EXPECT_EQ(messages.GetPageMessage(4), "4\t");  // no route, but never an empty day
    EXPECT_EQ(messages.GetPageMessage(5), "0");
    messages.SetClipMessage("20120305-142233");
    EXPECT_EQ(messages.GetPageMessage(0), "3\t20120305-142233");
    EXPECT_EQ(messages.GetPageMessage(3), "3\t20120305-142233");
    EXPECT_EQ(messages.GetPageMessage(0), "0");
}

TEST_F(PageMessagesTest, DayThenClipThenPosition) {
    openStamp = "20120305-142233";
    messages.SetDayMessage("1\t20120305\t142233\t37.566500\t126.978000", true);
    messages.BuildPositionMessage(gps, 14, 22, 33);
    EXPECT_EQ(messages.GetPageMessage(0), "1\t20120305\t142233\t37.566500\t126.978000");
    EXPECT_EQ(messages.GetPageMessage(0), "3\t20120305-142233");
    EXPECT_EQ(messages.GetPageMessage(0), "2\t37.566500\t126.978000\t45.000000");
    EXPECT_EQ(messages.GetPageMessage(0), "0");
}

// A reloaded page gets the day again, even while playing, and then what is
// open, which may not be the day's first recording; or that nothing is.
// The old page's last polls, after the reload began, leave the day to the
// new one.
TEST_F(PageMessagesTest, EveryHandOverOfTheDayIsFollowedByWhatIsOpen) {
    const std::string day = "1\t20120305\t142233\t37.566500\t126.978000\t150000\t0\t0";
    messages.SetDayMessage(day, false);
    EXPECT_EQ(messages.GetPageMessage(1), day);
    EXPECT_EQ(messages.GetPageMessage(0), "3\t");
    openStamp = "20120305-150000";
    playing = true;
    EXPECT_EQ(messages.GetPageMessage(1), messages.PositionMessage());
    for (const int oldPagesLastPoll : {-1, 0, 4}) {
        messages.RequeueDayMessage();
        if (oldPagesLastPoll >= 0) {
            EXPECT_NE(messages.GetPageMessage(oldPagesLastPoll), day);
        }
        EXPECT_EQ(messages.GetPageMessage(1), day);
        EXPECT_EQ(messages.GetPageMessage(1), "3\t20120305-150000");
    }
}

TEST_F(PageMessagesTest, TheDayWaitsUntilAskedForAndIsEmptiedWhenTheCardGoes) {
    messages.SetDayMessage("1\t20120305", false);
    EXPECT_EQ(messages.GetPageMessage(0), "0");  // not pending: only asked for
    EXPECT_EQ(messages.GetPageMessage(1), "1\t20120305");
    messages.ClearDayMessage();
    EXPECT_EQ(messages.GetPageMessage(0), "");
    messages.ClearPositionMessage();
    EXPECT_EQ(messages.GetPageMessage(3), "3\t");
    EXPECT_EQ(messages.GetPageMessage(0), "2\t0.000000\t0.000000\t0.000000");
}

TEST_F(PageMessagesTest, PlayingRepeatsThePositionAtEveryPoll) {
    messages.BuildPositionMessage(gps, 14, 22, 33);
    playing = true;
    for (int poll = 0; poll < 3; ++poll) {
        EXPECT_EQ(messages.GetPageMessage(0), "2\t37.566500\t126.978000\t45.000000");
    }
    playing = false;
    EXPECT_EQ(messages.GetPageMessage(0), "0");
}

TEST_F(PageMessagesTest, APositionWithoutAFixIsZeros) {
    messages.BuildPositionMessage(gps, 15, 0, 0);
    EXPECT_EQ(messages.GetPageMessage(0), "2\t0.000000\t0.000000\t0.000000");
}

TEST_F(PageMessagesTest, ALongDayIsDeliveredWhole) {
    std::string day = "1\t20120305";
    for (int minute = 0; minute < 1440; ++minute) {
        char point[64];
        std::snprintf(point, sizeof point, "\t%02d%02d00\t-33.123456\t151.654321", minute / 60,
                      minute % 60);
        day += point;
    }
    ASSERT_GT(day.size(), 8191u);
    messages.SetDayMessage(day, true);
    EXPECT_EQ(messages.GetPageMessage(0), day);
}

TEST(CoordinateText, PrintsLikeLfInTheCLocale) {
    struct Case {
        double value;
        const char* text;
    };
    for (const Case& c :
         {Case{0, "0.000000"}, Case{37.5665, "37.566500"}, Case{-122.4194156, "-122.419416"},
          Case{1e-7, "0.000000"}, Case{123456789.125, "123456789.125000"}}) {
        EXPECT_EQ(CoordinateText(c.value), c.text);
    }
    EXPECT_EQ(CoordinateText(1e300).size(), 301u + 7u);
}

TEST(CoordinateText, IgnoresTheUsersLocale) {
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        GTEST_SKIP() << "no de_DE locale";
    EXPECT_EQ(CoordinateText(37.5665), "37.566500");
    std::setlocale(LC_NUMERIC, saved.c_str());
}

}  // namespace
}  // namespace tramlet
