#pragma once

#include <array>
#include <cstdint>

namespace tramlet::simcard {

inline constexpr std::uint32_t kAviHeaderSize = 224;
inline constexpr std::uint32_t kSizeNotYetKnown = 0xFFFFFFFF;

// The recorder's single-stream header: RIFF, hdrl with avih, strl with strh
// and strf, and the movi list header, in 224 bytes.
struct AviHeaderFields {
    std::uint32_t riffSize = kSizeNotYetKnown;
    std::uint32_t moviSize = kSizeNotYetKnown;
    std::uint32_t totalFrames = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t rateMilli = 30000;
};

std::array<std::uint8_t, kAviHeaderSize> BuildAviHeader(const AviHeaderFields& fields);

}  // namespace tramlet::simcard
