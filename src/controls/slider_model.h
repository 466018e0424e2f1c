#pragma once

#include <optional>

namespace tramlet {

enum class SliderKey { kPageUp, kPageDown, kEnd, kHome, kLeft, kUp, kRight, kDown };

// What a slider tells its owner: the position while the thumb is dragged, and
// the position once a drag ends or a key moved it.
struct SliderNotice {
    enum class Kind { kDrag, kDone };
    Kind kind;
    int position;
    friend bool operator==(const SliderNotice&, const SliderNotice&) = default;
};

// The position, range and pointer handling of a bitmap slider, apart from its
// drawing: an integer position within a range maps to the pixel of the
// thumb's centre along the travel between the margins.
class SliderModel {
  public:
    void SetRange(int minimum, int maximum);
    // Clamped to the range.
    void SetPosition(int position);
    void SetDrawingSize(int width, int height);
    void SetThumbSize(int width, int height);
    void SetMargins(int left, int top, int right, int bottom);
    void SetPointerShiftX(int shift) { pointerShiftX_ = shift; }
    void SetVertical(bool vertical) { vertical_ = vertical; }
    void SetEnabled(bool enabled) { enabled_ = enabled; }

    int Minimum() const { return minimum_; }
    int Maximum() const { return maximum_; }
    int Position() const { return position_; }
    int PageSize() const { return pageSize_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int ThumbWidth() const { return thumbWidth_; }
    int ThumbHeight() const { return thumbHeight_; }
    int MarginLeft() const { return marginLeft_; }
    int MarginTop() const { return marginTop_; }
    bool Vertical() const { return vertical_; }
    bool Enabled() const { return enabled_; }
    bool Dragging() const { return dragging_; }

    // Centre of the thumb along the slider's axis.
    int PositionToPixel(int position) const;
    int PixelToPosition(int pixel) const;

    // Pointer coordinates are in the control's own pixels. A press on the
    // thumb keeps the grab point under the pointer; elsewhere the thumb's
    // centre jumps to the pointer.
    std::optional<SliderNotice> Press(int x, int y);
    std::optional<SliderNotice> Move(int x, int y);
    // Ends a drag; reports the position even when no press came first.
    std::optional<SliderNotice> Release();
    std::optional<SliderNotice> Key(SliderKey key);

  private:
    int Span() const;
    int HalfThumb() const;
    int TravelStart() const;
    int TravelEnd() const;

    int maximum_ = 100;
    int minimum_ = 0;
    int position_ = 0;
    int pageSize_ = 20;
    int width_ = 0;
    int height_ = 0;
    int thumbWidth_ = 0;
    int thumbHeight_ = 0;
    int marginLeft_ = 0;
    int marginRight_ = 0;
    int marginTop_ = 0;
    int marginBottom_ = 0;
    int pointerShiftX_ = 0;
    int grabOffset_ = 0;
    bool vertical_ = false;
    bool dragging_ = false;
    bool enabled_ = true;
};

}  // namespace tramlet
