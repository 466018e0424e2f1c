#pragma once

#include <string>

#include "catalogue/calendar_date.h"
#include "catalogue/day_list.h"
#include "gps/gps_table.h"

namespace tramlet {

// The most points a track message holds: enough for every corner of a day's
// drive, few enough for the page to draw at once.
inline constexpr size_t kMaxTrackPoints = 5000;

// Page message 4, the day's route: "4\tYYYYMMDD" and, per point,
// "\tHHMMSS\tvalue1\tvalue2\tvalue3", numbers in the C locale. The seconds
// with a fix, decimated to at most kMaxTrackPoints without losing corners,
// keeping the first and last fix of every recording. Where more than ten
// seconds pass without a fix, a point of zeros at the first of them tells
// the page to break the line there.
std::string BuildTrackMessage(const CalendarDate& date, const DayList& recordings,
                              const GpsTable& gps);

}  // namespace tramlet
