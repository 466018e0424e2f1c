#pragma once

#include <cstdint>
#include <optional>

namespace tramlet {

// What to do about one channel that runs beside the selected one: a rate
// factor that pulls it back over about a second, or an exact seek when it is
// too far off for that.
struct DriftCorrection {
    double rateFactor = 1.0;
    std::optional<std::int64_t> seekTo;
};

// Positions read at the same instant, in media time; `rate` is the speed
// both play at. Within half a frame nothing is corrected, so that channels
// already together play at exactly the same speed.
DriftCorrection CorrectDrift(std::int64_t selected, std::int64_t other, double rate,
                             std::int64_t frameDuration);

}  // namespace tramlet
