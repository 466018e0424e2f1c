#include "recorder_clock.h"

#include <cstdio>
#include <ctime>

namespace tramlet::simcard {

using namespace std::chrono;

TimeFields FieldsOf(RecorderTime t) {
    const sys_days day = floor<days>(t);
    const year_month_day date(day);
    const hh_mm_ss<seconds> clock(t - day);
    return {static_cast<int>(date.year()),
            static_cast<int>(static_cast<unsigned>(date.month())),
            static_cast<int>(static_cast<unsigned>(date.day())),
            static_cast<int>(clock.hours().count()),
            static_cast<int>(clock.minutes().count()),
            static_cast<int>(clock.seconds().count())};
}

std::optional<RecorderTime> MakeRecorderTime(const TimeFields& f) {
    const year_month_day date{year(f.year), month(static_cast<unsigned>(f.month)),
                              day(static_cast<unsigned>(f.day))};
    if (!date.ok() || f.hour < 0 || f.hour > 23 || f.minute < 0 || f.minute > 59 || f.second < 0 ||
        f.second > 59)
        return std::nullopt;
    return sys_days(date) + hours(f.hour) + minutes(f.minute) + seconds(f.second);
}

RecorderTime LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return *MakeRecorderTime({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                              local.tm_min, local.tm_sec > 59 ? 59 : local.tm_sec});
}

std::string DateText(RecorderTime t) {
    const TimeFields f = FieldsOf(t);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", f.year, f.month, f.day);
    return text;
}

std::string ClockText(RecorderTime t) {
    const TimeFields f = FieldsOf(t);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", f.hour, f.minute, f.second);
    return text;
}

}  // namespace tramlet::simcard
