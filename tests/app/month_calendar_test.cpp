#include "app/month_calendar.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTableView>

#include "session/calendar_model.h"

namespace tramlet {
namespace {

TEST(MonthCalendar, DrawsTheModelsPageSelectionAndBoldDaysWithoutTellingAnyone) {
    CMonthCalendar calendar;
    QSignalSpy changes(&calendar, &CMonthCalendar::SelChange);
    QSignalSpy pages(&calendar, &CMonthCalendar::PageShown);
    CalendarModel model({2013, 9, 10});  // September 2013 starts on a Sunday
    model.SetDayStates({1u << 30, (1u << 0) | (1u << 29), 1u << 1});
    calendar.Show(model);
    EXPECT_EQ(calendar.selectedDate(), QDate(2013, 9, 10));
    for (const QDate& bold :
         {QDate(2013, 8, 31), QDate(2013, 9, 1), QDate(2013, 9, 30), QDate(2013, 10, 2)})
        EXPECT_TRUE(calendar.IsBold(bold)) << bold.toString().toStdString();
    EXPECT_FALSE(calendar.IsBold(QDate(2013, 9, 2)));
    EXPECT_EQ(changes.count() + pages.count(), 0);

    model.SetDayStates({0, 0, 0});
    calendar.Show(model);
    EXPECT_FALSE(calendar.IsBold(QDate(2013, 9, 1)));
}

// A click that picks another day is one choice; a click on the day already
// picked is a choice of its own.
TEST(MonthCalendar, AClickThatChangesTheDayIsToldOnce) {
    CMonthCalendar calendar;
    calendar.setSelectedDate(QDate(2013, 9, 10));
    QCoreApplication::processEvents();
    QSignalSpy changes(&calendar, &CMonthCalendar::SelChange);
    QSignalSpy clicks(&calendar, &CMonthCalendar::Select);
    calendar.setSelectedDate(QDate(2013, 9, 12));
    emit calendar.clicked(QDate(2013, 9, 12));
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(clicks.count(), 0);
    QCoreApplication::processEvents();
    emit calendar.clicked(QDate(2013, 9, 12));
    EXPECT_EQ(clicks.count(), 1);
}

// The room the window gives the month at its smallest: every day in it.
TEST(MonthCalendar, AllSevenDaysAndSixWeeksFitTheRoomGiven) {
    CMonthCalendar calendar;
    calendar.resize(150, 130);
    calendar.show();
    QCoreApplication::processEvents();
    const auto* days = calendar.findChild<QTableView*>("qt_calendar_calendarview");
    ASSERT_NE(days, nullptr);
    const int lastColumn = days->model()->columnCount() - 1;
    const int lastRow = days->model()->rowCount() - 1;
    EXPECT_LE(days->columnViewportPosition(lastColumn) + days->columnWidth(lastColumn),
              days->viewport()->width());
    EXPECT_LE(days->rowViewportPosition(lastRow) + days->rowHeight(lastRow),
              days->viewport()->height());
}

}  // namespace
}  // namespace tramlet
