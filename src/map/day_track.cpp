#include "map/day_track.h"

#include <cstdio>

#include "map/coordinate_text.h"

namespace tramlet {

std::string BuildDayTrack(const DayList& days, const GpsTable& gps) {
    std::string track;
    for (const DayTime& record : days) {
        const GpsEntry& fix = gps.FindGpsFix(record.StartSecond());
        char start[16];
        std::snprintf(start, sizeof start, "%02d%02d%02d", record.hour, record.minute,
                      record.second);
        track += '\t';
        track += start;
        track += '\t' + CoordinateText(fix.value1) + '\t' + CoordinateText(fix.value2);
    }
    return track;
}

}  // namespace tramlet
