#pragma once

#include <optional>
#include <string>

#include "catalogue/calendar_date.h"

namespace tramlet {

// What to put in a GPX file: the fixes of one day's recordings, as seen on
// the recorder's (local) clock.
struct GpxRequest {
    std::string dataRoot;  // ends in '/'
    CalendarDate date;
    int fromSecond = 0;  // the seconds of the day [fromSecond, toSecond)
    int toSecond = 86400;
    // Seconds east of UTC of the recorder's clock; absent: this machine's
    // time zone, daylight saving included.
    std::optional<int> utcOffset;
    std::string output;
};

enum class GpxError {
    kNone,
    kNoFix,        // no recording second in the span has a fix; nothing written
    kWriteFailed,  // the file could not be made, written or put in place
};

struct GpxResult {
    GpxError error = GpxError::kNone;
    int errorNumber = 0;  // the errno behind kWriteFailed
    std::string message;  // for people; empty when written
    int points = 0;
};

// Writes a GPX 1.1 file with one track for the day and one segment per
// recording that has fixes, a point per second with a fix, times in UTC and
// the speed in Garmin's TrackPointExtension. The file appears whole or not
// at all: it is written beside the destination and renamed into place.
GpxResult WriteDayGpx(const GpxRequest& request);

}  // namespace tramlet
