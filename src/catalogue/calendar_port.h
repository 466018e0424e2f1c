#pragma once

#include <cstdint>
#include <vector>

#include "catalogue/calendar_date.h"

namespace tramlet {

// The months a calendar shows, partly shown ones included.
struct ShownMonths {
    int count = 1;
    CalendarDate first;  // the first date the calendar shows
};

// What the month scan needs from a month calendar. Setting the selection is
// silent (no change notification), and a date the calendar refuses leaves
// the old selection, which is why the scan reads it back.
class CalendarPort {
  public:
    virtual ~CalendarPort() = default;
    virtual CalendarDate SelectedDate() const = 0;
    virtual void SetSelectedDate(const CalendarDate& date) = 0;
    virtual ShownMonths ShownMonthRange() const = 0;
    // One mask per shown month; bit d - 1 marks day d as holding recordings.
    virtual void SetDayStates(const std::vector<std::uint32_t>& masks) = 0;
};

}  // namespace tramlet
