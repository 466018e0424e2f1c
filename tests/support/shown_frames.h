#pragma once

#include <QImage>
#include <QScreen>
#include <QWidget>

#include <map>

#include "playback/frame_stamp_reader.h"

namespace tramlet::test {

// Channel number to the frame its picture shows on the screen: what the user
// sees. A fresh rendering of the window would draw the channels one after
// another, each with a newer frame than the last.
inline std::map<int, int> ShownFrames(const QWidget& window) {
    const QImage image =
        window.screen()->grabWindow(window.winId()).toImage().convertToFormat(QImage::Format_RGB32);
    const ImageView view{image.constBits(), image.width(), image.height(),
                         static_cast<int>(image.bytesPerLine()), PixelFormat::kRgb32};
    std::map<int, int> frames;
    for (const FoundFrameStamp& found : FindFrameStamps(view))
        frames[found.stamp.channel] = found.stamp.frame;
    return frames;
}

}  // namespace tramlet::test
