#include "playback/speed_steps.h"

#include <algorithm>

namespace tramlet {

double SpeedOfStep(int step) {
    step = std::clamp(step, kSlowestSpeedStep, kFastestSpeedStep);
    if (step < kNormalSpeedStep)
        return step == 0 ? 0.5 : 0.25;
    return step == kFastestSpeedStep ? 16.0 : step;
}

int StepOfSpeed(double speed) {
    for (int step = kFastestSpeedStep; step > kSlowestSpeedStep; --step) {
        if (speed >= SpeedOfStep(step))
            return step;
    }
    return kSlowestSpeedStep;
}

std::string SpeedText(int step) {
    step = std::clamp(step, kSlowestSpeedStep, kFastestSpeedStep);
    if (step < kNormalSpeedStep)
        return step == 0 ? "½×" : "¼×";
    return std::to_string(static_cast<int>(SpeedOfStep(step))) + "×";
}

}  // namespace tramlet
