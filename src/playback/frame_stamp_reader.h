#pragma once

#include <optional>
#include <vector>

#include "playback/frame_stamp.h"
#include "playback/image_view.h"

namespace tramlet {

struct FoundFrameStamp {
    FrameStamp stamp;
    int x = 0;  // left edge of the start guard, in pixels
    int y = 0;  // first row on which the stamp was read
    double moduleWidth = 0;
};

// Every stamp that can be read on the picture's rows, top to bottom and left
// to right, each once however many rows it covers. Works at any scale whose
// modules are at least two pixels wide.
std::vector<FoundFrameStamp> FindFrameStamps(const ImageView& image);

// The first stamp FindFrameStamps finds: the one of a single decoded frame.
std::optional<FrameStamp> ReadFrameStamp(const ImageView& image);

}  // namespace tramlet
