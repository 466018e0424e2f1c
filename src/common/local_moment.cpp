#include "common/local_moment.h"

#include <ctime>

namespace tramlet {

std::optional<std::int64_t> LocalMoment(int year, int month, int day, int hour, int minute,
                                        int second) {
    const bool valid = year >= 1900 && month >= 1 && month <= 12 && day >= 1 && day <= 31 &&
                       hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 &&
                       second <= 59;
    if (!valid)
        return std::nullopt;
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    fields.tm_isdst = -1;
    const std::time_t moment = std::mktime(&fields);
    if (moment == static_cast<std::time_t>(-1))
        return std::nullopt;
    return static_cast<std::int64_t>(moment);
}

}  // namespace tramlet
