#include "app/window_layout.h"

namespace tramlet {

PixelRect PlaceControl(const PixelRect& base, Growth growth, int dw, int dh) {
    const int videoWidth = dw * kVideoShareOfWidth / 4;
    PixelRect placed = base;
    // The column: the video's widens by its share; the map's moves right by
    // it and takes the rest; the footer spans both and keeps its width.
    if (growth == Growth::kVideo || growth == Growth::kUnderVideo) {
        placed.right += videoWidth;
    } else if (growth == Growth::kMap || growth == Growth::kUnderMap) {
        placed.left += videoWidth;
        placed.right += dw;
    }
    // The row: the top one grows taller; everything under it moves down.
    if (growth != Growth::kVideo && growth != Growth::kMap)
        placed.top += dh;
    placed.bottom += dh;
    return placed;
}

}  // namespace tramlet
