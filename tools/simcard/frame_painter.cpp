#include "frame_painter.h"

#include <algorithm>
#include <cmath>
#include <random>

#include "playback/frame_stamp.h"

namespace tramlet::simcard {
namespace {

constexpr std::uint8_t kDark = 16;
constexpr std::uint8_t kLight = 235;
constexpr std::uint8_t kNeutralChroma = 128;
constexpr int kStampRowModules = kFrameStampModules + 2 * kFrameStampQuietModules;

struct Tint {
    std::uint8_t u;
    std::uint8_t v;
};
constexpr Tint kChannelTints[] = {{150, 110}, {105, 105}, {105, 165}, {160, 150}};

Tint TintOf(int channel) {
    return kChannelTints[static_cast<size_t>(std::clamp(channel, 1, 4) - 1)];
}

std::uint8_t ClampLuma(int value) {
    return static_cast<std::uint8_t>(std::clamp(value, 16, 235));
}

// Module width so that the stamp spans most of the picture width: the
// largest that fits keeps it readable after the strongest down-scaling.
int StampModule(int width) {
    return std::max(2, width / (kStampRowModules + 5));
}

}  // namespace

FramePainter::FramePainter(int width, int height, int channel, bool noise)
    : width_(width),
      height_(height),
      tintU_(TintOf(channel).u),
      tintV_(TintOf(channel).v),
      backgroundLuma_(static_cast<size_t>(width) * height) {
    std::mt19937 random(static_cast<unsigned>(channel));
    std::uniform_int_distribution<int> grain(-60, 60);
    for (int y = 0; y < height; ++y) {
        const int base = 40 + 90 * y / height;
        for (int x = 0; x < width; ++x)
            backgroundLuma_[static_cast<size_t>(y) * width + x] =
                ClampLuma(base + (noise ? grain(random) : 0));
    }
}

void FramePainter::Paint(const FrameCaption& caption, I420Picture& picture) const {
    PaintBackground(caption.seconds, picture);
    PaintCaption(caption, picture);
    PaintStamp(caption.channel, caption.frame, picture);
}

void FramePainter::PaintBackground(double seconds, I420Picture& picture) const {
    std::copy(backgroundLuma_.begin(), backgroundLuma_.end(), picture.y.begin());
    std::fill(picture.u.begin(), picture.u.end(), tintU_);
    std::fill(picture.v.begin(), picture.v.end(), tintV_);

    // A band crossing the picture once every four seconds.
    const int bandWidth = std::max(2, width_ / 8);
    const int bandX =
        static_cast<int>(std::fmod(seconds / 4.0, 1.0) * (width_ + bandWidth)) - bandWidth;
    const Plane luma = picture.Luma();
    for (int y = 0; y < height_; ++y) {
        std::uint8_t* row = luma.pixels + static_cast<std::ptrdiff_t>(y) * luma.stride;
        for (int x = std::max(bandX, 0); x < std::min(bandX + bandWidth, width_); ++x)
            row[x] = ClampLuma(row[x] + 70);
    }
}

void FramePainter::PaintCaption(const FrameCaption& caption, I420Picture& picture) const {
    const int scale = std::max(2, height_ / 50);
    const int margin = 2 * scale;
    const int line = (BitmapFont::kGlyphHeight + 2) * scale;
    const Plane luma = picture.Luma();
    BitmapFont::DrawText(luma, margin, margin, scale, "CH" + std::to_string(caption.channel));
    BitmapFont::DrawText(luma, margin, margin + line, scale, caption.clock);
    BitmapFont::DrawText(luma, margin, margin + 2 * line, std::max(1, scale / 2), caption.date);
}

void FramePainter::PaintStamp(int channel, int frame, I420Picture& picture) const {
    const int module = StampModule(width_);
    const int boxWidth = kStampRowModules * module;
    const int boxHeight = 3 * module;
    const int left = ((width_ - boxWidth) / 2) & ~1;
    const int top = (height_ - boxHeight - module) & ~1;

    // Neutral chroma keeps the blocks black and white after conversion to RGB.
    picture.Luma().Fill(left, top, boxWidth, boxHeight, kLight);
    picture.ChromaU().Fill(left / 2, top / 2, boxWidth / 2 + 1, boxHeight / 2 + 1, kNeutralChroma);
    picture.ChromaV().Fill(left / 2, top / 2, boxWidth / 2 + 1, boxHeight / 2 + 1, kNeutralChroma);

    const std::vector<bool> modules = FrameStampModules({channel, frame});
    const int x0 = left + kFrameStampQuietModules * module;
    const int y0 = top + module / 2;
    for (size_t i = 0; i < modules.size(); ++i) {
        if (modules[i])
            picture.Luma().Fill(x0 + static_cast<int>(i) * module, y0, module, 2 * module, kDark);
    }
}

}  // namespace tramlet::simcard
