#include "map/track_decimation.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <functional>
#include <limits>

namespace tramlet {
namespace {

constexpr double kMetresPerDegree = 111320.0;
constexpr double kDegreesToRadians = 3.14159265358979323846 / 180.0;
constexpr double kMinTolerance = 1.0;
constexpr double kFarthest = std::numeric_limits<double>::max();

struct Flat {
    double x, y;
};

// East-west degrees shrink with the latitude. A latitude off the globe has no
// such scale, and clamping it spares cos() its slow path on huge arguments.
double LongitudeScale(double latitude) {
    return std::cos(std::clamp(latitude, -90.0, 90.0) * kDegreesToRadians);
}

// Near enough for a day's drive.
Flat ToFlat(const TrackFix& fix, double longitudeScale) {
    return {fix.longitude * kMetresPerDegree * longitudeScale, fix.latitude * kMetresPerDegree};
}

double SegmentDistance(const TrackFix& p, const TrackFix& a, const TrackFix& b, double scale) {
    const Flat fp = ToFlat(p, scale), fa = ToFlat(a, scale), fb = ToFlat(b, scale);
    const double dx = fb.x - fa.x, dy = fb.y - fa.y;
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0 ? ((fp.x - fa.x) * dx + (fp.y - fa.y) * dy) / length2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(fp.x - (fa.x + t * dx), fp.y - (fa.y + t * dy));
}

// A distance that overflowed, or came out of infinities as NaN, is as far as
// a distance can be: such a fix ranks first, but within the budget.
double Ranked(double distance) {
    return distance <= kFarthest ? distance : kFarthest;
}

bool IsEnd(const std::vector<bool>& keep, size_t i, size_t count) {
    return i == 0 || i + 1 == count || (i < keep.size() && keep[i]);
}

struct Span {
    size_t from, to;  // both kept above this span
    double above;     // the survival of the split that made it
    unsigned depth;
};

struct Split {
    double farthest = -1;
    size_t at = 0;
};

// The fix farthest off the span's chord; of equal ones the nearest the
// middle, so that a parked car's identical fixes halve the span.
Split Farthest(const std::vector<TrackFix>& fixes, const std::vector<double>& scales,
               const Span& span) {
    const size_t middle = span.from + (span.to - span.from) / 2;
    const auto offMiddle = [middle](size_t i) { return i > middle ? i - middle : middle - i; };
    Split split;
    for (size_t i = span.from + 1; i < span.to; ++i) {
        const double d =
            Ranked(SegmentDistance(fixes[i], fixes[span.from], fixes[span.to], scales[span.from]));
        if (d > split.farthest || (d == split.farthest && offMiddle(i) < offMiddle(split.at))) {
            split = {d, i};
        }
    }
    return split;
}

// How large a tolerance each fix survives. Douglas-Peucker splits a span at
// its farthest fix whatever the tolerance, so the spans are the same for all
// tolerances: a fix is kept exactly when its own distance and those of all
// the splits above it exceed the tolerance. One pass then serves them all.
// Spans at one depth do not overlap, so each depth costs at most one look at
// every fix. Past 2 log2 n depths a span is halved at its middle fix instead:
// that fix survives what the farthest would have, which keeps the bound on
// the dropped fixes, and the depth, and with it the work, stays O(n log n)
// for any shape of track. Iterative, so that no track can overflow the stack.
std::vector<double> Survival(const std::vector<TrackFix>& fixes, const std::vector<bool>& keep,
                             size_t& work) {
    const size_t count = fixes.size();
    std::vector<double> scales(count);
    for (size_t i = 0; i < count; ++i)
        scales[i] = LongitudeScale(fixes[i].latitude);
    std::vector<double> survival(count, 0);
    const unsigned deepest = 2 * static_cast<unsigned>(std::bit_width(count)) + 4;
    // The line is never drawn across a fix that must stay.
    std::vector<Span> spans;
    for (size_t from = 0, i = 1; i < count; ++i) {
        if (IsEnd(keep, i, count)) {
            spans.push_back({from, i, kFarthest, 0});
            from = i;
        }
    }
    while (!spans.empty()) {
        const Span span = spans.back();
        spans.pop_back();
        if (span.to - span.from < 2)
            continue;
        Split split = Farthest(fixes, scales, span);
        work += span.to - span.from - 1;
        if (split.farthest <= kMinTolerance)
            continue;  // no tolerance drops less than this, so nothing inside stays
        if (span.depth >= deepest)
            split.at = span.from + (span.to - span.from) / 2;
        const double survives = std::min(split.farthest, span.above);
        survival[split.at] = survives;
        spans.push_back({span.from, split.at, survives, span.depth + 1});
        spans.push_back({split.at, span.to, survives, span.depth + 1});
    }
    return survival;
}

}  // namespace

double DistanceToSegment(const TrackFix& p, const TrackFix& a, const TrackFix& b) {
    return SegmentDistance(p, a, b, LongitudeScale(a.latitude));
}

size_t DecimationWorkBound(size_t count) {
    return count * (3 * static_cast<size_t>(std::bit_width(count)) + 5);
}

DecimatedTrack DecimateTrack(const std::vector<TrackFix>& fixes, const std::vector<bool>& keep,
                             size_t maxPoints) {
    DecimatedTrack track;
    const size_t count = fixes.size();
    if (count == 0)
        return track;
    const std::vector<double> survival = Survival(fixes, keep, track.work);
    // The tolerance is the survival of the first fix that no longer fits
    // beside those that must stay.
    size_t ends = 0;
    std::vector<double> candidates;
    for (size_t i = 0; i < count; ++i) {
        if (IsEnd(keep, i, count))
            ++ends;
        else if (survival[i] > kMinTolerance)
            candidates.push_back(survival[i]);
    }
    const size_t room = maxPoints > ends ? maxPoints - ends : 0;
    track.tolerance = kMinTolerance;
    if (candidates.size() > room) {
        const auto cut = candidates.begin() + static_cast<std::ptrdiff_t>(room);
        std::nth_element(candidates.begin(), cut, candidates.end(), std::greater<>());
        track.tolerance = *cut;
    }
    for (size_t i = 0; i < count; ++i) {
        if (IsEnd(keep, i, count) || survival[i] > track.tolerance)
            track.kept.push_back(i);
    }
    return track;
}

}  // namespace tramlet
