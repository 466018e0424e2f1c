#pragma once

#include <cstdint>
#include <vector>

#include "bitmap_font.h"

namespace tramlet::simcard {

// A picture in the planar 4:2:0 layout the encoder takes: full-size luma,
// chroma at half width and half height.
struct I420Picture {
    I420Picture(int w, int h)
        : width(w), height(h), y(static_cast<size_t>(w) * h), u(y.size() / 4), v(y.size() / 4) {}

    Plane Luma() { return {y.data(), width, height, width}; }
    Plane ChromaU() { return {u.data(), width / 2, height / 2, width / 2}; }
    Plane ChromaV() { return {v.data(), width / 2, height / 2, width / 2}; }

    int width;
    int height;
    std::vector<std::uint8_t> y;
    std::vector<std::uint8_t> u;
    std::vector<std::uint8_t> v;
};

}  // namespace tramlet::simcard
