#include "app/month_calendar.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

namespace tramlet {
namespace {

TEST(MonthCalendar, PagingMovesTheSelectionToTheSameDayNumber) {
    CMonthCalendar calendar;
    calendar.SetSelectedDate({2013, 1, 31});
    QSignalSpy changes(&calendar, &CMonthCalendar::SelChange);
    calendar.setCurrentPage(2013, 2);
    EXPECT_EQ(calendar.selectedDate(), QDate(2013, 2, 28));
    EXPECT_EQ(changes.count(), 1);
    calendar.setCurrentPage(2013, 3);
    EXPECT_EQ(calendar.selectedDate(), QDate(2013, 3, 28));
}

TEST(MonthCalendar, ProgramSelectionIsSilentAndRefusesImpossibleDates) {
    CMonthCalendar calendar;
    QSignalSpy changes(&calendar, &CMonthCalendar::SelChange);
    calendar.SetSelectedDate({2013, 5, 20});
    calendar.SetSelectedDate({2013, 2, 30});
    EXPECT_EQ(calendar.SelectedDate(), (CalendarDate{2013, 5, 20}));
    EXPECT_EQ(changes.count(), 0);
}

TEST(MonthCalendar, ShowsPartsOfThreeMonthsAndBoldsTheMarkedDays) {
    CMonthCalendar calendar;
    calendar.SetSelectedDate({2013, 9, 10});  // September 2013 starts on a Sunday
    const ShownMonths shown = calendar.ShownMonthRange();
    EXPECT_EQ(shown.count, 3);
    EXPECT_EQ(shown.first, (CalendarDate{2013, 8, 25}));

    calendar.SetDayStates({1u << 30, (1u << 0) | (1u << 29), 1u << 1});
    EXPECT_TRUE(calendar.IsBold(QDate(2013, 8, 31)));
    EXPECT_TRUE(calendar.IsBold(QDate(2013, 9, 1)));
    EXPECT_TRUE(calendar.IsBold(QDate(2013, 9, 30)));
    EXPECT_TRUE(calendar.IsBold(QDate(2013, 10, 2)));
    EXPECT_FALSE(calendar.IsBold(QDate(2013, 9, 2)));

    calendar.SetDayStates({0, 0, 0});
    EXPECT_FALSE(calendar.IsBold(QDate(2013, 9, 1)));
}

}  // namespace
}  // namespace tramlet
