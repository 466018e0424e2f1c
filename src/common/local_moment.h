#pragma once

#include <cstdint>
#include <optional>

namespace tramlet {

// Seconds since 1970 of a local date and time, with daylight saving decided
// by the C library for that date. Fields that do not form a valid date and
// time (year before 1900, month outside 1..12, day outside 1..31, hour
// outside 0..23, minute or second outside 0..59) give no moment.
std::optional<std::int64_t> LocalMoment(int year, int month, int day, int hour, int minute,
                                        int second);

}  // namespace tramlet
