// MpvPlayer on simulator clips, on a real display with software GL.
#include "playback/mpv_player.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QTest>

#include <cstdlib>
#include <memory>
#include <string>

#include "playback/frame_stamp_reader.h"
#include "playback/mpv_video_widget.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

namespace tramlet {
namespace {

constexpr std::int64_t kSecond = kMediaTimePerSecond;

class MpvPlayerTest : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        card_ = new test::TempDir;
        const std::string command = std::string(TRAMLET_SIMCARD) +
                                    " -q --start 20240309-100000 --duration 5 --fps 30"
                                    " --keyint 30 --size 640x360 " +
                                    card_->Root();
        clipOk_ = std::system(command.c_str()) == 0;
    }
    static void TearDownTestSuite() { delete card_; }

    void SetUp() override {
        if (!qApp)
            GTEST_SKIP() << "needs a display: run under xvfb-run";
        ASSERT_TRUE(clipOk_);
        area_ = std::make_unique<QWidget>();
        area_->resize(640, 360);
        area_->show();
        player_ = std::make_unique<MpvPlayer>(area_.get(), [this] { ++notified_; });
    }
    void TearDown() override {
        player_.reset();
        area_.reset();
    }
    static std::string Clip() { return card_->Root() + "video/20240309-100000-1-5.avi"; }

    // The next event the player queues, waiting for it.
    std::optional<PlayerEvent> NextEvent() {
        std::optional<PlayerEvent> event;
        return QTest::qWaitFor([&] { return (event = player_->FetchEvent()).has_value(); }, 10000)
                   ? event
                   : std::nullopt;
    }
    // Loads the clip; on failure, the text for the user.
    std::optional<std::string> Open(const std::string& path) {
        if (const auto failed = player_->StartOpen(path))
            return failed->text;
        const std::optional<PlayerEvent> event = NextEvent();
        if (!event)
            return "no answer";
        return event->code == PlayerEventCode::kLoaded ? std::nullopt : std::optional(event->text);
    }

    // The frame the widget shows, once it has settled on one.
    std::optional<int> ShownFrame() {
        std::optional<FrameStamp> last;
        for (int tries = 0; tries < 40; ++tries) {
            QTest::qWait(50);
            const QImage image =
                player_->Widget()->grabFramebuffer().convertToFormat(QImage::Format_RGB32);
            const ImageView view{image.constBits(), image.width(), image.height(),
                                 static_cast<int>(image.bytesPerLine()), PixelFormat::kRgb32};
            const std::optional<FrameStamp> now = ReadFrameStamp(view);
            if (now && last && *now == *last)
                return now->frame;
            last = now;
        }
        return std::nullopt;
    }

    static test::TempDir* card_;
    static bool clipOk_;
    std::unique_ptr<QWidget> area_;
    std::unique_ptr<MpvPlayer> player_;
    int notified_ = 0;
};

test::TempDir* MpvPlayerTest::card_ = nullptr;
bool MpvPlayerTest::clipOk_ = false;

TEST_F(MpvPlayerTest, OpensPausedAtTheStartWithTheClipsLength) {
    ASSERT_EQ(Open(Clip()), std::nullopt);
    player_->ShowVideo({0, 0, 640, 360});
    ASSERT_TRUE(player_->Duration());
    EXPECT_NEAR(static_cast<double>(*player_->Duration()), 5.0 * kSecond, kSecond / 30.0);
    EXPECT_FALSE(player_->IsRunning());
    EXPECT_EQ(ShownFrame(), 0);
}

TEST_F(MpvPlayerTest, KeyFrameSeeksLandOnTheKeyFrameAndExactSeeksOnTheFrame) {
    ASSERT_EQ(Open(Clip()), std::nullopt);
    player_->ShowVideo({0, 0, 640, 360});
    struct Case {
        std::int64_t to;
        SeekMode mode;
        int frame;
    };
    for (const Case& c : {Case{2 * kSecond + kSecond / 2, SeekMode::kKeyFrame, 60},
                          Case{2 * kSecond + kSecond / 2, SeekMode::kExact, 75},
                          Case{kSecond / 3, SeekMode::kExact, 10}}) {
        player_->Seek(c.to, c.mode);
        player_->Cue();
        EXPECT_EQ(ShownFrame(), c.frame) << c.to;
        // Where the seek landed, not where it was asked to go.
        EXPECT_NEAR(static_cast<double>(player_->Position()), c.frame * kSecond / 30.0,
                    kSecond / 60.0)
            << c.to;
    }
}

