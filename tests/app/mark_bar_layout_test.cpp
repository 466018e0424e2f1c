#include "app/mark_bar_layout.h"

#include <gtest/gtest.h>

#include <array>

namespace tramlet {
namespace {

constexpr int L = 100;
constexpr int T = 50;
const PixelRect kAnchor{L, T, L + 706, T + 14};

TEST(MarkBar, HoursNumberEveryBoundaryAndFillMarkedCells) {
    std::array<bool, 24> hours{};
    hours[13] = true;
    const MarkBarLayout bar = LayOutMarkBar(hours, kAnchor);
    ASSERT_EQ(bar.numbers.size(), 24u);
    EXPECT_EQ(bar.numbers.front(), (MarkBarNumber{1, L + 29, T}));
    EXPECT_EQ(bar.numbers.back(), (MarkBarNumber{24, L + 696, T}));
    EXPECT_EQ(bar.band, (PixelRect{L, T + 10, L + 706, T + 24}));
    ASSERT_EQ(bar.marks.size(), 1u);
    EXPECT_EQ(bar.marks[0], (PixelRect{L + 378, T + 10, L + 406, T + 24}));
}

TEST(MarkBar, MinutesNumberEveryFifthAndLeaveTheRemainderPlain) {
    std::array<bool, 60> minutes{};
    minutes.fill(true);
    const MarkBarLayout bar = LayOutMarkBar(minutes, kAnchor);
    ASSERT_EQ(bar.numbers.size(), 12u);
    for (size_t i = 0; i < bar.numbers.size(); ++i) {
        const int number = static_cast<int>(i + 1) * 5;
        EXPECT_EQ(bar.numbers[i], (MarkBarNumber{number, L + number * 11, T}));
    }
    ASSERT_EQ(bar.marks.size(), 60u);
    EXPECT_EQ(bar.marks[0].left, L + 1);
    EXPECT_EQ(bar.marks.back().right, L + 660);  // the last 46 pixels stay band
}

TEST(MarkBar, NoMarksLeaveThePlainBand) {
    std::array<bool, 60> none{};
    EXPECT_TRUE(LayOutMarkBar(none, kAnchor).marks.empty());
}

TEST(MarkBar, ThreeBarsBelowTheAnchor) {
    const std::vector<PixelRect> areas = MarkBarAreas(kAnchor);
    ASSERT_EQ(areas.size(), 3u);
    EXPECT_EQ(areas[1].top, T + 40);
    EXPECT_EQ(areas[2].top, T + 79);
    EXPECT_EQ(areas[2].bottom, T + 14 + 79);
    EXPECT_EQ(MarkBarsExtent(kAnchor), (PixelRect{L, T, L + 706, T + 14 + 119}));
}

}  // namespace
}  // namespace tramlet
