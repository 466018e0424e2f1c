// Four channels of a recording against mpv opening one of its clips, and the
// processor time that four 1280x720 channels take per second of playback.
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>

#include "app/tramlet_dlg.h"
#include "bench_support.h"
#include "catalogue/folder_listing.h"
#include "controls/bitmap_button.h"
#include "platform/volume_source.h"
#include "playback/frame_stamp_reader.h"

namespace tramlet {
namespace {

class NoVolumes : public VolumeSource {
  public:
    std::vector<MountedVolume> Volumes() const override { return {}; }
};

int ChannelsShowing(CTramletDlg& dialog) {
    const QImage image = dialog.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const ImageView view{image.constBits(), image.width(), image.height(),
                         static_cast<int>(image.bytesPerLine()), PixelFormat::kRgb32};
    return static_cast<int>(FindFrameStamps(view).size());
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace
}  // namespace tramlet

int main(int argc, char** argv) {
    using namespace tramlet;
    if (!std::getenv("DISPLAY")) {
        std::cerr << "needs a display: run under xvfb-run\n";
        return 1;
    }
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    bench::ScratchDir card;
    const std::string simcard = argc > 1 ? argv[1] : "tools/simcard/tramlet-simcard";
    // Frame stamps are read from the window down to about a third of 1280.
    const std::string size = argc > 2 ? argv[2] : "640x360";
    const std::string make = simcard +
                             " -q --channels 1234 --duration 20"
                             " --fps 30 --size " +
                             size + " --no-gps " + card.Root();
    if (std::system(make.c_str()) != 0)
        return 1;

    NoVolumes volumes;
    CTramletDlg dialog(volumes, {});
    dialog.OnInitDialog();
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog))
        return 1;
    dialog.ChooseDataRoot(QString::fromStdString(card.Root()));
    QTest::qWait(300);
    const std::vector<std::string> clips = FindFiles(card.Root() + "video/*-1-*.avi");
    if (clips.empty())
        return 1;
    const std::string stamp = clips.front().substr(0, 15);
    dialog.SetErrorReporter([](const QString& text) { std::cerr << text.toStdString() << "\n"; });

    // Showing all four pictures is what the user waits for, so the clock
    // stops at the first window picture that carries four frame stamps.
    const double fourChannels = bench::BestSeconds(5, [&] {
        dialog.ClosePlayback();
        QTest::qWait(100);
        QElapsedTimer clock;
        clock.start();
        dialog.OpenRecording(stamp);
        while (ChannelsShowing(dialog) < 4 && clock.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    });
    const double mpvOne =
        bench::BestCommandSeconds(5, "mpv --no-config --frames=1 --vo=null --ao=null " +
                                         bench::ShellQuote(card.Root() + "video/" + clips.front()));
    const bool fast = bench::ReportRatio("four channels shown", fourChannels,
                                         "mpv --frames=1 --vo=null, one clip", mpvOne, 2.0);

    dialog.OnPlay();
    QTest::qWait(1000);
    const double cpuBefore = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTest::qWait(10000);
    const double cpuPerSecond = (CpuSeconds() - cpuBefore) / (wall.elapsed() / 1000.0);
    std::printf("processor time per second of playback, four %s 30 fps channels: %.2f s\n",
                size.c_str(), cpuPerSecond);
    return fast ? 0 : 1;
}
