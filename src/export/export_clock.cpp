#include "export/export_clock.h"

#include <cstdio>
#include <ctime>

#include "common/local_moment.h"

namespace tramlet::exporter {

std::string ClockText(const CalendarDate& date, int secondOfDay) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", date.year, date.month,
                  date.day, secondOfDay / 3600, secondOfDay / 60 % 60, secondOfDay % 60);
    return text;
}

std::string CreationTime(const CalendarDate& date, int secondOfDay) {
    const std::time_t moment =
        static_cast<std::time_t>(LocalMoment(date.year, date.month, date.day, secondOfDay / 3600,
                                             secondOfDay / 60 % 60, secondOfDay % 60)
                                     .value_or(0));
    std::tm utc{};
    gmtime_r(&moment, &utc);
    char text[64];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S.000000Z", &utc);
    return text;
}

}  // namespace tramlet::exporter
