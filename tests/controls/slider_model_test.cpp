#include "controls/slider_model.h"

#include <gtest/gtest.h>

#include <vector>

namespace tramlet {
namespace {

using Kind = SliderNotice::Kind;

SliderModel Slider(int minimum, int maximum, int width, int thumbWidth, int shift = 0) {
    SliderModel slider;
    slider.SetDrawingSize(width, 14);
    slider.SetThumbSize(thumbWidth, 14);
    slider.SetRange(minimum, maximum);
    slider.SetPointerShiftX(shift);
    slider.SetPosition(minimum);
    return slider;
}

struct MappingCase {
    int minimum, maximum, width, thumb;
    int position, pixel;          // position -> pixel
    int backPixel, backPosition;  // pixel -> position before clamping
};

class SliderMappingTest : public testing::TestWithParam<MappingCase> {};

TEST_P(SliderMappingTest, MapsPositionsAndPixels) {
    const MappingCase& c = GetParam();
    const SliderModel slider = Slider(c.minimum, c.maximum, c.width, c.thumb);
    EXPECT_EQ(slider.PositionToPixel(c.position), c.pixel);
    EXPECT_EQ(slider.PixelToPosition(c.backPixel), c.backPosition);
}

INSTANTIATE_TEST_SUITE_P(Cases, SliderMappingTest,
                         testing::Values(MappingCase{0, 100, 733, 14, 50, 366, 366, 49},
                                         MappingCase{-10000, 0, 120, 13, 0, 113, 6, -10000},
                                         MappingCase{-10000, 0, 120, 13, -10000, 6, 113, 0},
                                         MappingCase{-10000, 0, 120, 13, 0, 113, 114, 93},
                                         // Left of the travel truncates toward zero.
                                         MappingCase{0, 100, 733, 14, 0, 7, 0, 0},
                                         MappingCase{1, 8, 120, 13, 8, 113, 60, 4}));

TEST(SliderModel, SetPositionClamps) {
    SliderModel slider = Slider(0, 100, 733, 14);
    slider.SetPosition(200);
    EXPECT_EQ(slider.Position(), 100);
    slider.SetPosition(-5);
    EXPECT_EQ(slider.Position(), 0);
    slider.SetRange(10, 20);
    EXPECT_EQ(slider.Position(), 10);
}

TEST(SliderModel, PressOnTheThumbKeepsItAndElsewhereJumps) {
    SliderModel slider = Slider(0, 100, 733, 14);
    slider.SetPosition(50);  // centre 366
    EXPECT_EQ(slider.Press(372, 5), std::nullopt);
    EXPECT_EQ(slider.Position(), 50);
    EXPECT_EQ(slider.Move(380, 5), (SliderNotice{Kind::kDrag, 51}));  // 374 with the grab
    EXPECT_EQ(slider.Release(), (SliderNotice{Kind::kDone, 51}));

    EXPECT_EQ(slider.Press(600, 5), (SliderNotice{Kind::kDrag, 82}));
    EXPECT_TRUE(slider.Dragging());
    EXPECT_EQ(slider.Move(2000, 5), (SliderNotice{Kind::kDrag, 100}));  // held to the travel
    EXPECT_EQ(slider.Move(-50, 5), (SliderNotice{Kind::kDrag, 0}));
    EXPECT_EQ(slider.Move(-60, 5), std::nullopt);  // already at the start pixel
}

TEST(SliderModel, PointerShiftKeepsTheThumbRightOfThePointer) {
    SliderModel hour = Slider(0, 23, 703, 29, -14);
    // Away from the thumb: its centre goes 14 pixels right of the pointer.
    ASSERT_TRUE(hour.Press(300, 5));
    EXPECT_EQ(hour.PositionToPixel(hour.Position()),
              hour.PositionToPixel(hour.PixelToPosition(314)));
    EXPECT_EQ(hour.Position(), hour.PixelToPosition(314));
    hour.Move(400, 5);
    EXPECT_EQ(hour.Position(), hour.PixelToPosition(414));
    // The shift cannot push the thumb past the end of the travel.
    hour.Move(700, 5);
    EXPECT_EQ(hour.Position(), 23);
}

TEST(SliderModel, ReleaseWithoutPressStillReports) {
    SliderModel slider = Slider(0, 59, 703, 11);
    slider.SetPosition(17);
    EXPECT_EQ(slider.Release(), (SliderNotice{Kind::kDone, 17}));
    EXPECT_EQ(slider.Move(300, 5), std::nullopt);  // no drag without a press
}

struct KeyCase {
    int minimum, maximum, start;
    SliderKey key;
    int result;
};

class SliderKeyTest : public testing::TestWithParam<KeyCase> {};

TEST_P(SliderKeyTest, MovesAndAlwaysReports) {
    const KeyCase& c = GetParam();
    SliderModel slider = Slider(c.minimum, c.maximum, 120, 13);
    slider.SetPosition(c.start);
    EXPECT_EQ(slider.Key(c.key), (SliderNotice{Kind::kDone, c.result}));
}

INSTANTIATE_TEST_SUITE_P(Cases, SliderKeyTest,
                         testing::Values(KeyCase{0, 23, 0, SliderKey::kHome, 0},
                                         KeyCase{0, 23, 23, SliderKey::kRight, 23},
                                         KeyCase{0, 23, 0, SliderKey::kLeft, 0},
                                         KeyCase{0, 23, 5, SliderKey::kDown, 6},
                                         KeyCase{0, 23, 5, SliderKey::kUp, 4},
                                         KeyCase{1, 8, 1, SliderKey::kPageDown, 8},
                                         KeyCase{0, 100, 50, SliderKey::kPageUp, 30},
                                         KeyCase{0, 100, 50, SliderKey::kEnd, 100}));

TEST(SliderModel, DisabledIgnoresInput) {
    SliderModel slider = Slider(0, 100, 733, 14);
    slider.SetEnabled(false);
    EXPECT_EQ(slider.Press(600, 5), std::nullopt);
    EXPECT_FALSE(slider.Dragging());
    EXPECT_EQ(slider.Key(SliderKey::kEnd), std::nullopt);
    EXPECT_EQ(slider.Release(), std::nullopt);
}

TEST(SliderModel, DegenerateGeometryStaysDefined) {
    SliderModel slider = Slider(5, 5, 10, 14);
    EXPECT_EQ(slider.PositionToPixel(5), 7);
    EXPECT_EQ(slider.PixelToPosition(100), 5);
}

TEST(SliderModel, VerticalTravelsDown) {
    SliderModel slider;
    slider.SetVertical(true);
    slider.SetDrawingSize(14, 120);
    slider.SetThumbSize(14, 13);
    slider.SetRange(0, 10);
    EXPECT_EQ(slider.PositionToPixel(10), 113);
    EXPECT_EQ(slider.Press(3, 500), (SliderNotice{Kind::kDrag, 10}));
}

}  // namespace
}  // namespace tramlet
