#pragma once

#include <string>

#include "export/av_ptr.h"

namespace tramlet::exporter {

// Burns a line of text along the bottom of each merged picture with FFmpeg's
// drawtext. A graph of its own, fed one picture at a time, so that a new text
// applies to exactly the picture it was set for.
class CaptionGraph {
  public:
    int Build(int width, int height, AVRational frameRate, const std::string& fontFile);
    // Draws `text` on `frame` in place of the picture (taken over).
    int Draw(AVFrame* frame, const std::string& text);

  private:
    GraphPtr graph_;
    AVFilterContext* input_ = nullptr;
    AVFilterContext* output_ = nullptr;
    AVFilterContext* drawtext_ = nullptr;
    std::string text_;
};

}  // namespace tramlet::exporter
