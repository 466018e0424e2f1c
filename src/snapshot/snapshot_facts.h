#pragma once

#include <optional>
#include <string>

#include "catalogue/calendar_date.h"

namespace tramlet {

class GpsTable;

struct GpsPosition {
    double latitude = 0;   // degrees, north positive
    double longitude = 0;  // degrees, east positive
};

// What a window snapshot records about the moment it shows.
struct SnapshotFacts {
    std::string dateTime;     // "YYYY:MM:DD HH:MM:SS", empty without a loaded day
    std::string description;  // the open recording's start stamp, or empty
    std::optional<GpsPosition> position;
};

// The facts of the chosen moment of a day; `recordingStart` is the second of
// the day at which the open recording starts, if one is open.
SnapshotFacts CollectSnapshotFacts(const CalendarDate& date, int secondOfDay,
                                   std::optional<int> recordingStart, const GpsTable& gps);

// The name a snapshot of that moment is offered under,
// "Tramlet-YYYYMMDD-HHMMSS.jpg"; empty when the facts hold no moment.
std::string SnapshotFileName(const SnapshotFacts& facts);

}  // namespace tramlet
