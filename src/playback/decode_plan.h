#pragma once

#include <cstdint>

namespace tramlet {

// What the channels decode while playing, so that together they fit the
// machine: every frame; every frame without the loop filter; or key frames
// only, without it too, stepped to by a clock.
enum class DecodePlan { kEveryFrame, kLight, kKeyFrames };

// `pixelRate` is the pixels the shown channels hold per second of recording;
// `cores` the processor cores the decoders share.
DecodePlan ChooseDecodePlan(double rate, std::int64_t pixelRate, unsigned cores);

}  // namespace tramlet
