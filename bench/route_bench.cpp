// The day's route (page message 4) of a parked day, and the decimation of a
// day of fixes too far apart for a double to measure, each against a day of
// driving in the same run: whatever the log holds, the route costs what a
// real day's does, on the UI thread at every day selection.
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench_support.h"
#include "gps/gps_table.h"
#include "map/track_decimation.h"
#include "map/track_message.h"

namespace {

using namespace tramlet;

constexpr int kDay = GpsTable::kSecondsPerDay;

struct Place {
    double latitude, longitude, speed;
};

// A whole day of driving along a winding road, a fix every second.
Place Driving(int s) {
    const double t = s / 900.0;
    return {37.4 + 0.1 * std::sin(t) + 0.003 * std::sin(11 * t), 126.8 + s * 4e-6,
            50 + 40 * std::sin(3 * t)};
}

// A car parked all day with the recorder on.
Place Parked(int) {
    return {37.5665, 126.978, 0};
}

// Fixes no double measures between: distances overflow or come out NaN.
Place FarOff(int s) {
    const double far = (s % 3 ? 1e304 : 1e300) * (s % 2 ? -1 : 1);
    return {far, -far, 50};
}

std::string Log(const std::function<Place(int)>& place) {
    std::string log;
    log.reserve(kDay * 40);
    for (int s = 0; s < kDay; ++s) {
        const Place p = place(s);
        char line[96];
        std::snprintf(line, sizeof line, "%02d%02d%02d %.6f %.6f %.1f 0.0\n", s / 3600, s / 60 % 60,
                      s % 60, p.latitude, p.longitude, p.speed);
        log += line;
    }
    return log;
}

double RouteSeconds(const std::function<Place(int)>& place, const DayList& recordings) {
    GpsTable gps;
    gps.LoadGpsText(Log(place));
    size_t size = 0;
    const double seconds = bench::BestSeconds(5, [&] {
        size += BuildTrackMessage({2026, 12, 8}, recordings, gps).size();
    });
    std::printf("  (%zu bytes of route)\n", size / 5);
    return seconds;
}

double DecimationSeconds(const std::function<Place(int)>& place) {
    std::vector<TrackFix> fixes;
    for (int s = 0; s < kDay; ++s) {
        const Place p = place(s);
        fixes.push_back({s, p.latitude, p.longitude, p.speed});
    }
    const std::vector<bool> keep(fixes.size(), false);
    size_t kept = 0;
    const double seconds = bench::BestSeconds(
        5, [&] { kept += DecimateTrack(fixes, keep, kMaxTrackPoints).kept.size(); });
    std::printf("  (%zu fixes kept)\n", kept / 5);
    return seconds;
}

}  // namespace

int main() {
    DayList recordings;  // one every ten minutes
    for (int minute = 0; minute < 24 * 60; minute += 10)
        recordings.AddClip(minute / 60, minute % 60, 0, 0, 600);
    const double moving = RouteSeconds(Driving, recordings);
    const double parked = RouteSeconds(Parked, recordings);
    const double driven = DecimationSeconds(Driving);
    const double farOff = DecimationSeconds(FarOff);
    bool met = bench::ReportRatio("parked day's route", parked, "moving day's route", moving, 2.0);
    met &= bench::ReportRatio("far-off day's decimation", farOff, "moving day's decimation", driven,
                              2.0);
    return met ? 0 : 1;
}