// What the screen shows, which a held picture must not change.
TEST_F(MpvPlayerTest, AHeldSeeksPictureReachesTheScreenOnlyWhenShown) {
    ASSERT_EQ(Open(Clip()), std::nullopt);
    player_->ShowVideo({0, 0, 640, 360});
    ASSERT_EQ(ShownFrame(), 0);
    const auto onScreen = [this]() -> std::optional<int> {
        const QImage image = area_->screen()
                                 ->grabWindow(area_->winId())
                                 .toImage()
                                 .convertToFormat(QImage::Format_RGB32);
        const ImageView view{image.constBits(), image.width(), image.height(),
                             static_cast<int>(image.bytesPerLine()), PixelFormat::kRgb32};
        const std::optional<FrameStamp> stamp = ReadFrameStamp(view);
        return stamp ? std::optional(stamp->frame) : std::nullopt;
    };
    player_->SeekHeld(2 * kSecond + kSecond / 2);
    const std::optional<PlayerEvent> ready = NextEvent();
    ASSERT_TRUE(ready);
    EXPECT_EQ(ready->code, PlayerEventCode::kPictureReady);
    QTest::qWait(200);
    EXPECT_EQ(onScreen(), 0);
    player_->ShowHeldPicture();
    EXPECT_TRUE(QTest::qWaitFor([&] { return onScreen() == 60; }, 5000)) << *onScreen();
}

TEST_F(MpvPlayerTest, RatesVolumeAndASingleEndOfStream) {
    ASSERT_EQ(Open(Clip()), std::nullopt);
    notified_ = 0;  // the load was told
    player_->ShowVideo({0, 0, 640, 360});
    EXPECT_TRUE(player_->SetRate(4.0));
    EXPECT_EQ(player_->Rate(), 4.0);
    player_->SetVolume(-600);
    EXPECT_EQ(player_->Volume(), -600);
    player_->SetVolume(kSilentVolume);
    EXPECT_EQ(player_->Volume(), kSilentVolume);

    player_->Seek(4 * kSecond, SeekMode::kExact);
    player_->Run();
    EXPECT_TRUE(QTest::qWaitFor([this] { return notified_ > 0; }, 5000));
    QTest::qWait(500);
    EXPECT_EQ(notified_, 1);
    const std::optional<PlayerEvent> event = player_->FetchEvent();
    ASSERT_TRUE(event);
    EXPECT_EQ(event->code, PlayerEventCode::kEndOfStream);
    EXPECT_FALSE(player_->FetchEvent());
    // The last picture stays.
    EXPECT_EQ(ShownFrame(), 149);
    // Playing on from the end ends again at once.
    player_->Run();
    EXPECT_TRUE(QTest::qWaitFor([this] { return notified_ > 1; }, 5000));
    EXPECT_FALSE(player_->IsRunning());
    ASSERT_TRUE(player_->FetchEvent());
}

TEST_F(MpvPlayerTest, FrameStepsMoveOneFrameAndTheZoomReachesTheCore) {
    ASSERT_EQ(Open(Clip()), std::nullopt);
    player_->ShowVideo({0, 0, 640, 360});
    player_->Seek(kSecond, SeekMode::kExact);
    ASSERT_EQ(ShownFrame(), 30);
    for (const auto& [direction, frame] : {std::pair{1, 31}, {1, 32}, {-1, 31}}) {
        player_->StepFrame(direction);
        EXPECT_EQ(ShownFrame(), frame);
        EXPECT_FALSE(player_->SeekPending());
        EXPECT_NEAR(static_cast<double>(player_->Position()), frame * kSecond / 30.0,
                    kSecond / 60.0);
    }
    player_->SetZoom({4.0, 0.25, -0.125});
    // Each property is set on its own, and the core may take them in any order.
    EXPECT_TRUE(QTest::qWaitFor([this] {
        return player_->ReadProperty("video-zoom") == 2.0 &&
               player_->ReadProperty("video-pan-x") == 0.25 &&
               player_->ReadProperty("video-pan-y") == -0.125;
    }));
}

TEST_F(MpvPlayerTest, ASeekTheCoreRefusesLeavesThePositionWhereItWasAndIsTold) {
    player_->Seek(3 * kSecond, SeekMode::kExact);  // nothing loaded to seek in
    EXPECT_TRUE(QTest::qWaitFor([this] { return player_->Position() == 0; }, 5000));
    const std::optional<PlayerEvent> event = NextEvent();
    ASSERT_TRUE(event);
    EXPECT_EQ(event->code, PlayerEventCode::kSeekRefused);
}

// Opening does not wait: a seek asked for at once is where the clip starts,
// and the clip counts as loaded only once that picture is there.
TEST_F(MpvPlayerTest, ASeekAskedForWhileTheClipLoadsIsWhereItsFirstPictureIs) {
    ASSERT_EQ(player_->StartOpen(Clip()), std::nullopt);
    player_->ShowVideo({0, 0, 640, 360});
    player_->Seek(2 * kSecond + kSecond / 2, SeekMode::kExact);
    EXPECT_EQ(player_->Position(), 2 * kSecond + kSecond / 2);
    const std::optional<PlayerEvent> event = NextEvent();
    ASSERT_TRUE(event);
    EXPECT_EQ(event->code, PlayerEventCode::kLoaded);
    EXPECT_EQ(ShownFrame(), 75);
}

TEST_F(MpvPlayerTest, AFileThatIsNoClipIsRefusedWithItsCode) {
    const std::string bogus = card_->Write("video/not-a-clip.avi", "not a clip").string();
    const std::optional<std::string> error = Open(bogus);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->rfind("RenderFile Error Code is 0x8004", 0), 0u) << *error;
}

}  // namespace
}  // namespace tramlet
