#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gps/gps_table.h"

namespace tramlet {

// Answers about the whole day behind the thinned-out route: the page knows
// only the points that were kept, the GPS table has every second.

// The second whose fix lies nearest the place and no more than `metres` from
// it, the earliest of equally near ones; none when no fix lies that near.
std::optional<int> NearestFixSecond(const GpsTable& gps, double latitude, double longitude,
                                    double metres);

// "HHMMSS\tvalue1\tvalue2\tvalue3" of that second's fix, numbers in the C locale.
std::string FixText(const GpsTable& gps, int second);

// Seconds of the day from "HHMMSS" times separated by tabs; none when any
// time is not six digits naming a second of the day.
std::optional<std::vector<int>> ParseTrackTimes(std::string_view text);

// For each stretch between neighbouring seconds, the mean speed (value3) of
// the fixes from the one to the other, both included, separated by tabs; an
// empty field for a stretch without fixes. Prefix sums keep it one pass over
// the day, however many stretches are asked for.
std::string MeanSpeedsText(const GpsTable& gps, const std::vector<int>& seconds);

}  // namespace tramlet
