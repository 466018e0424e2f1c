#pragma once

#include <cstdint>

namespace tramlet {

// Byte layouts of the pictures handed to the stamp reader. The colour
// channels are averaged, so their order does not matter: RGB and BGR read
// alike, and in the 32-bit layout the fourth byte (alpha or padding, as in
// RGBA, BGRA or a little-endian 0xAARRGGBB word) is ignored.
enum class PixelFormat { kGrey8, kRgb24, kRgb32 };

// A picture in memory that the caller owns; stride is the distance in bytes
// from one row to the next.
struct ImageView {
    const std::uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
    PixelFormat format = PixelFormat::kGrey8;
};

}  // namespace tramlet
