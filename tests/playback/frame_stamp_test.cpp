#include "playback/frame_stamp_reader.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <tuple>

#include "frame_stamp_printer.h"
#include "stamp_picture.h"

namespace tramlet {
namespace {

using test::StampPicture;

constexpr FrameStamp kStamps[] = {
    {0, 0}, {1, 1}, {4, 12345}, {7, FrameStamp::kMaxFrame}, {2, 0x155555}, {3, 0x0AAAAA}};

// Stamps of every value read back at the smallest module width the reader
// promises, at the simulator's, and in every pixel layout.
class StampRoundTrip : public testing::TestWithParam<std::tuple<FrameStamp, int, PixelFormat>> {};

TEST_P(StampRoundTrip, ReadsWhatWasPainted) {
    const auto [stamp, module, format] = GetParam();
    StampPicture picture(100 * module, 40);
    picture.Paint(stamp, 2 * module + 3, 10, module);
    const auto found = FindFrameStamps(picture.View(format));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].stamp, stamp);
    EXPECT_EQ(found[0].x, 4 * module + 3);
    EXPECT_EQ(found[0].y, 10);
    EXPECT_DOUBLE_EQ(found[0].moduleWidth, module);
}

INSTANTIATE_TEST_SUITE_P(Values, StampRoundTrip,
                         testing::Combine(testing::ValuesIn(kStamps), testing::Values(2, 3, 8),
                                          testing::Values(PixelFormat::kGrey8, PixelFormat::kRgb24,
                                                          PixelFormat::kRgb32)));

// A picture shown in a window or saved as a screenshot is rarely at its own
// size: the edges of the modules blur and their widths stop being whole.
struct ScaleCase {
    const char* name;
    int width;
    int height;
};

void PrintTo(const ScaleCase& c, std::ostream* os) {
    *os << c.name;
}

class ScaledStamp : public testing::TestWithParam<ScaleCase> {};

TEST_P(ScaledStamp, SurvivesScaling) {
    const ScaleCase& c = GetParam();
    for (const FrameStamp& stamp : kStamps) {
        StampPicture picture(640, 360);
        picture.Paint(stamp, 20, 320, 8);
        EXPECT_EQ(ReadFrameStamp(picture.Scaled(c.width, c.height).View(PixelFormat::kRgb32)),
                  stamp)
            << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, ScaledStamp,
    testing::Values(ScaleCase{"quarter_cell", 200, 113}, ScaleCase{"odd_ratio", 242, 136},
                    ScaleCase{"half", 320, 180}, ScaleCase{"three_quarters", 480, 270},
                    ScaleCase{"nearly_same", 636, 358}, ScaleCase{"up_by_a_fifth", 768, 432},
                    ScaleCase{"full_hd", 1920, 1080}, ScaleCase{"squeezed", 500, 360}),
    [](const testing::TestParamInfo<ScaleCase>& info) { return info.param.name; });

TEST(FrameStampReader, FindsEveryPlayerOfAFourChannelScreen) {
    StampPicture screen(1300, 760);
    screen.Paint({1, 500}, 10, 300, 8);
    screen.Paint({2, 500}, 660, 300, 8);
    screen.Paint({3, 501}, 10, 680, 8);
    screen.Paint({4, 499}, 660, 680, 8);
    const auto found = FindFrameStamps(screen.View(PixelFormat::kRgb32));
    ASSERT_EQ(found.size(), 4u);
    EXPECT_EQ(found[0].stamp, (FrameStamp{1, 500}));
    EXPECT_EQ(found[1].stamp, (FrameStamp{2, 500}));
    EXPECT_EQ(found[2].stamp, (FrameStamp{3, 501}));
    EXPECT_EQ(found[3].stamp, (FrameStamp{4, 499}));
}

// What must not be taken for a stamp: pictures without one, and stamps that
// lost a bit or part of their row.
TEST(FrameStampReader, ReadsNothingFromPicturesWithoutAWholeStamp) {
    StampPicture plain(640, 360);
    EXPECT_FALSE(ReadFrameStamp(plain.View(PixelFormat::kGrey8)));

    StampPicture noise(640, 360);
    std::mt19937 random(7);
    for (int y = 0; y < noise.Height(); ++y) {
        for (int x = 0; x < noise.Width(); ++x)
            noise.Set(x, y, static_cast<std::uint8_t>(random() & 0xFF));
    }
    EXPECT_TRUE(FindFrameStamps(noise.View(PixelFormat::kGrey8)).empty());

    // Flipping both halves of a data bit keeps the Manchester code valid;
    // only the check sum can tell.
    const int module = 4;
    const FrameStamp stamp{2, 1000};
    const std::vector<bool> modules = FrameStampModules(stamp);
    StampPicture flipped(400, 40);
    flipped.Paint(stamp, 8, 10, module);
    ASSERT_EQ(ReadFrameStamp(flipped.View(PixelFormat::kGrey8)), stamp);
    const size_t firstHalf = 4 + 2 * 10;  // data bit 10, behind the start guard
    for (size_t m = firstHalf; m < firstHalf + 2; ++m) {
        const int left = 8 + (kFrameStampQuietModules + static_cast<int>(m)) * module;
        for (int y = 10; y < 10 + 3 * module; ++y) {
            for (int x = left; x < left + module; ++x)
                flipped.Set(x, y, modules[m] ? 235 : 16);
        }
    }
    EXPECT_FALSE(ReadFrameStamp(flipped.View(PixelFormat::kGrey8)));

    StampPicture cut(8 + 70 * module, 40);
    cut.Paint(stamp, 8, 10, module);
    EXPECT_FALSE(ReadFrameStamp(cut.View(PixelFormat::kGrey8)));
}

TEST(FrameStampReader, ReadsNothingFromAnEmptyView) {
    EXPECT_TRUE(FindFrameStamps(ImageView{}).empty());
}

TEST(FrameStamp, RefusesValuesItCannotCarry) {
    EXPECT_THROW(FrameStampModules({FrameStamp::kMaxChannel + 1, 0}), std::out_of_range);
    EXPECT_THROW(FrameStampModules({1, FrameStamp::kMaxFrame + 1}), std::out_of_range);
    EXPECT_THROW(FrameStampModules({1, -1}), std::out_of_range);
}

}  // namespace
}  // namespace tramlet
