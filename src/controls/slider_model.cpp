#include "controls/slider_model.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace tramlet {
namespace {

int TruncateToInt(double value) {
    constexpr double kLow = std::numeric_limits<int>::min();
    constexpr double kHigh = std::numeric_limits<int>::max();
    if (std::isnan(value))
        return 0;
    return static_cast<int>(std::clamp(std::trunc(value), kLow, kHigh));
}

}  // namespace

void SliderModel::SetRange(int minimum, int maximum) {
    minimum_ = minimum;
    maximum_ = maximum;
    SetPosition(position_);
}

void SliderModel::SetPosition(int position) {
    position_ = std::max(std::min(position, maximum_), minimum_);
}

void SliderModel::SetDrawingSize(int width, int height) {
    width_ = width;
    height_ = height;
}

void SliderModel::SetThumbSize(int width, int height) {
    thumbWidth_ = width;
    thumbHeight_ = height;
}

void SliderModel::SetMargins(int left, int top, int right, int bottom) {
    marginLeft_ = left;
    marginTop_ = top;
    marginRight_ = right;
    marginBottom_ = bottom;
}

int SliderModel::HalfThumb() const {
    return (vertical_ ? thumbHeight_ : thumbWidth_) / 2;
}

int SliderModel::TravelStart() const {
    return (vertical_ ? marginTop_ : marginLeft_) + HalfThumb();
}

int SliderModel::TravelEnd() const {
    return vertical_ ? height_ - marginBottom_ - HalfThumb() : width_ - marginRight_ - HalfThumb();
}

int SliderModel::Span() const {
    return vertical_ ? height_ - marginTop_ - marginBottom_ - thumbHeight_
                     : width_ - marginLeft_ - marginRight_ - thumbWidth_;
}

int SliderModel::PositionToPixel(int position) const {
    // An empty range has no mapping; keep the thumb at the start instead of
    // dividing by zero.
    if (maximum_ == minimum_)
        return TravelStart();
    const double fraction =
        (static_cast<double>(position) - minimum_) / (static_cast<double>(maximum_) - minimum_);
    return TravelStart() + TruncateToInt(fraction * Span());
}

int SliderModel::PixelToPosition(int pixel) const {
    if (Span() <= 0)
        return minimum_;
    const double along =
        static_cast<double>(pixel) - HalfThumb() - (vertical_ ? marginTop_ : marginLeft_);
    return TruncateToInt(along / Span() * (static_cast<double>(maximum_) - minimum_) + minimum_);
}

std::optional<SliderNotice> SliderModel::Press(int x, int y) {
    if (!enabled_)
        return std::nullopt;
    dragging_ = true;
    const int offset = (vertical_ ? y : x) - PositionToPixel(position_);
    grabOffset_ = std::abs(offset) <= HalfThumb() ? offset : 0;
    return Move(x, y);
}

std::optional<SliderNotice> SliderModel::Move(int x, int y) {
    if (!dragging_ || !enabled_)
        return std::nullopt;
    int target = 0;
    if (vertical_) {
        target = std::max(std::min(y - grabOffset_, TravelEnd()), TravelStart());
    } else {
        target = std::min(std::max(x - grabOffset_ - pointerShiftX_, TravelStart()), TravelEnd());
    }
    if (target == PositionToPixel(position_))
        return std::nullopt;
    SetPosition(PixelToPosition(target));
    return SliderNotice{SliderNotice::Kind::kDrag, position_};
}

std::optional<SliderNotice> SliderModel::Release() {
    if (!enabled_)
        return std::nullopt;
    dragging_ = false;
    return SliderNotice{SliderNotice::Kind::kDone, position_};
}

std::optional<SliderNotice> SliderModel::Key(SliderKey key) {
    if (!enabled_)
        return std::nullopt;
    int target = position_;
    switch (key) {
        case SliderKey::kPageUp:
            target = position_ - pageSize_;
            break;
        case SliderKey::kPageDown:
            target = position_ + pageSize_;
            break;
        case SliderKey::kEnd:
            target = maximum_;
            break;
        case SliderKey::kHome:
            target = minimum_;
            break;
        case SliderKey::kLeft:
        case SliderKey::kUp:
            target = position_ - 1;
            break;
        case SliderKey::kRight:
        case SliderKey::kDown:
            target = position_ + 1;
            break;
    }
    SetPosition(target);
    return SliderNotice{SliderNotice::Kind::kDone, position_};
}

}  // namespace tramlet
