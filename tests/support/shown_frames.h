#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include <algorithm>
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

// The largest spread between the four channels' frames while the window
// plays for `ms`, looking at the screen every quarter second.
inline int WorstFrameSpread(const QWidget& window, int ms) {
    int worst = 0;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QTest::qWait(250);
        const std::map<int, int> frames = ShownFrames(window);
        if (frames.size() != 4)
            continue;
        const auto [low, high] = std::minmax_element(
            frames.begin(), frames.end(), [](auto& x, auto& y) { return x.second < y.second; });
        worst = std::max(worst, high->second - low->second);
    }
    return worst;
}

}  // namespace tramlet::test
