#pragma once

#include <string>

#include "catalogue/day_list.h"
#include "map/gps_table.h"

namespace tramlet {

// One point per recording of the day, in list order: its start and the fix
// found for its start second (zeros without one), for the day message.
std::string BuildDayTrack(const DayList& days, const GpsTable& gps);

}  // namespace tramlet
