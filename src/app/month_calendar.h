#pragma once

#include <QCalendarWidget>

#include <cstdint>
#include <vector>

namespace tramlet {

class CalendarModel;

// The month calendar with bold days, drawn from the session's calendar.
// PageShown follows paging to another month, SelChange any change of the
// selection by the user, and Select a click on the day that was already
// selected: a click that changes the selection is told once, as SelChange.
class CMonthCalendar : public QCalendarWidget {
    Q_OBJECT

  public:
    explicit CMonthCalendar(QWidget* parent = nullptr);

    // Shows the model's page, selection and bold days without telling anyone.
    void Show(const CalendarModel& model);
    bool IsBold(const QDate& date) const;

  signals:
    void PageShown(int year, int month);
    void SelChange();
    void Select();

  private:
    QDate FirstShownDate() const;
    void SetDayStates(const std::vector<std::uint32_t>& masks);

    std::vector<std::uint32_t> shownMasks_;
    QDate shownFirst_;
    bool selectionJustChanged_ = false;
};

}  // namespace tramlet
