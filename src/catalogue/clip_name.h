#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tramlet {

// The recorder stores a clip's date, start, channel and length only in its
// file name: YYYYMMDD-HHMMSS-C-D.avi.
struct ClipName {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int channel = 0;   // 1..4 on a sound card; the channel index is channel - 1
    int duration = 0;  // whole seconds; 0 marks a clip the recorder never finished

    int StartSecond() const { return hour * 3600 + minute * 60 + second; }
    bool IsUnfinished() const { return duration == 0; }
    bool HasValidChannel() const { return channel >= 1 && channel <= 4; }
    bool IsOnDate(int y, int m, int d) const { return year == y && month == m && day == d; }
    // A day the calendar has: not month 13, not February 30th.
    bool IsRealDate() const;

    std::string Stamp() const;     // YYYYMMDD-HHMMSS, names a recording
    std::string FileName() const;  // the full clip name
};

// Reads a name back the way a formatted read of the clip-name format does:
// the padded widths are maximum widths and a group may end early at a
// non-digit. Names that do not yield all eight numbers are not clips.
std::optional<ClipName> ParseClipName(std::string_view name);

}  // namespace tramlet
