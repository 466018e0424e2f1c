#include "map/track_decimation.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>

namespace tramlet {
namespace {

constexpr double kMetresPerDegree = 111320.0;
constexpr double kDegreesToRadians = 3.14159265358979323846 / 180.0;
constexpr double kMinTolerance = 1.0;
constexpr double kAlways = std::numeric_limits<double>::infinity();

struct Flat {
    double x, y;
};

// Near enough for a day's drive: east-west degrees shrink with the latitude.
Flat ToFlat(const TrackFix& fix, double latitudeScale) {
    return {fix.longitude * kMetresPerDegree * latitudeScale, fix.latitude * kMetresPerDegree};
}

// How large a tolerance each fix survives. Douglas-Peucker splits a span at
// its farthest fix whatever the tolerance, so the spans are the same for all
// tolerances: a fix is kept exactly when its own distance and those of all
// the splits above it exceed the tolerance. One pass then serves them all.
// Iterative, so that a day of 86,400 fixes cannot overflow the stack.
std::vector<double> Survival(const std::vector<TrackFix>& fixes, const std::vector<bool>& keep) {
    std::vector<double> survival(fixes.size(), 0);
    for (size_t i = 0; i < fixes.size() && i < keep.size(); ++i)
        survival[i] = keep[i] ? kAlways : 0;
    survival.front() = survival.back() = kAlways;
    // The line is never drawn across a fix that must stay.
    std::vector<std::tuple<size_t, size_t, double>> spans;
    for (size_t from = 0, i = 1; i < fixes.size(); ++i) {
        if (survival[i] == kAlways) {
            spans.emplace_back(from, i, kAlways);
            from = i;
        }
    }
    while (!spans.empty()) {
        const auto [a, b, above] = spans.back();
        spans.pop_back();
        if (b - a < 2)
            continue;
        double farthest = -1;
        size_t at = a + 1;
        for (size_t i = a + 1; i < b; ++i) {
            const double d = DistanceToSegment(fixes[i], fixes[a], fixes[b]);
            if (d > farthest) {
                farthest = d;
                at = i;
            }
        }
        survival[at] = std::min(farthest, above);
        spans.emplace_back(a, at, survival[at]);
        spans.emplace_back(at, b, survival[at]);
    }
    return survival;
}

}  // namespace

double DistanceToSegment(const TrackFix& p, const TrackFix& a, const TrackFix& b) {
    const double scale = std::cos(a.latitude * kDegreesToRadians);
    const Flat fp = ToFlat(p, scale), fa = ToFlat(a, scale), fb = ToFlat(b, scale);
    const double dx = fb.x - fa.x, dy = fb.y - fa.y;
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0 ? ((fp.x - fa.x) * dx + (fp.y - fa.y) * dy) / length2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(fp.x - (fa.x + t * dx), fp.y - (fa.y + t * dy));
}

DecimatedTrack DecimateTrack(const std::vector<TrackFix>& fixes, const std::vector<bool>& keep,
                             size_t maxPoints) {
    DecimatedTrack track;
    if (fixes.empty())
        return track;
    const std::vector<double> survival = Survival(fixes, keep);
    // The tolerance is the survival of the first fix that no longer fits.
    std::vector<double> sorted = survival;
    std::sort(sorted.begin(), sorted.end(), std::greater<>());
    track.tolerance = std::max(kMinTolerance, maxPoints < sorted.size() ? sorted[maxPoints] : 0.0);
    for (size_t i = 0; i < fixes.size(); ++i) {
        if (survival[i] == kAlways || survival[i] > track.tolerance)
            track.kept.push_back(i);
    }
    return track;
}

}  // namespace tramlet
