#pragma once

#include <array>

#include "catalogue/day_list.h"

namespace tramlet {

// Which hours of the day, minutes of the chosen hour and seconds of the
// chosen minute some recording covers; drawn as bars under the time sliders.
using HourMarks = std::array<bool, 24>;
using MinuteMarks = std::array<bool, 60>;
using SecondMarks = std::array<bool, 60>;

// Marks every hour the recording touches. The end taken is start + duration
// itself, so a recording that ends on the hour also marks the next hour; one
// that runs past midnight marks up to the end of the day.
void MarkHours(const DayTime& record, HourMarks& marks);

// Rebuilds the minute marks for the hour of the moment and the second marks
// for its minute.
void MarkMinutesAndSeconds(const DayList& days, int hour, int minute, int second,
                           MinuteMarks& minuteMarks, SecondMarks& secondMarks);

}  // namespace tramlet
