// Four channels of a recording against mpv opening one of its clips, how far
// the channels drift apart while playing at 1x and 8x, and the processor
// time that four channels take per second of playback.
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <memory>

#include "app/tramlet_dlg.h"
#include "bench_support.h"
#include "catalogue/folder_listing.h"
#include "controls/bitmap_button.h"
#include "controls/bitmap_slider.h"
#include "res/control_names.h"
#include "res/resource_ids.h"
#include "support/no_volumes.h"
#include "support/shown_frames.h"

namespace tramlet {
namespace {

constexpr int kFps = 30;
constexpr int kLatencyRuns = 5;
constexpr int kDriftSeconds = 60;
constexpr int kFastRate = 8;

class PlayerWindow {
  public:
    bool Open(const std::string& dataRoot) {
        dialog_.OnInitDialog();
        dialog_.show();
        if (!QTest::qWaitForWindowExposed(&dialog_))
            return false;
        dialog_.SetErrorReporter(
            [](const QString& text) { std::cerr << text.toStdString() << "\n"; });
        dialog_.ChooseDataRoot(QString::fromStdString(dataRoot));
        QTest::qWait(300);
        return true;
    }

    // As the user does it: the seconds slider is let go at the moment.
    void CommitMoment(int hour, int minute, int second) {
        Control<CBitmapSlider>(res::kHourSlider)->SetPosition(hour);
        Control<CBitmapSlider>(res::kMinuteSlider)->SetPosition(minute);
        CBitmapSlider* seconds = Control<CBitmapSlider>(res::kSecondSlider);
        seconds->SetPosition(second);
        emit seconds->SliderDone(res::kSecondSlider, second);
    }

    void Play() { Control<CBitmapButton>(res::kPlay)->click(); }

    void SetRate(int rate) {
        CBitmapSlider* slider = Control<CBitmapSlider>(res::kRate);
        slider->SetPosition(rate);
        emit slider->SliderDone(res::kRate, rate);
    }

    std::map<int, int> ShownFrames() const { return test::ShownFrames(dialog_); }
    int WorstSpread(int seconds) const { return test::WorstFrameSpread(dialog_, seconds * 1000); }

  private:
    template <typename T>
    T* Control(int id) const {
        return dialog_.findChild<T*>(res::ControlName(id));
    }

    test::NoVolumes volumes_;
    CTramletDlg dialog_{volumes_, {}};
};

bool AllShow(const std::map<int, int>& frames, int frame) {
    return frames.size() == 4 &&
           std::all_of(frames.begin(), frames.end(), [&](auto& f) { return f.second == frame; });
}

// Two recordings 30 s apart: every committed moment alternates between
// them, so each one closes a recording and opens the other. The clock stops
// at the first picture of the window whose four channels show the moment's
// key frame.
double LatencySeconds(PlayerWindow& window) {
    struct Target {
        int second;
        int frame;
    };
    const Target targets[] = {{5, 5 * kFps}, {42, 12 * kFps}};
    double best = 1e9;
    for (int run = 0; run < 2 * kLatencyRuns; ++run) {
        const Target target = targets[run % 2];
        QTest::qWait(200);
        QElapsedTimer clock;
        clock.start();
        window.CommitMoment(10, 0, target.second);
        while (!AllShow(window.ShownFrames(), target.frame) && clock.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        best = std::min(best, clock.nsecsElapsed() / 1e9);
    }
    return best;
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double CpuPerSecondOfPlayback(int seconds) {
    const double cpuBefore = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTest::qWait(seconds * 1000);
    return (CpuSeconds() - cpuBefore) / (wall.elapsed() / 1000.0);
}

bool MakeCard(const std::string& simcard, const std::string& options, const std::string& root) {
    const std::string command = simcard + " -q --channels 1234 --fps " + std::to_string(kFps) +
                                " --keyint " + std::to_string(kFps) + " --no-gps " + options + " " +
                                root;
    return std::system(command.c_str()) == 0;
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
    const std::string simcard = argc > 1 ? argv[1] : "tools/simcard/tramlet-simcard";
    // Frame stamps are read from the window down to about a third of 1280.
    const std::string size = argc > 2 ? argv[2] : "640x360";

    bench::ScratchDir latencyCard;
    if (!MakeCard(simcard, "--recordings 2 --gap 10 --duration 20 --size " + size,
                  latencyCard.Root()))
        return 1;
    bool met = false;
    {
        PlayerWindow window;
        if (!window.Open(latencyCard.Root()))
            return 1;
        const double fourChannels = LatencySeconds(window);
        const std::string firstClip = FindFiles(latencyCard.Root() + "video/*-1-*.avi").front();
        const double mpvOne = bench::BestCommandSeconds(
            kLatencyRuns, "mpv --no-config --frames=1 --vo=null --ao=null " +
                              bench::ShellQuote(latencyCard.Root() + "video/" + firstClip));
        met = bench::ReportRatio("committed moment to four channels shown", fourChannels,
                                 "mpv --frames=1 --vo=null, one clip", mpvOne, 2.0);

        window.Play();
        QTest::qWait(1000);
        std::printf("processor time per second of playback, four %s %d fps channels: %.2f s\n",
                    size.c_str(), kFps, CpuPerSecondOfPlayback(10));
    }

    // Long enough for a minute at 8x from its start.
    bench::ScratchDir driftCard;
    if (!MakeCard(simcard,
                  "--duration " + std::to_string(kDriftSeconds * (kFastRate + 1) + 10) +
                      " --size " + size,
                  driftCard.Root()))
        return 1;
    PlayerWindow driftWindow;
    if (!driftWindow.Open(driftCard.Root()))
        return 1;
    driftWindow.CommitMoment(10, 0, 0);
    driftWindow.Play();
    const int atNormalSpeed = driftWindow.WorstSpread(kDriftSeconds);
    driftWindow.SetRate(kFastRate);
    const int atFastSpeed = driftWindow.WorstSpread(kDriftSeconds);
    std::printf(
        "largest spread between channels over %d s: %d frames at 1x (target <= 2), "
        "%d frames at %dx (target <= 8)\n",
        kDriftSeconds, atNormalSpeed, atFastSpeed, kFastRate);
    met = met && atNormalSpeed <= 2 && atFastSpeed <= 8;
    return met ? 0 : 1;
}
