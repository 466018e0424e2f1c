#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace tramlet::simcard {

// A moment on the recorder's clock, which knows no time zone: the clip
// names and GPS lines carry its wall-clock time as it stands.
using RecorderTime = std::chrono::sys_seconds;

struct TimeFields {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

TimeFields FieldsOf(RecorderTime t);
// Nothing for a date or time that does not exist.
std::optional<RecorderTime> MakeRecorderTime(const TimeFields& f);
// The machine's local wall-clock time now.
RecorderTime LocalNow();

std::string DateText(RecorderTime t);   // YYYY-MM-DD
std::string ClockText(RecorderTime t);  // HH:MM:SS

}  // namespace tramlet::simcard
