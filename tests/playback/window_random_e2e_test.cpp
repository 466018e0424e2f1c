// The program's window on simulated clips, driven through a few hundred
// seeded random actions as a user would take them. After each one, the
// label must name the second that every channel's picture shows on the
// screen: exactly while paused, within one tick while playing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCalendarWidget>
#include <QLabel>
#include <QTest>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <random>

#include "app/tramlet_dlg.h"
#include "controls/bitmap_button.h"
#include "controls/bitmap_slider.h"
#include "res/control_names.h"
#include "support/shown_frames.h"
#include "support/temp_dir.h"
#include "support/wait_for.h"
#include "support/window_on_card.h"

namespace tramlet {
namespace {

constexpr int kFps = 30;

int EnvOr(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value ? std::atoi(value) : fallback;
}

class WindowRandomTest : public testing::Test {
  protected:
    void SetUp() override {
        if (!qApp)
            GTEST_SKIP() << "needs a display: run under xvfb-run";
        // Three recordings back to back and one after a gap on the 10th, one
        // on the 12th; nothing on the 11th.
        const QDate today = QDate::currentDate();
        tenth_ = QDate(today.year(), today.month(), 10);
        Simulate(tenth_, "100000", "--recordings 3 --duration 6");
        Simulate(tenth_, "100100", "--duration 10");
        Simulate(tenth_.addDays(2), "090000", "--duration 8");
        ASSERT_TRUE(window_.Open(card_.Root()));
        dialog_ = window_.dialog.get();
    }

    void Simulate(const QDate& day, const char* start, const char* more) {
        const std::string command = std::string(TRAMLET_SIMCARD) + " -q --channels 1234 --fps 30" +
                                    " --keyint 30 --size 640x360 --no-gps --start " +
                                    day.toString("yyyyMMdd").toStdString() + "-" + start + " " +
                                    more + " " + card_.Root();
        ASSERT_EQ(std::system(command.c_str()), 0);
    }

    template <typename T>
    T* Control(int id) const {
        return dialog_->findChild<T*>(res::ControlName(id));
    }

    void Act(std::mt19937& random) {
        const int pick = std::uniform_int_distribution<int>(0, 99)(random);
        const int n = std::uniform_int_distribution<int>(0, 1 << 20)(random);
        if (pick < 25) {  // a moment on the sliders, mostly near the recordings
            const int t = n % 5 == 0 ? 9 * 3600 + n % 7200 : 36000 + n % 130;
            Control<CBitmapSlider>(1006)->SetPosition(t / 3600);
            Control<CBitmapSlider>(1007)->SetPosition(t / 60 % 60);
            Control<CBitmapSlider>(1008)->SetPosition(t % 60);
            emit Control<CBitmapSlider>(1008)->SliderDone(1008, t % 60);
        } else if (pick < 40) {
            Click(n % 2 ? 1015 : 1016);
        } else if (pick < 60) {
            Click(n % 2 ? 1017 : 1018);
        } else if (pick < 70) {
            const int rate = 1 + n % 8;
            Control<CBitmapSlider>(1011)->SetPosition(rate);
            emit Control<CBitmapSlider>(1011)->SliderDone(1011, rate);
        } else if (pick < 78) {
            Control<QCalendarWidget>(1005)->setSelectedDate(tenth_.addDays(n % 3));
        } else if (pick < 84) {
            QTest::keyClick(dialog_, n % 5 == 4 ? Qt::Key_Escape : Qt::Key(Qt::Key_1 + n % 4));
        } else {
            QTest::qWait(100 + n % 1400);
        }
        QCoreApplication::processEvents();
    }

    void Click(int id) {
        if (auto* button = Control<CBitmapButton>(id); button->isEnabled())
            button->click();
    }

    struct Sample {
        std::size_t pictures = 0;
        // How many frames the pictures are ahead of the label (negative:
        // behind), the worst channel; none without a picture.
        std::optional<int> off;
    };

    // The label read before and after the screen, so that both are of one
    // moment.
    std::optional<Sample> Look() {
        const QString before = Control<QLabel>(1003)->text();
        const std::map<int, int> frames = test::ShownFrames(*dialog_);
        if (before != Control<QLabel>(1003)->text())
            return std::nullopt;
        Sample sample{frames.size(), std::nullopt};
        const QTime label = QTime::fromString(before.right(8), "HH:mm:ss");
        const int start = dialog_->ClipStart().SecondOfDay();
        for (const auto& [channel, frame] : frames) {
            const int ahead = (start * kFps + frame) - label.msecsSinceStartOfDay() / 1000 * kFps;
            // Anywhere within the label's second is no disagreement.
            const int off = ahead < 0 ? ahead : std::max(0, ahead - (kFps - 1));
            if (!sample.off || std::abs(off) > std::abs(*sample.off))
                sample.off = off;
        }
        return sample;
    }

    QDate tenth_;
    test::TempDir card_;
    test::WindowOnCard window_;
    CTramletDlg* dialog_ = nullptr;
};

TEST_F(WindowRandomTest, TheLabelNamesTheSecondThePicturesShow) {
    const unsigned seed = static_cast<unsigned>(EnvOr("TRAMLET_WINDOW_SEED", 7));
    const int actions = EnvOr("TRAMLET_WINDOW_ACTIONS", 300);
    std::mt19937 random(seed);
    int worstPaused = 0, worstPlaying = 0;
    for (int i = 0; i < actions; ++i) {
        Act(random);
        const std::size_t channels =
            dialog_->Players().Chosen(dialog_->IsZoomed(), dialog_->SelectedChannel()).size();
        if (dialog_->IsPlaying()) {
            // One tick is a second of video; the rest is the screen's delay.
            if (const std::optional<Sample> sample = Look(); sample && sample->off) {
                worstPlaying = std::max(worstPlaying, std::abs(*sample->off));
                ASSERT_LE(std::abs(*sample->off), 3 * kFps) << "seed " << seed << ", action " << i;
            }
            continue;
        }
        // Paused: once every channel has its picture, it shows the label's second.
        std::optional<Sample> sample;
        test::WaitFor(
            [&] {
                sample = Look();
                return sample && sample->pictures == channels && sample->off.value_or(0) == 0;
            },
            5000);
        ASSERT_TRUE(sample && sample->pictures == channels) << "seed " << seed << ", action " << i;
        const int off = std::abs(sample->off.value_or(0));
        worstPaused = std::max(worstPaused, off);
        ASSERT_LE(off, 1) << "seed " << seed << ", action " << i;
    }
    std::cout << "largest disagreement between label and pictures: " << worstPaused
              << " frames paused, " << worstPlaying << " frames playing (seed " << seed << ")\n";
}

}  // namespace
}  // namespace tramlet
