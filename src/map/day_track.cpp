#include "map/day_track.h"

#include <cstdio>

namespace tramlet {

std::string BuildDayTrack(const DayList& days, const GpsTable& gps) {
    std::string track;
    for (const DayTime& record : days) {
        const GpsEntry& fix = gps.FindGpsFix(record.StartSecond());
        char point[128];
        std::snprintf(point, sizeof point, "\t%02d%02d%02d\t%lf\t%lf", record.hour, record.minute,
                      record.second, fix.value1, fix.value2);
        track += point;
    }
    return track;
}

}  // namespace tramlet
