#include "catalogue/day_marks.h"

#include <algorithm>
#include <cstdint>

namespace tramlet {
namespace {

template <size_t N>
void MarkRange(std::array<bool, N>& marks, std::int64_t from, std::int64_t to) {
    from = std::max<std::int64_t>(from, 0);
    to = std::min<std::int64_t>(to, static_cast<std::int64_t>(N) - 1);
    for (std::int64_t i = from; i <= to; ++i)
        marks[static_cast<size_t>(i)] = true;
}

}  // namespace

void MarkHours(const DayTime& record, HourMarks& marks) {
    const int firstHour = record.hour;
    std::int64_t lastHour = record.EndSecond() / 3600;
    if (lastHour < firstHour)
        lastHour = 24;
    MarkRange(marks, firstHour, lastHour);
}

void MarkMinutesAndSeconds(const DayList& days, int hour, int minute, int second,
                           MinuteMarks& minuteMarks, SecondMarks& secondMarks) {
    minuteMarks.fill(false);
    secondMarks.fill(false);
    const int moment = hour * 3600 + minute * 60 + second;
    for (const DayTime& record : days) {
        const int firstMinute = record.hour * 3600 + record.minute * 60;
        const std::int64_t last = record.EndSecond() - 1;
        const std::int64_t endHour = last / 3600;
        const std::int64_t endMinute = (last - endHour * 3600) / 60;
        const std::int64_t endSecond = (last - endHour * 3600) % 60;

        if (moment < record.hour * 3600 || moment >= (endHour + 1) * 3600)
            continue;
        MarkRange(minuteMarks, record.hour == hour ? record.minute : 0,
                  endHour == hour ? endMinute : 59);

        if (moment < firstMinute || moment >= endHour * 3600 + endMinute * 60 + 60)
            continue;
        const bool startsThisMinute = record.hour == hour && record.minute == minute;
        const bool endsThisMinute = endHour == hour && endMinute == minute;
        MarkRange(secondMarks, startsThisMinute ? record.second : 0,
                  endsThisMinute ? endSecond : 59);
    }
}

}  // namespace tramlet
