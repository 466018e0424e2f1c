#pragma once

#include <cstdint>
#include <vector>

#include "catalogue/calendar_date.h"
#include "catalogue/calendar_port.h"

namespace tramlet {

// What the month calendar shows: the selected day, the month on its page and
// the bold days. The page shows six weeks from a Sunday, with some days of
// the month before and after.
class CalendarModel : public CalendarPort {
  public:
    explicit CalendarModel(const CalendarDate& today);

    CalendarDate SelectedDate() const override { return selected_; }
    // The page follows the selection; an impossible date is refused.
    void SetSelectedDate(const CalendarDate& date) override;
    ShownMonths ShownMonthRange() const override;
    void SetDayStates(const std::vector<std::uint32_t>& masks) override { masks_ = masks; }

    // The user pages to another month: the selection moves to the same day
    // number there, or the month's last day.
    void ShowPage(int year, int month);
    int PageYear() const { return pageYear_; }
    int PageMonth() const { return pageMonth_; }
    const std::vector<std::uint32_t>& DayStates() const { return masks_; }
    bool IsMarked(const CalendarDate& date) const;

  private:
    CalendarDate FirstShownDate() const;

    CalendarDate selected_;
    int pageYear_ = 0;
    int pageMonth_ = 0;
    std::vector<std::uint32_t> masks_;
};

}  // namespace tramlet
