#pragma once

#include <string>

#include "i420_picture.h"

namespace tramlet::simcard {

// What one frame shows besides its moving background.
struct FrameCaption {
    int channel = 1;
    int frame = 0;       // from the clip's start; also goes into the stamp
    double seconds = 0;  // from the clip's start; moves the background
    std::string date;    // YYYY-MM-DD
    std::string clock;   // HH:MM:SS
};

// Paints the pictures of one clip: a channel-tinted background with a moving
// band (so that predicted frames have something to code), the channel and
// time of day in large text, and the frame stamp the tests read back.
class FramePainter {
  public:
    FramePainter(int width, int height, int channel, bool noise);

    void Paint(const FrameCaption& caption, I420Picture& picture) const;

  private:
    void PaintBackground(double seconds, I420Picture& picture) const;
    void PaintCaption(const FrameCaption& caption, I420Picture& picture) const;
    void PaintStamp(int channel, int frame, I420Picture& picture) const;

    int width_;
    int height_;
    std::uint8_t tintU_;
    std::uint8_t tintV_;
    std::vector<std::uint8_t> backgroundLuma_;  // gradient and fixed noise, painted once
};

}  // namespace tramlet::simcard
