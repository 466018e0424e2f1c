#pragma once

#include <string>
#include <vector>

#include "export/av_ptr.h"

namespace tramlet::exporter {

// The cells of the merged picture: one channel alone, two side by side, three
// or four in a 2x2 grid (a fourth cell left dark), every cell the size of the
// largest channel's picture.
struct CellLayout {
    int cells = 1;
    int cellWidth = 0;
    int cellHeight = 0;
    AVRational frameRate{30, 1};
    std::string fontFile;

    int Width() const { return cells == 1 ? cellWidth : 2 * cellWidth; }
    int Height() const { return cells > 2 ? 2 * cellHeight : cellHeight; }
    // Shrinks the cells, keeping their shape and even sizes, until the whole
    // picture fits; a picture that fits already is left as it is.
    void FitWithin(int maxWidth, int maxHeight);
};

// A cell's content in one recording: the channel's first decoded picture,
// which gives its size and format, or none when the recording lacks it.
struct CellSource {
    int channel = 0;  // 0: an empty cell
    const AVFrame* first = nullptr;
};

// One recording's filter graph putting its channels' pictures into cells.
class CellGraph {
  public:
    int Build(const CellLayout& layout, const std::vector<CellSource>& sources);
    // Hands a cell its next picture, or its end when `frame` is null.
    int Push(size_t cell, AVFrame* frame);
    // 0 with a merged picture, AVERROR(EAGAIN) until more pictures come, or
    // AVERROR_EOF once a channel has ended.
    int Pull(AVFrame* frame);

  private:
    GraphPtr graph_;
    std::vector<AVFilterContext*> inputs_;  // by cell; null for a drawn cell
    AVFilterContext* output_ = nullptr;
};

}  // namespace tramlet::exporter
