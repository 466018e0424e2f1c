#include "stamp_picture.h"

#include <algorithm>
#include <cmath>

namespace tramlet::test {
namespace {

constexpr std::uint8_t kDark = 16;
constexpr std::uint8_t kLight = 235;
constexpr int kRowPadding = 13;

}  // namespace

StampPicture::StampPicture(int width, int height)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height) {
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            Set(x, y, static_cast<std::uint8_t>(40 + 160 * (x + y) / (width + height)));
    }
}

void StampPicture::Paint(const FrameStamp& stamp, int x, int y, int module) {
    const std::vector<bool> modules = FrameStampModules(stamp);
    const int count = static_cast<int>(modules.size()) + 2 * kFrameStampQuietModules;
    for (int row = y; row < std::min(y + 3 * module, height_); ++row) {
        for (int i = 0; i < count; ++i) {
            const int m = i - kFrameStampQuietModules;
            const bool dark =
                m >= 0 && m < static_cast<int>(modules.size()) && modules[static_cast<size_t>(m)];
            for (int col = x + i * module; col < std::min(x + (i + 1) * module, width_); ++col)
                Set(col, row, dark ? kDark : kLight);
        }
    }
}

StampPicture StampPicture::Scaled(int width, int height) const {
    StampPicture out(width, height);
    const double sx = static_cast<double>(width_) / width,
                 sy = static_cast<double>(height_) / height;
    for (int y = 0; y < height; ++y) {
        const double fy = std::clamp((y + 0.5) * sy - 0.5, 0.0, height_ - 1.0);
        const int y0 = static_cast<int>(fy), y1 = std::min(y0 + 1, height_ - 1);
        for (int x = 0; x < width; ++x) {
            const double fx = std::clamp((x + 0.5) * sx - 0.5, 0.0, width_ - 1.0);
            const int x0 = static_cast<int>(fx), x1 = std::min(x0 + 1, width_ - 1);
            const double top = At(x0, y0) + (At(x1, y0) - At(x0, y0)) * (fx - x0);
            const double bottom = At(x0, y1) + (At(x1, y1) - At(x0, y1)) * (fx - x0);
            out.Set(x, y, static_cast<std::uint8_t>(std::lround(top + (bottom - top) * (fy - y0))));
        }
    }
    return out;
}

ImageView StampPicture::View(PixelFormat format) {
    const int bytes = format == PixelFormat::kGrey8 ? 1 : format == PixelFormat::kRgb24 ? 3 : 4;
    const int stride = width_ * bytes + kRowPadding;
    converted_.assign(static_cast<size_t>(stride) * height_, 0xAB);
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            std::uint8_t* p = &converted_[static_cast<size_t>(y) * stride + x * bytes];
            // A faint colour cast, as a screenshot of tinted video has.
            p[0] = At(x, y);
            if (bytes > 1) {
                p[1] = static_cast<std::uint8_t>(std::min(255, At(x, y) + 12));
                p[2] = static_cast<std::uint8_t>(std::max(0, At(x, y) - 12));
            }
            if (bytes == 4)
                p[3] = 0xFF;
        }
    }
    return {converted_.data(), width_, height_, stride, format};
}

}  // namespace tramlet::test
