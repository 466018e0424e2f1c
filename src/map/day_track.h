#pragma once

#include <string>

#include "catalogue/calendar_date.h"
#include "catalogue/day_list.h"
#include "gps/gps_table.h"

namespace tramlet {

// "1<TAB>YYYYMMDD": the head of the day message for the map page.
std::string DayMessageHead(const CalendarDate& date);

// One point per recording of the day, in list order: its start and the fix
// found for its start second (zeros without one), for the day message.
std::string BuildDayTrack(const DayList& days, const GpsTable& gps);

}  // namespace tramlet
