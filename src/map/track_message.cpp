#include "map/track_message.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "gps/coordinate_text.h"
#include "map/track_decimation.h"

namespace tramlet {
namespace {

constexpr int kLongestGap = 10;

std::string Point(int second, double latitude, double longitude, double speedKmh) {
    char time[16];
    std::snprintf(time, sizeof time, "\t%02d%02d%02d", second / 3600, second / 60 % 60,
                  second % 60);
    return time + ('\t' + CoordinateText(latitude)) + '\t' + CoordinateText(longitude) + '\t' +
           CoordinateText(speedKmh);
}

// The fixes of the day, and which must stay: the first and last fix of each
// recording and the fixes on both sides of a gap.
void CollectFixes(const DayList& recordings, const GpsTable& gps, std::vector<TrackFix>& fixes,
                  std::vector<bool>& keep) {
    for (int second = 0; second < GpsTable::kSecondsPerDay; ++second) {
        if (const GpsEntry* fix = gps.FixAt(second)) {
            const bool afterGap = !fixes.empty() && second - fixes.back().second > kLongestGap;
            if (afterGap)
                keep.back() = true;
            fixes.push_back({second, fix->latitude, fix->longitude, fix->speedKmh});
            keep.push_back(afterGap);
        }
    }
    // The fixes are in time order: each recording's lie between two bounds.
    const auto before = [](const TrackFix& fix, std::int64_t second) {
        return fix.second < second;
    };
    for (const DayTime& recording : recordings) {
        const auto first =
            std::lower_bound(fixes.begin(), fixes.end(), recording.StartSecond(), before);
        const auto end = std::lower_bound(first, fixes.end(), recording.EndSecond(), before);
        if (first != end) {
            keep[static_cast<size_t>(first - fixes.begin())] = true;
            keep[static_cast<size_t>(end - fixes.begin() - 1)] = true;
        }
    }
}

}  // namespace

std::string BuildTrackMessage(const CalendarDate& date, const DayList& recordings,
                              const GpsTable& gps) {
    char head[16];
    std::snprintf(head, sizeof head, "4\t%04d%02d%02d", date.year, date.month, date.day);
    std::string message = head;
    std::vector<TrackFix> fixes;
    std::vector<bool> keep;
    CollectFixes(recordings, gps, fixes, keep);
    const DecimatedTrack track = DecimateTrack(fixes, keep, kMaxTrackPoints);
    for (size_t i = 0; i < track.kept.size(); ++i) {
        const TrackFix& fix = fixes[track.kept[i]];
        // Kept fixes may lie far apart on a straight road; only neighbours
        // in the log with no fix between them mark a gap.
        if (i > 0 && track.kept[i] == track.kept[i - 1] + 1 &&
            fix.second - fixes[track.kept[i - 1]].second > kLongestGap)
            message += Point(fixes[track.kept[i - 1]].second + 1, 0, 0, 0);
        message += Point(fix.second, fix.latitude, fix.longitude, fix.speed);
    }
    return message;
}

}  // namespace tramlet
