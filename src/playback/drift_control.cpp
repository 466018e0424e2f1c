#include "playback/drift_control.h"

#include <algorithm>
#include <cstdlib>

namespace tramlet {
namespace {

// A tenth faster or slower is not visible in a car's picture, and removes
// the drift that start-up and decoding hiccups leave within a few seconds.
constexpr double kMaxRateChange = 0.10;
// Beyond a second of recording a nudge would take too long: seek instead.
constexpr std::int64_t kSeekBeyond = 10'000'000;

}  // namespace

DriftCorrection CorrectDrift(std::int64_t selected, std::int64_t other, double rate,
                             std::int64_t frameDuration) {
    const std::int64_t ahead = other - selected;
    if (std::llabs(ahead) * 2 <= frameDuration)
        return {};
    if (std::llabs(ahead) > kSeekBeyond)
        return {1.0, selected};
    // Closing `ahead` within one second of wall time at this rate.
    const double change = static_cast<double>(ahead) / 1e7 / std::max(rate, 1.0);
    return {1.0 - std::clamp(change, -kMaxRateChange, kMaxRateChange), std::nullopt};
}

}  // namespace tramlet
