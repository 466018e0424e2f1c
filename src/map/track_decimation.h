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
    // Distances measured on the way: at most about 3 n log2 n for n fixes,
    // whatever their shape, so that no log can stall the window.
    size_t work = 0;
};

// Douglas-Peucker on a day's fixes with the smallest tolerance (at least one
// metre) that keeps at most `maxPoints` fixes: every dropped fix lies within
// the tolerance of the line between the kept fixes around it. Fixes marked in
// `keep` are always kept, even beyond `maxPoints`; no other fix is, however
// far off it lies.
DecimatedTrack DecimateTrack(const std::vector<TrackFix>& fixes, const std::vector<bool>& keep,
                             size_t maxPoints);

// Metres from `p` to the segment between `a` and `b`, on a local flat map.
// Fixes too far apart for a double give infinity or NaN.
double DistanceToSegment(const TrackFix& p, const TrackFix& a, const TrackFix& b);

// The work bound DecimateTrack keeps for `count` fixes.
size_t DecimationWorkBound(size_t count);

}  // namespace tramlet
