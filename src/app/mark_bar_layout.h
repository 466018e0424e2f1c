#pragma once

#include <span>
#include <vector>

namespace tramlet {

// Right and bottom edges are exclusive.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

struct MarkBarNumber {
    int number;
    int x;  // centre of the text
    int y;  // top of the text
    friend bool operator==(const MarkBarNumber&, const MarkBarNumber&) = default;
};

// One bar of recording marks: numbers over the cell boundaries, a band under
// them, and a green cell for each marked hour, minute or second.
struct MarkBarLayout {
    std::vector<MarkBarNumber> numbers;
    PixelRect band;
    std::vector<PixelRect> marks;
};

inline constexpr int kMarkBarTextHeight = 10;

// `area` is the anchor rectangle moved down to the bar's place. Cells are
// equally wide; what the integer width leaves over stays plain at the right.
MarkBarLayout LayOutMarkBar(std::span<const bool> marks, const PixelRect& area);

// The hour, minute and second bars below one anchor, top to bottom.
std::vector<PixelRect> MarkBarAreas(const PixelRect& anchor);
// Everything the three bars cover, for repainting them.
PixelRect MarkBarsExtent(const PixelRect& anchor);

}  // namespace tramlet
