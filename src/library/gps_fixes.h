#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "catalogue/calendar_date.h"
#include "gps/gps_table.h"
#include "library/library_index.h"

namespace tramlet::library {

// The date of a day's GPS log from its name, "YYYYMMDD.gps"; nothing for
// any other name.
std::optional<CalendarDate> GpsLogDate(std::string_view name);

// The fixes of a day's GPS log, read as the map reads it (one entry per
// second, a later line for a second overriding an earlier one; the first
// value the latitude, the second the longitude). Seconds without a position
// (both values 0, as the map page takes them) or with one off the globe are
// left out. `table` is working space, reused between logs.
std::vector<GpsFix> FixesOfLog(std::string_view text, const CalendarDate& date, GpsTable& table);

}  // namespace tramlet::library
