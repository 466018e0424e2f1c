#include "app/mark_bar_layout.h"

namespace tramlet {
namespace {

constexpr int kMinuteBarOffset = 40;
constexpr int kSecondBarOffset = 79;
constexpr int kBarsBelowAnchor = 119;
// Bars with many cells number only every fifth one.
constexpr int kDenseBar = 30;

PixelRect MovedDown(PixelRect rect, int by) {
    rect.top += by;
    rect.bottom += by;
    return rect;
}

}  // namespace

MarkBarLayout LayOutMarkBar(std::span<const bool> marks, const PixelRect& area) {
    const int count = static_cast<int>(marks.size());
    MarkBarLayout layout;
    if (count == 0)
        return layout;
    const int step = (area.right - area.left) / count;
    for (int i = 1; i <= count; ++i) {
        if (count < kDenseBar || i % 5 == 0) {
            layout.numbers.push_back({i, area.left + i * step, area.top});
        }
    }
    layout.band = {area.left, area.top + kMarkBarTextHeight, area.right,
                   area.bottom + kMarkBarTextHeight};
    for (int i = 0; i < count; ++i) {
        if (!marks[static_cast<size_t>(i)])
            continue;
        // The first pixel of a cell stays band-coloured to part neighbours.
        layout.marks.push_back({area.left + i * step + 1, layout.band.top,
                                area.left + (i + 1) * step, layout.band.bottom});
    }
    return layout;
}

std::vector<PixelRect> MarkBarAreas(const PixelRect& anchor) {
    return {anchor, MovedDown(anchor, kMinuteBarOffset), MovedDown(anchor, kSecondBarOffset)};
}

PixelRect MarkBarsExtent(const PixelRect& anchor) {
    return {anchor.left, anchor.top, anchor.right, anchor.bottom + kBarsBelowAnchor};
}

}  // namespace tramlet
