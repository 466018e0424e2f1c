#pragma once

#include "app/mark_bar_layout.h"

namespace tramlet {

// How a control of the main window follows the window's size. The video
// area and the map share the room beyond the designed size; the transport,
// the calendar and the time sliders keep theirs and stay at the foot.
enum class Growth {
    kVideo,
    kMap,         // beside the video: the rest of the width, all the height
    kUnderVideo,  // the timeline: widens with the video and stays under it
    kUnderMap,    // widens with the map and stays under it
    kFooter,
};

// The share of the extra width that goes to the video area, in quarters.
inline constexpr int kVideoShareOfWidth = 3;

// Where a control designed at `base` goes in a window `dw` wider and `dh`
// taller than designed.
PixelRect PlaceControl(const PixelRect& base, Growth growth, int dw, int dh);

}  // namespace tramlet
