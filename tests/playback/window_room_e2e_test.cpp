// The program's window grown on the screen, with real clips: the channels
// fill the cells of the layout table made for the grown video area, frame
// steps move every picture by one frame, and half speed plays together.
#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QTest>

#include <algorithm>
#include <cstdlib>
#include <iostream>

#include "app/tramlet_dlg.h"
#include "controls/bitmap_slider.h"
#include "playback/mpv_player.h"
#include "playback/mpv_video_widget.h"
#include "res/control_names.h"
#include "res/resource_ids.h"
#include "support/shown_frames.h"
#include "support/temp_dir.h"
#include "support/wait_for.h"
#include "support/window_on_card.h"

namespace tramlet {
namespace {

constexpr int kFps = 30;

class WindowRoomTest : public testing::Test {
  protected:
    void SetUp() override {
        if (!qApp)
            GTEST_SKIP() << "needs a display: run under xvfb-run";
        const std::string command = std::string(TRAMLET_SIMCARD) +
                                    " -q --channels 1234 --duration 20 --fps 30 --keyint 30"
                                    " --size 640x360 --no-gps " +
                                    card_.Root();
        ASSERT_EQ(std::system(command.c_str()), 0);
        ASSERT_TRUE(window_.Open(card_.Root()));
        dialog_ = window_.dialog.get();
    }

    std::map<int, int> Frames() const { return test::ShownFrames(*dialog_); }
    bool AllShown() const { return Frames().size() == 4; }

    test::TempDir card_;
    test::WindowOnCard window_;
    CTramletDlg* dialog_ = nullptr;
};

TEST_F(WindowRoomTest, AGrownWindowGivesTheChannelsTheRoomInTheirCells) {
    const QSize designed = dialog_->VideoArea()->size();
    const QSize screen = dialog_->screen()->availableGeometry().size();
    dialog_->resize(screen - QSize(100, 60));
    ASSERT_TRUE(test::WaitFor([&] { return AllShown(); }, 10000));
    const QSize grown = dialog_->VideoArea()->size();
    std::cout << "video area " << designed.width() << "x" << designed.height() << " grown to "
              << grown.width() << "x" << grown.height() << "\n";
    EXPECT_GE(grown.width() * grown.height(), designed.width() * designed.height() * 3 / 2);
    for (int k = 0; k < 4; ++k) {
        const auto* player = dynamic_cast<const MpvPlayer*>(dialog_->Players().At(k));
        ASSERT_NE(player, nullptr);
        const LayoutCell cell = dialog_->Layout()[3][k];
        EXPECT_EQ(player->Widget()->geometry(), QRect(cell.x, cell.y, cell.cx, cell.cy)) << k;
    }
}

TEST_F(WindowRoomTest, FrameStepsMoveEveryPictureByOneAndHalfSpeedPlaysTogether) {
    ASSERT_TRUE(test::WaitFor([&] { return AllShown(); }, 10000));
    // The keys are the window's shortcuts: they act in the active window.
    dialog_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog_));
    std::map<int, int> before = Frames();
    for (const auto& [key, step] :
         {std::pair{Qt::Key_Period, 1}, {Qt::Key_Period, 1}, {Qt::Key_Comma, -1}}) {
        QTest::keyClick(dialog_, key);
        std::map<int, int> after;
        ASSERT_TRUE(test::WaitFor(
            [&] {
                after = Frames();
                return after.size() == 4 && after != before;
            },
            5000));
        QTest::qWait(200);
        after = Frames();
        for (const auto& [channel, frame] : after)
            EXPECT_EQ(frame, before.at(channel) + step) << "channel " << channel;
        EXPECT_EQ(dialog_->ChosenMoment().second, after.at(1) / kFps);
        before = after;
    }

    CBitmapSlider* rate = dialog_->findChild<CBitmapSlider*>(res::ControlName(res::kRate));
    rate->SetPosition(0);
    emit rate->SliderDone(1011, 0);
    QTest::keyClick(dialog_, Qt::Key_Space);
    QTest::qWait(500);
    const int start = Frames().at(1);
    const int spread = test::WorstFrameSpread(*dialog_, 4000);
    const int played = Frames().at(1) - start;
    std::cout << "at half speed: " << played << " frames in about 4 s, spread " << spread << "\n";
    EXPECT_LE(spread, 2);
    EXPECT_NEAR(played, 4 * kFps / 2, kFps / 2);
}

}  // namespace
}  // namespace tramlet
