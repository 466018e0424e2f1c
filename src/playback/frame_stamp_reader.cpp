#include "playback/frame_stamp_reader.h"

#include <cmath>
#include <cstdlib>

namespace tramlet {
namespace {

// The simulator paints near black and near white; anything between is an
// edge softened by compression or scaling.
constexpr int kDarkBelow = 128;
constexpr double kNarrowestModule = 1.5;

struct Run {
    bool dark = false;
    int start = 0;
    int length = 0;
};

int BytesPerPixel(PixelFormat format) {
    switch (format) {
        case PixelFormat::kGrey8:
            return 1;
        case PixelFormat::kRgb24:
            return 3;
        case PixelFormat::kRgb32:
            return 4;
    }
    return 1;
}

bool IsDark(const std::uint8_t* pixel, PixelFormat format) {
    if (format == PixelFormat::kGrey8)
        return pixel[0] < kDarkBelow;
    return pixel[0] + pixel[1] + pixel[2] < 3 * kDarkBelow;
}

std::vector<Run> RowRuns(const ImageView& image, int y) {
    const int step = BytesPerPixel(image.format);
    const std::uint8_t* pixel = image.pixels + static_cast<std::ptrdiff_t>(y) * image.stride;
    std::vector<Run> runs;
    for (int x = 0; x < image.width; ++x, pixel += step) {
        const bool dark = IsDark(pixel, image.format);
        if (runs.empty() || runs.back().dark != dark)
            runs.push_back({dark, x, 0});
        ++runs.back().length;
    }
    return runs;
}

// Reads a stamp whose start guard begins with runs[first]. The guard's first
// three runs are one module each whatever follows, which gives the module
// width; every later run is then one or two modules.
std::optional<FoundFrameStamp> ReadStampAt(const std::vector<Run>& runs, size_t first) {
    if (first == 0 || first + 3 > runs.size())
        return std::nullopt;
    const double module =
        (runs[first].length + runs[first + 1].length + runs[first + 2].length) / 3.0;
    if (module < kNarrowestModule || runs[first - 1].length < module)
        return std::nullopt;

    std::vector<bool> modules;
    modules.reserve(kFrameStampModules);
    size_t next = first;
    while (modules.size() < kFrameStampModules && next < runs.size()) {
        const long count = std::lround(runs[next].length / module);
        if (count < 1 || count > 2)
            return std::nullopt;
        modules.insert(modules.end(), static_cast<size_t>(count), runs[next].dark);
        ++next;
    }
    // The end guard's last module must close its run, and light must follow.
    if (modules.size() != kFrameStampModules || next >= runs.size() || runs[next].length < module)
        return std::nullopt;
    const auto stamp = DecodeFrameStampModules(modules);
    if (!stamp)
        return std::nullopt;
    return FoundFrameStamp{*stamp, runs[first].start, 0, module};
}

bool AlreadyFound(const std::vector<FoundFrameStamp>& found, const FoundFrameStamp& candidate) {
    for (const FoundFrameStamp& f : found) {
        if (f.stamp == candidate.stamp && std::abs(f.x - candidate.x) <= 2 * f.moduleWidth)
            return true;
    }
    return false;
}

}  // namespace

std::vector<FoundFrameStamp> FindFrameStamps(const ImageView& image) {
    std::vector<FoundFrameStamp> found;
    if (!image.pixels || image.width <= 0 || image.height <= 0)
        return found;
    for (int y = 0; y < image.height; ++y) {
        const std::vector<Run> runs = RowRuns(image, y);
        for (size_t i = 1; i < runs.size(); ++i) {
            if (!runs[i].dark)
                continue;
            auto stamp = ReadStampAt(runs, i);
            if (!stamp || AlreadyFound(found, *stamp))
                continue;
            stamp->y = y;
            found.push_back(*stamp);
        }
    }
    return found;
}

std::optional<FrameStamp> ReadFrameStamp(const ImageView& image) {
    const std::vector<FoundFrameStamp> found = FindFrameStamps(image);
    if (found.empty())
        return std::nullopt;
    return found.front().stamp;
}

}  // namespace tramlet
