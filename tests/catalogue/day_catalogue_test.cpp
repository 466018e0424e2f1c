#include "catalogue/day_catalogue.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "map/day_track.h"
#include "support/temp_dir.h"

namespace tramlet {
namespace {

// A month calendar that, like the real one, refuses dates that do not exist.
class FakeCalendar : public CalendarPort {
  public:
    explicit FakeCalendar(CalendarDate selected) : selected_(selected) {}

    CalendarDate SelectedDate() const override { return selected_; }
    void SetSelectedDate(const CalendarDate& date) override {
        if (date.day <= 28 || date.month != 2)
            selected_ = date;
    }
    ShownMonths ShownMonthRange() const override { return shown_; }
    void SetDayStates(const std::vector<std::uint32_t>& masks) override { masks_ = masks; }

    ShownMonths shown_{3, {2012, 2, 27}};
    std::vector<std::uint32_t> masks_;

  private:
    CalendarDate selected_;
};

class DayCatalogueTest : public testing::Test {
  protected:
    void AddClips(std::initializer_list<const char*> names) {
        for (const char* name : names)
            card_.Write(std::string("video/") + name, "");
    }

    std::vector<std::string> Starts() const {
        std::vector<std::string> starts;
        for (const DayTime& r : catalogue_.Recordings()) {
            starts.push_back(std::to_string(r.StartSecond()) + "/" + std::to_string(r.duration));
        }
        return starts;
    }

