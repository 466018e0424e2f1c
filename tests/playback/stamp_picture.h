#pragma once

#include <cstdint>
#include <vector>

#include "playback/frame_stamp.h"
#include "playback/image_view.h"

namespace tramlet::test {

// A grey picture for stamp tests: a smooth background that crosses the
// dark/light threshold, stamps painted as the simulator paints them, and
// the conversions a screenshot goes through.
class StampPicture {
  public:
    StampPicture(int width, int height);

    void Paint(const FrameStamp& stamp, int x, int y, int module);
    StampPicture Scaled(int width, int height) const;  // bilinear
    void Set(int x, int y, std::uint8_t value) {
        pixels_[static_cast<size_t>(y) * width_ + x] = value;
    }

    // The picture in the given layout, rows padded so that stride != width.
    ImageView View(PixelFormat format);

    int Width() const { return width_; }
    int Height() const { return height_; }

  private:
    std::uint8_t At(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }

    int width_;
    int height_;
    std::vector<std::uint8_t> pixels_;
    std::vector<std::uint8_t> converted_;
};

}  // namespace tramlet::test
