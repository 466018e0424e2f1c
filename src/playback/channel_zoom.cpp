#include "playback/channel_zoom.h"

#include <algorithm>

namespace tramlet {
namespace {

// The picture's size at scale 1: as large as the cell lets it be.
struct Fitted {
    double width;
    double height;
};

Fitted Fit(int width, int height, double aspect) {
    if (!(aspect > 0) || width <= 0 || height <= 0)
        return {static_cast<double>(std::max(width, 1)), static_cast<double>(std::max(height, 1))};
    const double w = std::min<double>(width, height * aspect);
    return {w, w / aspect};
}

ChannelZoom Clamped(ChannelZoom zoom) {
    zoom.scale = std::clamp(zoom.scale, 1.0, kMostZoom);
    const double limit = (zoom.scale - 1.0) / (2.0 * zoom.scale);
    zoom.panX = std::clamp(zoom.panX, -limit, limit);
    zoom.panY = std::clamp(zoom.panY, -limit, limit);
    return zoom;
}

}  // namespace

ChannelZoom ZoomAround(const ChannelZoom& zoom, double x, double y, int width, int height,
                       double aspect, double factor) {
    const Fitted fit = Fit(width, height, aspect);
    const double s = zoom.scale;
    // Where the point lies on the picture, from its centre, in picture sizes.
    const double u = (x - (width / 2.0 + zoom.panX * fit.width * s)) / (fit.width * s);
    const double v = (y - (height / 2.0 + zoom.panY * fit.height * s)) / (fit.height * s);
    const double scaled = std::clamp(s * factor, 1.0, kMostZoom);
    return Clamped({scaled, (x - u * fit.width * scaled - width / 2.0) / (fit.width * scaled),
                    (y - v * fit.height * scaled - height / 2.0) / (fit.height * scaled)});
}

ChannelZoom PanBy(const ChannelZoom& zoom, double dx, double dy, int width, int height,
                  double aspect) {
    const Fitted fit = Fit(width, height, aspect);
    return Clamped({zoom.scale, zoom.panX + dx / (fit.width * zoom.scale),
                    zoom.panY + dy / (fit.height * zoom.scale)});
}

}  // namespace tramlet
