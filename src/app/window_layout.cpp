#include "app/window_layout.h"

namespace tramlet {

PixelRect PlaceControl(const PixelRect& base, Growth growth, int dw, int dh) {
    const int videoWidth = dw * kVideoShareOfWidth / 4;
    PixelRect placed = base;
    switch (growth) {
        case Growth::kVideo:
            placed.right += videoWidth;
            placed.bottom += dh;
            break;
        case Growth::kMap:
            placed.left += videoWidth;
            placed.right += dw;
            placed.bottom += dh;
            break;
        case Growth::kUnderVideo:
            placed.right += videoWidth;
            placed.top += dh;
            placed.bottom += dh;
            break;
        case Growth::kUnderMap:
            placed.left += videoWidth;
            placed.right += dw;
            placed.top += dh;
            placed.bottom += dh;
            break;
        case Growth::kFooter:
            placed.top += dh;
            placed.bottom += dh;
            break;
    }
    return placed;
}

}  // namespace tramlet
