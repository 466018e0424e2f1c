#include "snapshot/snapshot_facts.h"

#include <cmath>
#include <cstdio>

#include "catalogue/storage_layout.h"
#include "common/local_moment.h"
#include "gps/gps_table.h"

namespace tramlet {
namespace {

constexpr int kSecondsPerDay = 86400;

// The recorder logs 0 0 while it has no fix.
std::optional<GpsPosition> PositionOf(const GpsEntry& fix) {
    const GpsPosition position{fix.latitude, fix.longitude};
    if (!fix.present || !std::isfinite(position.latitude) || !std::isfinite(position.longitude))
        return std::nullopt;
    if (std::abs(position.latitude) > 90 || std::abs(position.longitude) > 180)
        return std::nullopt;
    if (position.latitude == 0 && position.longitude == 0)
        return std::nullopt;
    return position;
}

}  // namespace

SnapshotFacts CollectSnapshotFacts(const CalendarDate& date, int secondOfDay,
                                   std::optional<int> recordingStart, const GpsTable& gps) {
    SnapshotFacts facts;
    if (secondOfDay < 0 || secondOfDay >= kSecondsPerDay)
        return facts;
    const int hour = secondOfDay / 3600;
    const int minute = secondOfDay / 60 % 60;
    const int second = secondOfDay % 60;
    if (!LocalMoment(date.year, date.month, date.day, hour, minute, second))
        return facts;

    char text[32];
    std::snprintf(text, sizeof text, "%04d:%02d:%02d %02d:%02d:%02d", date.year, date.month,
                  date.day, hour, minute, second);
    facts.dateTime = text;
    if (recordingStart && *recordingStart >= 0 && *recordingStart < kSecondsPerDay) {
        facts.description = StartStamp(date.year, date.month, date.day, *recordingStart / 3600,
                                       *recordingStart / 60 % 60, *recordingStart % 60);
    }
    facts.position = PositionOf(gps.FindGpsFix(secondOfDay));
    return facts;
}

std::string SnapshotFileName(const SnapshotFacts& facts) {
    std::string digits;
    for (const char c : facts.dateTime) {
        if (c >= '0' && c <= '9')
            digits += c;
    }
    if (digits.size() != 14)
        return {};
    return "Tramlet-" + digits.substr(0, 8) + "-" + digits.substr(8) + ".jpg";
}

}  // namespace tramlet
