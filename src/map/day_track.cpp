#include "map/day_track.h"

#include <cstdio>

#include "map/coordinate_text.h"

namespace tramlet {

std::string BuildDayTrack(const DayList& days, const GpsTable& gps) {
    std::string track;
    for (const DayTime& record : days) {
        const GpsEntry& fix = gps.FindGpsFix(record.StartSecond());
        char start[16];
        std::snprintf(start, sizeof start, "\t%02d%02d%02d\t", record.hour, record.minute,
                      record.second);
        track += start + CoordinateText(fix.value1) + "\t" + CoordinateText(fix.value2);
    }
    return track;
}

}  // namespace tramlet
