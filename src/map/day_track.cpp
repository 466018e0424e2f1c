#include "map/day_track.h"

#include <cstdio>

#include "gps/coordinate_text.h"

namespace tramlet {

std::string DayMessageHead(const CalendarDate& date) {
    char head[48];
    std::snprintf(head, sizeof head, "1\t%04d%02d%02d", date.year, date.month, date.day);
    return head;
}

std::string BuildDayTrack(const DayList& days, const GpsTable& gps) {
    std::string track;
    for (const DayTime& record : days) {
        const GpsEntry& fix = gps.FindGpsFix(record.StartSecond());
        char start[16];
        std::snprintf(start, sizeof start, "%02d%02d%02d", record.hour, record.minute,
                      record.second);
        track += '\t';
        track += start;
        track += '\t' + CoordinateText(fix.latitude) + '\t' + CoordinateText(fix.longitude);
    }
    return track;
}

}  // namespace tramlet
