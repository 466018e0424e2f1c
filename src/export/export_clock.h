#pragma once

#include <string>

#include "catalogue/calendar_date.h"

namespace tramlet::exporter {

// "YYYY-MM-DD HH:MM:SS" of a second of the day, on the recorder's own clock.
std::string ClockText(const CalendarDate& date, int secondOfDay);

// MP4's creation_time of that moment: the recorder's clock is local time,
// converted to UTC with the machine's time zone.
std::string CreationTime(const CalendarDate& date, int secondOfDay);

}  // namespace tramlet::exporter
