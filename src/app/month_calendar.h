#pragma once

#include <QCalendarWidget>

#include "catalogue/calendar_port.h"

namespace tramlet {

// The month calendar with bold days. Paging to another month moves the
// selection to the same day number there, so every month shown has a
// selected day. SelChange follows any change of the selection; Select
// follows a click on a day, after SelChange when the click changed it.
class CMonthCalendar : public QCalendarWidget, public CalendarPort {
    Q_OBJECT

  public:
    explicit CMonthCalendar(QWidget* parent = nullptr);

    CalendarDate SelectedDate() const override;
    // Silent, as a programmatic selection is: no SelChange.
    void SetSelectedDate(const CalendarDate& date) override;
    ShownMonths ShownMonthRange() const override;
    void SetDayStates(const std::vector<std::uint32_t>& masks) override;
    bool IsBold(const QDate& date) const;

  signals:
    void SelChange();
    void Select();

  private:
    void FollowPage(int year, int month);
    QDate FirstShownDate() const;
};

}  // namespace tramlet
