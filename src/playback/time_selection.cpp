#include "playback/time_selection.h"

#include <algorithm>
#include <cstdio>

#include "playback/player.h"

namespace tramlet {

std::optional<StartStampFields> ParseStartStamp(std::string_view stamp) {
    const std::string text(stamp);
    StartStampFields f;
    char end = 0;
    if (std::sscanf(text.c_str(), "%4d%2d%2d-%2d%2d%2d%c", &f.date.year, &f.date.month, &f.date.day,
                    &f.start.hour, &f.start.minute, &f.start.second, &end) != 6)
        return std::nullopt;
    return f;
}

const DayTime* FindCoveringRecord(const DayList& days, int t) {
    for (const DayTime& record : days) {
        if (record.StartSecond() <= t && t < record.EndSecond())
            return &record;
    }
    return nullptr;
}

const DayTime* FindRecordStartingAt(const DayList& days, const Moment& start) {
    for (const DayTime& record : days) {
        if (record.StartSecond() == start.SecondOfDay())
            return &record;
    }
    return nullptr;
}

const DayTime* FindRecordAfter(const DayList& days, const Moment& start) {
    for (auto it = days.begin(); it != days.end(); ++it) {
        if (it->StartSecond() == start.SecondOfDay())
            return std::next(it) == days.end() ? nullptr : &*std::next(it);
    }
    return nullptr;
}

int TimelinePosition(int t, int start, int durationSeconds) {
    if (durationSeconds == 0)
        return 0;
    const std::int64_t percent = static_cast<std::int64_t>(t - start) * 100 / durationSeconds;
    return static_cast<int>(std::clamp<std::int64_t>(percent, 0, 100));
}

std::int64_t MediaOffset(int t, int start) {
    return static_cast<std::int64_t>(t - start) * kMediaTimePerSecond;
}

Moment MomentAt(int start, std::int64_t position) {
    // A step past either end of the day must not turn into a negative hour.
    const std::int64_t t = start + position / kMediaTimePerSecond;
    return Moment::FromSecondOfDay(static_cast<int>(std::clamp<std::int64_t>(t, 0, 86399)));
}

std::string TimeText(const CalendarDate& date, const Moment& moment) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", date.year, date.month,
                  date.day, moment.hour, moment.minute, moment.second);
    return text;
}

}  // namespace tramlet
