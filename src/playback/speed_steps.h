#pragma once

#include <string>

namespace tramlet {

// The speed slider's steps: a quarter and a half of real speed, then 1 to 8
// times as fast, then 16 times. Steps 1 to 8 are the factor itself.
inline constexpr int kSlowestSpeedStep = -1;
inline constexpr int kNormalSpeedStep = 1;
inline constexpr int kFastestSpeedStep = 9;

double SpeedOfStep(int step);
// The step of a speed a player plays at; between steps, the one below it.
int StepOfSpeed(double speed);
// "¼×", "½×", "1×" … "16×".
std::string SpeedText(int step);

}  // namespace tramlet
