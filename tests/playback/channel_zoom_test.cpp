#include "playback/channel_zoom.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tramlet {
namespace {

// A 16:9 picture fills a 640 x 360 cell.
constexpr int W = 640, H = 360;
constexpr double kAspect = 16.0 / 9.0;

// Where the picture's point (u, v), from its centre in picture sizes, shows.
double ShownX(const ChannelZoom& z, double u) {
    return W / 2.0 + (z.panX + u) * W * z.scale;
}

TEST(ChannelZoom, ThePartUnderThePointerStaysThereAndThePictureAlwaysFillsItsCell) {
    struct Case {
        double x, y, factor;
    };
    for (const Case& c : {Case{320, 180, 2}, Case{480, 90, 2}, Case{639, 359, 4}, Case{10, 20, 8}}) {
        const ChannelZoom zoomed = ZoomAround({}, c.x, c.y, W, H, kAspect, c.factor);
        EXPECT_DOUBLE_EQ(zoomed.scale, c.factor) << c.x;
        const double u = (c.x - W / 2.0) / W;
        // Near the edges the picture may not move that far: it stops at its edge.
        const double limit = (c.factor - 1) / (2 * c.factor);
        if (std::abs(-u + u / c.factor) <= limit) {
            EXPECT_NEAR(ShownX(zoomed, u), c.x, 1e-9) << c.x;
        }
        EXPECT_LE(std::abs(zoomed.panX), limit);
        EXPECT_LE(std::abs(zoomed.panY), limit);
    }
    // No further than eight times, and back to a whole picture.
    ChannelZoom z;
    for (int notch = 0; notch < 20; ++notch)
        z = ZoomAround(z, 100, 100, W, H, kAspect, 1.25);
    EXPECT_DOUBLE_EQ(z.scale, kMostZoom);
    for (int notch = 0; notch < 20; ++notch)
        z = ZoomAround(z, 100, 100, W, H, kAspect, 0.8);
    EXPECT_EQ(z, ChannelZoom{});
}

TEST(ChannelZoom, DraggingMovesThePictureWithThePointerUpToItsEdge) {
    const ChannelZoom twice{2, 0, 0};
    const ChannelZoom moved = PanBy(twice, 64, -36, W, H, kAspect);
    EXPECT_NEAR(moved.panX * W * 2, 64, 1e-9);
    EXPECT_NEAR(moved.panY * H * 2, -36, 1e-9);
    EXPECT_DOUBLE_EQ(PanBy(twice, 10000, 0, W, H, kAspect).panX, 0.25);
    EXPECT_EQ(PanBy({}, 50, 50, W, H, kAspect), ChannelZoom{});
}

}  // namespace
}  // namespace tramlet
