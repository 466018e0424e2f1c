#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "catalogue/calendar_date.h"
#include "catalogue/day_list.h"

namespace tramlet {

struct Moment {
    int hour = 0;
    int minute = 0;
    int second = 0;

    int SecondOfDay() const { return hour * 3600 + minute * 60 + second; }
    static Moment FromSecondOfDay(int t) { return {t / 3600, t % 3600 / 60, t % 60}; }
    friend bool operator==(const Moment&, const Moment&) = default;
};

// A recording's start stamp, YYYYMMDD-HHMMSS, read back.
struct StartStampFields {
    CalendarDate date;
    Moment start;
};
std::optional<StartStampFields> ParseStartStamp(std::string_view stamp);

// The first recording that covers second t: start <= t < start + duration.
const DayTime* FindCoveringRecord(const DayList& days, int t);
// The first recording that starts at this time of day.
const DayTime* FindRecordStartingAt(const DayList& days, const Moment& start);
// The recording after the one that starts at `start`; none after the last.
const DayTime* FindRecordAfter(const DayList& days, const Moment& start);

// Percentage of the open recording (start second, whole seconds long) that
// lies before t, 0..100; 0 when nothing is open.
int TimelinePosition(int t, int start, int durationSeconds);
// Where second t lies in a recording that starts at `start`.
std::int64_t MediaOffset(int t, int start);
// The moment a position of a recording that starts at `start` shows.
Moment MomentAt(int start, std::int64_t position);

// The date-and-time label: YYYY-MM-DD HH:MM:SS.
std::string TimeText(const CalendarDate& date, const Moment& moment);

}  // namespace tramlet
