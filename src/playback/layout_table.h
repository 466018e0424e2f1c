#pragma once

#include <array>

namespace tramlet {

// Where one channel's picture goes in the video area, in its pixels.
struct LayoutCell {
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    friend bool operator==(const LayoutCell&, const LayoutCell&) = default;
};

// Row: number of channels in the recording minus one. Column: the channel's
// place among the recording's channels, in channel order.
using LayoutTable = std::array<std::array<LayoutCell, 4>, 4>;

// One channel fills the area, two sit side by side at half size centred
// vertically, three or four fill the quarters left to right, top to bottom.
LayoutTable BuildLayoutTable(int width, int height);

}  // namespace tramlet
