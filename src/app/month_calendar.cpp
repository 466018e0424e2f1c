#include "app/month_calendar.h"

#include <QTextCharFormat>

#include <algorithm>

namespace tramlet {

CMonthCalendar::CMonthCalendar(QWidget* parent) : QCalendarWidget(parent) {
    // The program speaks Korean: week from Sunday, one-syllable day names,
    // and no weekend colours, which would compete with the bold days.
    setLocale(QLocale(QLocale::Korean, QLocale::SouthKorea));
    setFirstDayOfWeek(Qt::Sunday);
    setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    setHorizontalHeaderFormat(QCalendarWidget::ShortDayNames);
    const QTextCharFormat plain;
    for (Qt::DayOfWeek day : {Qt::Saturday, Qt::Sunday})
        setWeekdayTextFormat(day, plain);
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    connect(this, &QCalendarWidget::selectionChanged, this, &CMonthCalendar::SelChange);
    connect(this, &QCalendarWidget::clicked, this, &CMonthCalendar::Select);
    connect(this, &QCalendarWidget::currentPageChanged, this, &CMonthCalendar::FollowPage);
}

void CMonthCalendar::FollowPage(int year, int month) {
    const QDate selected = selectedDate();
    if (selected.year() == year && selected.month() == month)
        return;
    const QDate first(year, month, 1);
    setSelectedDate(QDate(year, month, std::min(selected.day(), first.daysInMonth())));
}

CalendarDate CMonthCalendar::SelectedDate() const {
    const QDate date = selectedDate();
    return {date.year(), date.month(), date.day()};
}

void CMonthCalendar::SetSelectedDate(const CalendarDate& date) {
    const QDate wanted(date.year, date.month, date.day);
    if (!wanted.isValid())
        return;
    const QSignalBlocker silent(this);
    setSelectedDate(wanted);
}

QDate CMonthCalendar::FirstShownDate() const {
    // The grid always shows some days of the month before, a whole week when
    // the first of the month falls on the first column.
    const QDate first(yearShown(), monthShown(), 1);
    int lead = (first.dayOfWeek() - static_cast<int>(firstDayOfWeek()) + 7) % 7;
    if (lead == 0)
        lead = 7;
    return first.addDays(-lead);
}

ShownMonths CMonthCalendar::ShownMonthRange() const {
    const QDate first = FirstShownDate();
    return {3, {first.year(), first.month(), first.day()}};
}

void CMonthCalendar::SetDayStates(const std::vector<std::uint32_t>& masks) {
    setDateTextFormat(QDate(), QTextCharFormat());
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    const QDate first = FirstShownDate();
    const QDate firstMonth(first.year(), first.month(), 1);
    for (size_t i = 0; i < masks.size(); ++i) {
        const QDate month = firstMonth.addMonths(static_cast<int>(i));
        for (int day = 1; day <= 32 && day <= month.daysInMonth(); ++day) {
            if (masks[i] & (std::uint32_t{1} << (day - 1))) {
                setDateTextFormat(QDate(month.year(), month.month(), day), bold);
            }
        }
    }
}

bool CMonthCalendar::IsBold(const QDate& date) const {
    return dateTextFormat(date).fontWeight() == QFont::Bold;
}

}  // namespace tramlet
