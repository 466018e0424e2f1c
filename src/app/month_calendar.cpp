#include "app/month_calendar.h"

#include <QHeaderView>
#include <QTableView>
#include <QTextCharFormat>
#include <QTimer>

#include "session/calendar_model.h"

namespace tramlet {

CMonthCalendar::CMonthCalendar(QWidget* parent) : QCalendarWidget(parent) {
    // In the program's language: week from Sunday, short day names, and no
    // weekend colours, which would compete with the bold days.
    setLocale(QLocale());
    setFirstDayOfWeek(Qt::Sunday);
    setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    setHorizontalHeaderFormat(QCalendarWidget::SingleLetterDayNames);
    const QTextCharFormat plain;
    for (Qt::DayOfWeek day : {Qt::Saturday, Qt::Sunday})
        setWeekdayTextFormat(day, plain);
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    // All seven days and six weeks must fit the room the window gives the
    // month: the view would otherwise keep each day as wide as the style
    // likes and push Friday and Saturday out of sight.
    if (auto* days = findChild<QTableView*>("qt_calendar_calendarview")) {
        days->horizontalHeader()->setMinimumSectionSize(0);
        days->verticalHeader()->setMinimumSectionSize(0);
    }
    connect(this, &QCalendarWidget::selectionChanged, this, [this] {
        // The click that made this change follows at once; it is this
        // change, not a second choice of the same day.
        selectionJustChanged_ = true;
        QTimer::singleShot(0, this, [this] { selectionJustChanged_ = false; });
        emit SelChange();
    });
    connect(this, &QCalendarWidget::clicked, this, [this] {
        if (!std::exchange(selectionJustChanged_, false))
            emit Select();
    });
    connect(this, &QCalendarWidget::currentPageChanged, this, &CMonthCalendar::PageShown);
}

void CMonthCalendar::Show(const CalendarModel& model) {
    const QSignalBlocker silent(this);
    const CalendarDate selected = model.SelectedDate();
    const QDate date(selected.year, selected.month, selected.day);
    if (date.isValid() && date != selectedDate())
        setSelectedDate(date);
    if (yearShown() != model.PageYear() || monthShown() != model.PageMonth())
        setCurrentPage(model.PageYear(), model.PageMonth());
    if (model.DayStates() != shownMasks_ || FirstShownDate() != shownFirst_)
        SetDayStates(model.DayStates());
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

void CMonthCalendar::SetDayStates(const std::vector<std::uint32_t>& masks) {
    shownMasks_ = masks;
    shownFirst_ = FirstShownDate();
    setDateTextFormat(QDate(), QTextCharFormat());
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    const QDate firstMonth(shownFirst_.year(), shownFirst_.month(), 1);
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
