#pragma once

namespace tramlet {

// How far one channel's picture is magnified and where it is moved, as mpv
// takes them: video-zoom is the scale's logarithm to base 2, video-pan-x and
// video-pan-y move the picture by parts of its magnified size.
struct ChannelZoom {
    double scale = 1.0;
    double panX = 0.0;
    double panY = 0.0;

    bool IsZoomed() const { return scale > 1.0; }
    friend bool operator==(const ChannelZoom&, const ChannelZoom&) = default;
};

inline constexpr double kMostZoom = 8.0;

// Magnified by `factor` around the point (x, y) of a cell `width` x `height`
// pixels large that shows a picture of `aspect` (width over height): the
// part of the picture under the point stays under it. From 1 to kMostZoom.
ChannelZoom ZoomAround(const ChannelZoom& zoom, double x, double y, int width, int height,
                       double aspect, double factor);
// Moved by (dx, dy) pixels, never so far that the picture leaves part of
// the cell it filled empty.
ChannelZoom PanBy(const ChannelZoom& zoom, double dx, double dy, int width, int height,
                  double aspect);

}  // namespace tramlet
