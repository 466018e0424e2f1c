#pragma once

#include <cmath>
#include <cstdio>
#include <string>

namespace tramlet::test {

// A straight road due east from 10:00:00 to 10:01:40, a fix every second:
// stopped at both ends, 42 to 66 km/h between them. Its route keeps only the
// two ends.
constexpr int kRoadStart = 36000, kRoadEnd = 36100;

inline double RoadLongitude(int second) {
    return 127.0 + (second - kRoadStart) * 1.5e-4;
}

inline std::string StraightFastRoadLog() {
    std::string log;
    for (int s = kRoadStart; s <= kRoadEnd; ++s) {
        const double speed = s == kRoadStart || s == kRoadEnd ? 0 : 54 + 12 * std::sin(s);
        char line[96];
        std::snprintf(line, sizeof line, "%02d%02d%02d 37.500000 %.6f %.1f 90\n", s / 3600,
                      s / 60 % 60, s % 60, RoadLongitude(s), speed);
        log += line;
    }
    return log;
}

}  // namespace tramlet::test
