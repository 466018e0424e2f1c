#include "playback/decode_plan.h"

#include <algorithm>

namespace tramlet {
namespace {

// One core decodes about 320 million pixels a second of busy 1080p or 720p
// H.264 (bench/playback_bench's noisy clips); half of each core is left for
// drawing the pictures and for the window.
constexpr double kPixelsPerCoreSecond = 160e6;
// Key frames a second apart give at most as many new pictures a second of
// wall time as the speed: below 8x that is too few to see motion in, so an
// overloaded machine decodes lightly instead, and falls behind a little.
constexpr double kKeyFramesFrom = 8.0;

}  // namespace

DecodePlan ChooseDecodePlan(double rate, std::int64_t pixelRate, unsigned cores) {
    const double decoded = rate * static_cast<double>(pixelRate);
    if (decoded <= kPixelsPerCoreSecond * std::max(cores, 1u))
        return DecodePlan::kEveryFrame;
    return rate < kKeyFramesFrom ? DecodePlan::kLight : DecodePlan::kKeyFrames;
}

}  // namespace tramlet
