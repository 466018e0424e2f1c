#pragma once

#include <cstddef>
#include <vector>

namespace tramlet {

struct TrackFix {
    int second = 0;  // of the day
    double latitude = 0;
    double longitude = 0;
    double speed = 0;  // km/h
};

struct DecimatedTrack {
    std::vector<size_t> kept;  // indices into the fixes, in order
    double tolerance = 0;      // metres: how far a dropped fix may lie off the line
};

// Douglas-Peucker on a day's fixes with the smallest tolerance (at least one
// metre) that keeps at most `maxPoints` fixes: every dropped fix lies within
// the tolerance of the line between the kept fixes around it. Fixes marked in
// `keep` are always kept, even beyond `maxPoints`.
DecimatedTrack DecimateTrack(const std::vector<TrackFix>& fixes, const std::vector<bool>& keep,
                             size_t maxPoints);

// Metres from `p` to the segment between `a` and `b`, on a local flat map.
double DistanceToSegment(const TrackFix& p, const TrackFix& a, const TrackFix& b);

}  // namespace tramlet
