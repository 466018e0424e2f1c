#include "session/calendar_model.h"

#include <gtest/gtest.h>

namespace tramlet {
namespace {

TEST(CalendarModel, PagingMovesTheSelectionToTheSameDayNumberOrTheMonthsLast) {
    CalendarModel calendar({2013, 1, 31});
    calendar.ShowPage(2013, 2);
    EXPECT_EQ(calendar.SelectedDate(), (CalendarDate{2013, 2, 28}));
    calendar.ShowPage(2013, 3);
    EXPECT_EQ(calendar.SelectedDate(), (CalendarDate{2013, 3, 28}));
    calendar.SetSelectedDate({2013, 2, 30});
    EXPECT_EQ(calendar.SelectedDate(), (CalendarDate{2013, 3, 28}));
    calendar.SetSelectedDate({2014, 7, 4});
    EXPECT_EQ(calendar.PageMonth(), 7);
}

TEST(CalendarModel, ShowsPartsOfThreeMonthsFromASunday) {
    CalendarModel calendar({2013, 9, 10});  // September 2013 starts on a Sunday
    const ShownMonths shown = calendar.ShownMonthRange();
    EXPECT_EQ(shown.count, 3);
    EXPECT_EQ(shown.first, (CalendarDate{2013, 8, 25}));
    calendar.SetDayStates({1u << 30, 1u << 0, 1u << 1});
    EXPECT_TRUE(calendar.IsMarked({2013, 8, 31}));
    EXPECT_TRUE(calendar.IsMarked({2013, 9, 1}));
    EXPECT_TRUE(calendar.IsMarked({2013, 10, 2}));
    EXPECT_FALSE(calendar.IsMarked({2013, 9, 2}));
    EXPECT_FALSE(calendar.IsMarked({2013, 11, 2}));
}

}  // namespace
}  // namespace tramlet
