#include "map/route_lookup.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "gps/coordinate_text.h"
#include "map/track_decimation.h"

namespace tramlet {

std::optional<int> NearestFixSecond(const GpsTable& gps, double latitude, double longitude,
                                    double metres) {
    const TrackFix place{0, latitude, longitude, 0};
    std::optional<int> nearest;
    double nearestMetres = metres;
    for (int second = 0; second < GpsTable::kSecondsPerDay; ++second) {
        const GpsEntry* fix = gps.FixAt(second);
        if (!fix)
            continue;
        // A zero-length segment: the distance between the two places.
        const double d =
            DistanceToSegment({second, fix->latitude, fix->longitude, 0}, place, place);
        if (d < nearestMetres || (!nearest && d == nearestMetres)) {
            nearest = second;
            nearestMetres = d;
        }
    }
    return nearest;
}

std::string FixText(const GpsTable& gps, int second) {
    const GpsEntry* fix = gps.FixAt(second);
    char time[16];
    std::snprintf(time, sizeof time, "%02d%02d%02d", second / 3600, second / 60 % 60, second % 60);
    if (!fix)
        return time;
    return time + ('\t' + CoordinateText(fix->latitude)) + '\t' + CoordinateText(fix->longitude) +
           '\t' + CoordinateText(fix->speedKmh);
}

std::optional<std::vector<int>> ParseTrackTimes(std::string_view text) {
    std::vector<int> seconds;
    while (!text.empty()) {
        const size_t end = std::min(text.find('\t'), text.size());
        const std::string_view time = text.substr(0, end);
        if (time.size() != 6 ||
            !std::all_of(time.begin(), time.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return std::nullopt;
        const auto two = [&](size_t at) { return (time[at] - '0') * 10 + (time[at + 1] - '0'); };
        if (two(0) > 23 || two(2) > 59 || two(4) > 59)
            return std::nullopt;
        seconds.push_back(two(0) * 3600 + two(2) * 60 + two(4));
        text.remove_prefix(end == text.size() ? end : end + 1);
    }
    return seconds;
}

std::string MeanSpeedsText(const GpsTable& gps, const std::vector<int>& seconds) {
    // Sums and counts of the fixes before each second. A speed no car shows
    // is counted at the most any could, so that one absurd line cannot turn
    // every later sum into infinity.
    constexpr double kFastest = 1e6;
    std::vector<double> sums(GpsTable::kSecondsPerDay + 1, 0);
    std::vector<int> counts(GpsTable::kSecondsPerDay + 1, 0);
    for (int s = 0; s < GpsTable::kSecondsPerDay; ++s) {
        const GpsEntry* fix = gps.FixAt(s);
        const bool counted = fix && !std::isnan(fix->speedKmh);
        sums[s + 1] = sums[s] + (counted ? std::clamp(fix->speedKmh, -kFastest, kFastest) : 0);
        counts[s + 1] = counts[s] + (counted ? 1 : 0);
    }
    std::string text;
    for (size_t i = 1; i < seconds.size(); ++i) {
        const int from = std::min(seconds[i - 1], seconds[i]);
        const int to = std::max(seconds[i - 1], seconds[i]) + 1;
        if (i > 1)
            text += '\t';
        if (const int fixes = counts[to] - counts[from])
            text += CoordinateText((sums[to] - sums[from]) / fixes);
    }
    return text;
}

}  // namespace tramlet
