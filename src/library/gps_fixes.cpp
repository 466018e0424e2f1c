#include "library/gps_fixes.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "catalogue/storage_layout.h"
#include "library/recorder_time.h"

namespace tramlet::library {
namespace {

bool IsPosition(double latitude, double longitude) {
    return std::isfinite(latitude) && std::isfinite(longitude) && std::abs(latitude) <= 90 &&
           std::abs(longitude) <= 180 && (latitude != 0 || longitude != 0);
}

}  // namespace

std::optional<CalendarDate> GpsLogDate(std::string_view name) {
    CalendarDate date;
    const std::string text(name);
    if (std::sscanf(text.c_str(), "%4d%2d%2d", &date.year, &date.month, &date.day) != 3)
        return std::nullopt;
    if (RelativeGpsLogPath(date.year, date.month, date.day) != "gps/" + text ||
        !IsValidDate(date.year, date.month, date.day))
        return std::nullopt;
    return date;
}

std::vector<GpsFix> FixesOfLog(std::string_view text, const CalendarDate& date, GpsTable& table) {
    table.LoadGpsText(text);
    const RecorderSeconds midnight = RecorderSecondsOf(date.year, date.month, date.day, 0);
    std::vector<GpsFix> fixes;
    for (int second = 0; second < GpsTable::kSecondsPerDay; ++second) {
        const GpsEntry* entry = table.FixAt(second);
        if (entry && IsPosition(entry->latitude, entry->longitude))
            fixes.push_back({midnight + second, entry->latitude, entry->longitude});
    }
    return fixes;
}

}  // namespace tramlet::library