    test::TempDir card_;
    const DataRootPath root_{card_.Root()};
    DayCatalogue catalogue_;
};

TEST_F(DayCatalogueTest, AutoSelectPicksFirstDayWithClipsAndListsItInOrder) {
    AddClips({"20120305-100000-1-60.avi", "20120305-095900-2-60.avi", "20120305-103000-1-30.avi",
              "20120305-095900-1-58.avi", "20120309-120000-1-60.avi", "20120405-120000-1-60.avi",
              "20120305-110000-1-0.avi"});
    FakeCalendar calendar({2012, 3, 20});

    const MonthScanResult result = catalogue_.ScanMonth(root_, calendar, true);

    EXPECT_TRUE(result.scanned);
    EXPECT_EQ(result.firstDayWithClips, (CalendarDate{2012, 3, 5}));
    EXPECT_EQ(result.gpsLogDay, (CalendarDate{2012, 3, 5}));
    EXPECT_EQ(calendar.SelectedDate(), (CalendarDate{2012, 3, 5}));
    EXPECT_EQ(catalogue_.SelectedDate(), (CalendarDate{2012, 3, 5}));
    // The unfinished clip of 11:00 is left out; 09:59 keeps one record.
    ASSERT_EQ(Starts().size(), 3u);
    EXPECT_EQ(Starts()[0].substr(0, 6), "35940/");
    EXPECT_EQ(Starts()[1], "36000/60");
    EXPECT_EQ(Starts()[2], "37800/30");
    const DayTime& both = *catalogue_.Recordings().begin();
    EXPECT_TRUE(both.channels[0] && both.channels[1]);
    EXPECT_EQ(both.ChannelCount(), 2);
    // The first day of the shown range is not the 1st: March is mask 1.
    ASSERT_EQ(calendar.masks_.size(), 3u);
    EXPECT_EQ(calendar.masks_[0], 0u);
    EXPECT_EQ(calendar.masks_[1], (1u << 4) | (1u << 8));
    EXPECT_EQ(calendar.masks_[2], 0u);
    EXPECT_TRUE(catalogue_.Hours()[9] && catalogue_.Hours()[10]);
    EXPECT_FALSE(catalogue_.Hours()[11]);
}

TEST_F(DayCatalogueTest, ADayHoldingOnlyUnusableNamesIsStillBold) {
    AddClips({"20120307-100000-1-0.avi", "20120307-100000-9-60.avi"});
    FakeCalendar calendar({2012, 3, 7});
    calendar.shown_ = {2, {2012, 3, 1}};
    catalogue_.ScanMonth(root_, calendar, false);
    EXPECT_EQ(calendar.masks_[0], 1u << 6);
    EXPECT_TRUE(catalogue_.Recordings().empty());
}

TEST_F(DayCatalogueTest, WithoutAutoSelectTheUsersDayIsListed) {
    AddClips({"20120305-100000-1-60.avi", "20120309-120000-1-60.avi", "20120309-080000-2-60.avi"});
    FakeCalendar calendar({2012, 3, 9});

    const MonthScanResult result = catalogue_.ScanMonth(root_, calendar, false);

    // The day message still names the month's first day with clips.
    EXPECT_EQ(result.firstDayWithClips, (CalendarDate{2012, 3, 5}));
    EXPECT_FALSE(result.gpsLogDay);
    EXPECT_EQ(catalogue_.SelectedDate(), (CalendarDate{2012, 3, 9}));
    EXPECT_EQ(Starts(), (std::vector<std::string>{"28800/60", "43200/60"}));
}

TEST_F(DayCatalogueTest, AUsersDayWithoutClipsGivesAnEmptyList) {
    AddClips({"20120305-100000-1-60.avi"});
    FakeCalendar calendar({2012, 3, 2});
    catalogue_.ScanMonth(root_, calendar, false);
    EXPECT_EQ(catalogue_.SelectedDate(), (CalendarDate{2012, 3, 2}));
    EXPECT_TRUE(catalogue_.Recordings().empty());
}

TEST_F(DayCatalogueTest, AMonthWithoutClipsTakesTheCalendarsDate) {
    AddClips({"20120405-100000-1-60.avi"});
    FakeCalendar calendar({2012, 3, 20});
    const MonthScanResult result = catalogue_.ScanMonth(root_, calendar, true);
    EXPECT_TRUE(result.scanned);
    EXPECT_FALSE(result.firstDayWithClips);
    EXPECT_FALSE(result.gpsLogDay);
    EXPECT_EQ(catalogue_.SelectedDate(), (CalendarDate{2012, 3, 20}));
    EXPECT_TRUE(catalogue_.Recordings().empty());
    EXPECT_EQ(calendar.masks_, (std::vector<std::uint32_t>{0, 0, 0}));
}

TEST_F(DayCatalogueTest, NothingHappensWhileTheSelectionIsTheSelectedDate) {
    AddClips({"20120305-100000-1-60.avi"});
    FakeCalendar calendar({2012, 3, 5});
    catalogue_.ScanMonth(root_, calendar, false);
    AddClips({"20120305-110000-1-60.avi"});
    EXPECT_FALSE(catalogue_.ScanMonth(root_, calendar, false).scanned);
    EXPECT_EQ(catalogue_.Recordings().size(), 1u);

    catalogue_.SetSelectedDate({});  // what a new data root does
    EXPECT_TRUE(catalogue_.ScanMonth(root_, calendar, false).scanned);
    EXPECT_EQ(catalogue_.Recordings().size(), 2u);
}

TEST_F(DayCatalogueTest, ARefusedAutoSelectionKeepsTheCalendarsDay) {
    // Names can carry dates that do not exist; the calendar will not take them.
    AddClips({"20120230-100000-1-60.avi"});
    FakeCalendar calendar({2012, 2, 10});
    const MonthScanResult result = catalogue_.ScanMonth(root_, calendar, true);
    EXPECT_EQ(result.firstDayWithClips, (CalendarDate{2012, 2, 30}));
    EXPECT_EQ(catalogue_.SelectedDate(), (CalendarDate{2012, 2, 10}));
    EXPECT_TRUE(catalogue_.Recordings().empty());
}

TEST_F(DayCatalogueTest, SelectDayRebuildsTheListButKeepsTheSelectedDate) {
    AddClips({"20120305-100000-1-60.avi", "20120309-120000-1-60.avi", "20120309-120000-3-61.avi"});
    FakeCalendar calendar({2012, 3, 5});
    catalogue_.ScanMonth(root_, calendar, false);
    catalogue_.MarkMinutesAndSeconds(10, 0, 30);

    catalogue_.SelectDay(root_, {2012, 3, 9});

    EXPECT_EQ(catalogue_.SelectedDate(), (CalendarDate{2012, 3, 5}));
    EXPECT_EQ(Starts(), (std::vector<std::string>{"43200/60"}));
    EXPECT_FALSE(catalogue_.Hours()[10]);
    EXPECT_TRUE(catalogue_.Hours()[12]);
    // Minute and second marks belong to the moment, not to the day.
    EXPECT_TRUE(catalogue_.Minutes()[0]);
}

TEST_F(DayCatalogueTest, ClipsWithImpossibleFieldsAreLeftOut) {
    AddClips({"20120305-259900-1-60.avi", "20120305-109900-1-60.avi", "20120305-100000-1--5.avi"});
    catalogue_.SelectDay(root_, {2012, 3, 5});
    EXPECT_TRUE(catalogue_.Recordings().empty());
}

TEST(DayMessageHead, IsTypeOneAndTheDate) {
    EXPECT_EQ(DayMessageHead({2012, 3, 5}), "1\t20120305");
}

}  // namespace
}  // namespace tramlet
