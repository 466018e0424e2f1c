#include "catalogue/day_marks.h"

#include <algorithm>

namespace tramlet {
namespace {

template <size_t N>
void MarkRange(std::array<bool, N>& marks, int from, int to) {
    from = std::max(from, 0);
    to = std::min(to, static_cast<int>(N) - 1);
    for (int i = from; i <= to; ++i)
        marks[static_cast<size_t>(i)] = true;
}

}  // namespace

void MarkHours(const DayTime& record, HourMarks& marks) {
    const int firstHour = record.hour;
    int lastHour = (record.StartSecond() + record.duration) / 3600;
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
        const int last = firstMinute + record.second + record.duration - 1;
        const int endHour = last / 3600;
        const int endMinute = (last - endHour * 3600) / 60;
        const int endSecond = (last - endHour * 3600) % 60;

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
