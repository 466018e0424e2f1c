#pragma once

#include <optional>
#include <string>

#include "catalogue/calendar_date.h"
#include "common/data_root_path.h"
#include "common/failure.h"

namespace tramlet {

// What to put in a GPX file: the fixes of one day's recordings, as seen on
// the recorder's (local) clock.
struct GpxRequest {
    DataRootPath dataRoot;
    CalendarDate date;
    int fromSecond = 0;  // the seconds of the day [fromSecond, toSecond)
    int toSecond = 86400;
    // Seconds east of UTC of the recorder's clock; absent: this machine's
    // time zone, daylight saving included.
    std::optional<int> utcOffset;
    std::string output;
};

// Why no GPX file was written; kWriteFailed comes with the errno behind it.
enum class GpxError {
    kNoFix,        // no recording second in the span has a fix; nothing written
    kWriteFailed,  // the file could not be made, written or put in place
};

// The points written, or why the file was not.
using GpxResult = Expected<int, Failure<GpxError>>;

// Writes a GPX 1.1 file with one track for the day and one segment per
// recording that has fixes, a point per second with a fix, times in UTC and
// the speed in Garmin's TrackPointExtension. The file appears whole or not
// at all: it is written beside the destination and renamed into place.
GpxResult WriteDayGpx(const GpxRequest& request);

}  // namespace tramlet
