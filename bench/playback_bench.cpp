// Four channels of a recording against mpv opening one of its clips; then,
// at 1x, 4x, 8x and 16x, how far apart the channels' pictures are, how often
// each shows a new one, and the processor time playback takes. The clips'
// backgrounds are fine noise, so that a frame costs about what a street
// scene costs to decode.
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
#include <vector>

#include "app/tramlet_dlg.h"
#include "bench_support.h"
#include "catalogue/folder_listing.h"
#include "controls/bitmap_button.h"
#include "controls/bitmap_slider.h"
#include "playback/speed_steps.h"
#include "res/control_names.h"
#include "res/resource_ids.h"
#include "support/no_volumes.h"
#include "support/shown_frames.h"

namespace tramlet {
namespace {

constexpr int kFps = 30;
constexpr int kLatencyRuns = 5;
constexpr int kMeasureSeconds = 8;
constexpr double kSpeeds[] = {1, 4, 8, 16};
// Long enough for the measuring time at the fastest speed, from its start.
constexpr int kSpeedCardSeconds = kMeasureSeconds * 16 + 20;

class PlayerWindow {
  public:
    // Maximised: on a screen of 2560x1440, 1080p channels' frame stamps
    // stay readable.
    bool Open(const std::string& dataRoot) {
        dialog_.OnInitDialog();
        dialog_.showMaximized();
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
    void Pause() { Control<CBitmapButton>(res::kPause)->click(); }

    void SetSpeed(double speed) {
        const int step = StepOfSpeed(speed);
        CBitmapSlider* slider = Control<CBitmapSlider>(res::kRate);
        slider->SetPosition(step);
        emit slider->SliderDone(res::kRate, step);
    }

    std::map<int, int> ShownFrames() const { return test::ShownFrames(dialog_); }

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

// What the screen showed while playing at one speed.
struct SpeedRun {
    int spread = 0;                      // frames, the largest seen
    double fewestPicturesPerSecond = 0;  // of the channel that changed least
    double cpuPerSecond = 0;
};

// Looks at the screen as often as it can: a channel whose picture does not
// change counts no new pictures, so a frozen channel is never "in step".
SpeedRun MeasureSpeed(PlayerWindow& window, double speed) {
    window.CommitMoment(10, 0, 0);
    window.SetSpeed(speed);
    window.Play();
    QTest::qWait(1000);
    std::map<int, int> last = window.ShownFrames();
    std::map<int, int> changes;
    SpeedRun run;
    const double cpuBefore = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    while (wall.elapsed() < kMeasureSeconds * 1000) {
        QTest::qWait(20);
        const std::map<int, int> frames = window.ShownFrames();
        for (const auto& [channel, frame] : frames) {
            if (last.count(channel) && last[channel] != frame)
                ++changes[channel];
            last[channel] = frame;
        }
        if (frames.size() != 4)
            continue;
        const auto [low, high] = std::minmax_element(
            frames.begin(), frames.end(), [](auto& x, auto& y) { return x.second < y.second; });
        run.spread = std::max(run.spread, high->second - low->second);
    }
    const double seconds = wall.elapsed() / 1000.0;
    run.cpuPerSecond = (CpuSeconds() - cpuBefore) / seconds;
    int fewest = changes.size() == 4 ? 1 << 30 : 0;
    for (const auto& [channel, count] : changes)
        fewest = std::min(fewest, count);
    run.fewestPicturesPerSecond = fewest / seconds;
    window.Pause();
    return run;
}

bool MakeCard(const std::string& simcard, const std::string& options, const std::string& root) {
    const std::string command = simcard + " -q --channels 1234 --noise --fps " +
                                std::to_string(kFps) + " --keyint " + std::to_string(kFps) +
                                " --no-gps " + options + " " + root;
    return std::system(command.c_str()) == 0;
}

// The latency against mpv and the table of speeds for one picture size;
// false when a target is missed (the spread targets are for 1080p).
bool BenchSize(const std::string& simcard, const std::string& size) {
    bench::ScratchDir latencyCard;
    if (!MakeCard(simcard, "--recordings 2 --gap 10 --duration 20 --size " + size,
                  latencyCard.Root()))
        return false;
    std::printf("four %s %d fps channels\n", size.c_str(), kFps);
    bool met = false;
    {
        PlayerWindow window;
        if (!window.Open(latencyCard.Root()))
            return false;
        const double fourChannels = LatencySeconds(window);
        const std::string firstClip = FindFiles(latencyCard.Root() + "video/*-1-*.avi").front();
        const double mpvOne = bench::BestCommandSeconds(
            kLatencyRuns, "mpv --no-config --frames=1 --vo=null --ao=null " +
                              bench::ShellQuote(latencyCard.Root() + "video/" + firstClip));
        met = bench::ReportRatio("  committed moment to four channels shown", fourChannels,
                                 "mpv --frames=1 --vo=null, one clip", mpvOne, 2.0);
    }

    bench::ScratchDir speedCard;
    if (!MakeCard(simcard, "--duration " + std::to_string(kSpeedCardSeconds) + " --size " + size,
                  speedCard.Root()))
        return false;
    PlayerWindow window;
    if (!window.Open(speedCard.Root()))
        return false;
    const bool full = size == "1920x1080";
    std::printf("  speed  spread (frames)  new pictures/s (fewest channel)  processor s/s\n");
    for (const double speed : kSpeeds) {
        const SpeedRun run = MeasureSpeed(window, speed);
        const int spreadTarget = speed == 1 ? 2 : speed >= 8 ? 8 : 1 << 30;
        std::printf("  %4gx  %15d  %31.1f  %13.2f\n", speed, run.spread,
                    run.fewestPicturesPerSecond, run.cpuPerSecond);
        met = met && run.fewestPicturesPerSecond >= 4 && (!full || run.spread <= spreadTarget);
    }
    std::printf(
        "  targets: 1080p spread <= 2 at 1x and <= 8 at 8x and 16x; "
        "every channel >= 4 new pictures/s\n");
    return met;
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
    std::vector<std::string> sizes;
    for (int i = 2; i < argc; ++i)
        sizes.push_back(argv[i]);
    if (sizes.empty())
        sizes = {"1280x720", "1920x1080"};
    bool met = true;
    for (const std::string& size : sizes)
        met = BenchSize(simcard, size) && met;
    return met ? 0 : 1;
}
