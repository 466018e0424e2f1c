// The main window's playback logic against scripted players.
#include <gtest/gtest.h>

#include <QCalendarWidget>
#include <QCoreApplication>
#include <QDate>
#include <QLabel>
#include <QTest>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "app/tramlet_dlg.h"
#include "controls/bitmap_button.h"
#include "controls/bitmap_slider.h"
#include "res/control_names.h"
#include "support/fake_player.h"
#include "support/no_volumes.h"
#include "support/temp_dir.h"

namespace tramlet {
namespace {

using test::FakeClip;
using test::FakePlayer;

constexpr std::int64_t kSecond = kMediaTimePerSecond;

struct Buttons {
    bool play, pause, rewind, forward;
    friend bool operator==(const Buttons&, const Buttons&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Buttons& b) {
        return out << "play " << b.play << " pause " << b.pause << " rewind " << b.rewind
                   << " forward " << b.forward;
    }
};
constexpr Buttons kAllOff{false, false, false, false};
constexpr Buttons kPaused{true, false, true, true};
constexpr Buttons kPlaying{false, true, true, true};

class PlaybackWindowTest : public testing::Test {
  protected:
    // Clips of the 9th of the month the calendar shows at start, today's.
    std::string Name(const char* startAndChannel, int duration) const {
        const QDate today = QDate::currentDate();
        return QString("%1%2%3-%4-%5.avi")
            .arg(today.year(), 4, 10, QChar('0'))
            .arg(today.month(), 2, 10, QChar('0'))
            .arg(9, 2, 10, QChar('0'))
            .arg(startAndChannel)
            .arg(duration)
            .toStdString();
    }
    std::string Stamp(const char* time) const { return Name(time, 0).substr(0, 9) + time; }
    void AddClip(const char* startAndChannel, int duration, FakeClip clip = {}) {
        clip.duration = duration * kSecond;
        const std::string name = Name(startAndChannel, duration);
        card_.Write("video/" + name, "");
        clips_[name] = clip;
    }
    void Start() {
        dialog_ = std::make_unique<CTramletDlg>(volumes_, CTramletDlg::RepairRunner{});
        dialog_->SetPlayerFactory([this](int, std::function<void()> notify) {
            return std::make_unique<FakePlayer>(clips_, std::move(notify));
        });
        dialog_->SetErrorReporter([this](const QString& text) { errors_.push_back(text); });
        dialog_->OnInitDialog();
        dialog_->show();
        dialog_->ChooseDataRoot(QString::fromStdString(card_.Root()));
        LetEventsRun();
    }
    static void LetEventsRun() {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }
    template <typename T>
    T* Control(int id) const {
        return dialog_->findChild<T*>(res::ControlName(id));
    }
    void Commit(int id, int position) {
        Control<CBitmapSlider>(id)->SetPosition(position);
        emit Control<CBitmapSlider>(id)->SliderDone(id, position);
        LetEventsRun();
    }
    void ChooseMoment(int h, int m, int s) {
        Control<CBitmapSlider>(1006)->SetPosition(h);
        Control<CBitmapSlider>(1007)->SetPosition(m);
        Commit(1008, s);
    }
    void Click(int id) {
        Control<CBitmapButton>(id)->click();
        LetEventsRun();
    }
    FakePlayer* Slot(int k) const { return dynamic_cast<FakePlayer*>(dialog_->Players().At(k)); }
    void AdvanceAll(std::int64_t wall) {
        for (int k = 0; k < 4; ++k)
            if (FakePlayer* p = Slot(k))
                p->Advance(wall);
        LetEventsRun();
    }
    Buttons ButtonStates() const {
        return {
            Control<CBitmapButton>(1015)->isEnabled(), Control<CBitmapButton>(1016)->isEnabled(),
            Control<CBitmapButton>(1017)->isEnabled(), Control<CBitmapButton>(1018)->isEnabled()};
    }
    void DoubleClickVideo(QPoint at) {
        QTest::mouseDClick(dialog_->VideoArea(), Qt::LeftButton, {}, at);
        LetEventsRun();
    }

    test::TempDir card_;
    test::NoVolumes volumes_;
    std::map<std::string, FakeClip> clips_;
    std::vector<QString> errors_;
    std::unique_ptr<CTramletDlg> dialog_;
};

struct MomentCase {
    const char* name;
    Moment chosen;
    std::optional<Moment> opened;  // start of the recording that opens
    std::int64_t seekTo;
};

class MomentChoice : public PlaybackWindowTest, public testing::WithParamInterface<MomentCase> {};

TEST_P(MomentChoice, OpensTheFirstCoveringRecordingAndSeeksIntoIt) {
    AddClip("100000-1", 120);
    AddClip("100000-2", 120);
    AddClip("100100-1", 60);
    AddClip("100500-1", 60);
    AddClip("100500-3", 60);
    Start();
    const MomentCase& c = GetParam();
    ChooseMoment(c.chosen.hour, c.chosen.minute, c.chosen.second);

    EXPECT_EQ(dialog_->ChosenMoment(), c.chosen);
    if (!c.opened) {
        EXPECT_EQ(dialog_->Players().LastHeld(), std::nullopt);
        EXPECT_EQ(dialog_->Messages().ClipMessage(), "3\t");
        EXPECT_EQ(ButtonStates(), kAllOff);
        EXPECT_EQ(Control<CBitmapSlider>(1001)->GetPos(), 0);
        return;
    }
    EXPECT_EQ(dialog_->ClipStart(), *c.opened);
    const std::string stamp =
        Name("", 0).substr(0, 9) + QString("%1%2%3")
                                       .arg(c.opened->hour, 2, 10, QChar('0'))
                                       .arg(c.opened->minute, 2, 10, QChar('0'))
                                       .arg(c.opened->second, 2, 10, QChar('0'))
                                       .toStdString();
    EXPECT_EQ(dialog_->Messages().ClipMessage(), "3\t" + stamp);
    EXPECT_EQ(ButtonStates(), kPaused);
    for (int k = 0; k < 4; ++k) {
        if (FakePlayer* p = Slot(k)) {
            ASSERT_FALSE(p->seeks.empty());
            EXPECT_EQ(p->seeks.back().first, c.seekTo) << "slot " << k;
            EXPECT_EQ(p->seeks.back().second, SeekMode::kExact);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MomentChoice,
    testing::Values(MomentCase{"Gap", {10, 3, 0}, std::nullopt, 0},
                    MomentCase{"OverlapTakesTheFirst", {10, 1, 30}, Moment{10, 0, 0}, 90 * kSecond},
                    MomentCase{"SecondRecording", {10, 5, 30}, Moment{10, 5, 0}, 30 * kSecond},
                    MomentCase{"EndIsNotCovered", {10, 6, 0}, std::nullopt, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PlaybackWindowTest, ChannelsOneAndThreeTakeSlotsZeroAndTwoSideBySide) {
    AddClip("100500-1", 60);
    AddClip("100500-3", 60);
    Start();
    ChooseMoment(10, 5, 0);

    ASSERT_NE(Slot(0), nullptr);
    ASSERT_NE(Slot(2), nullptr);
    EXPECT_EQ(Slot(1), nullptr);
    EXPECT_EQ(Slot(0)->cell, dialog_->Layout()[1][0]);
    EXPECT_EQ(Slot(2)->cell, dialog_->Layout()[1][1]);
    EXPECT_TRUE(Slot(0)->visible && Slot(2)->visible);
    // One channel is heard, whatever order the channels opened in.
    EXPECT_EQ(dialog_->SelectedChannel(), 0);
    EXPECT_EQ(Slot(2)->volume, kSilentVolume);
    EXPECT_EQ(Control<CBitmapSlider>(1004)->GetPos(), Slot(0)->volume);
}

TEST_F(PlaybackWindowTest, AMomentInsideTheOpenRecordingUpToItsEndOnlySeeks) {
    AddClip("100000-1", 60);
    Start();
    ChooseMoment(10, 0, 10);
    FakePlayer* first = Slot(0);
    ChooseMoment(10, 1, 0);
    EXPECT_EQ(Slot(0), first);
    EXPECT_EQ(first->seeks.back().first, 60 * kSecond);
    EXPECT_EQ(Control<CBitmapSlider>(1001)->GetPos(), 100);

    ChooseMoment(10, 1, 1);
    EXPECT_EQ(Slot(0), nullptr);
    EXPECT_EQ(ButtonStates(), kAllOff);
}

TEST_F(PlaybackWindowTest, TimelineAndLabelFollowTheMoment) {
    AddClip("100000-1", 60);
    Start();
    ChooseMoment(10, 0, 30);
    EXPECT_EQ(Control<CBitmapSlider>(1001)->GetPos(), 50);
    EXPECT_EQ(Control<QLabel>(1003)->text().toStdString().substr(11), "10:00:30");

    Commit(1001, 25);
    EXPECT_EQ(Slot(0)->seeks.back().first, 15 * kSecond);
    EXPECT_EQ(dialog_->ChosenMoment(), (Moment{10, 0, 15}));
}

TEST_F(PlaybackWindowTest, PlayPauseAndStepsKeepButtonsAndMomentInStep) {
    AddClip("100000-1", 60);
    AddClip("100000-2", 60);
    Start();
    ChooseMoment(10, 0, 1);
    EXPECT_EQ(ButtonStates(), kPaused);

    Click(1015);
    EXPECT_TRUE(dialog_->IsPlaying());
    EXPECT_TRUE(Slot(0)->IsRunning() && Slot(1)->IsRunning());
    EXPECT_EQ(ButtonStates(), kPlaying);

    Click(1016);
    EXPECT_FALSE(dialog_->IsPlaying());
    EXPECT_FALSE(Slot(0)->IsRunning() || Slot(1)->IsRunning());
    EXPECT_EQ(ButtonStates(), kPaused);

    // One second back from 1 s, then once more: the start holds.
    for (int i = 0; i < 2; ++i)
        Click(1017);
    EXPECT_EQ(Slot(0)->Position(), 0);
    EXPECT_EQ(Slot(1)->seeks.back().second, SeekMode::kExact);
    EXPECT_EQ(dialog_->ChosenMoment(), (Moment{10, 0, 0}));
    Click(1018);
    EXPECT_EQ(dialog_->ChosenMoment(), (Moment{10, 0, 1}));
    EXPECT_FALSE(dialog_->IsPlaying());
    EXPECT_GT(Slot(0)->cues, 0);
}

// Each key does what its button or slider does, in the state it leaves.
TEST_F(PlaybackWindowTest, KeysDriveTheTransportAsItsButtonsDo) {
    for (const char* c : {"100000-1", "100000-2", "100000-3", "100000-4"})
        AddClip(c, 60);
    Start();
    ChooseMoment(10, 0, 5);
    const int volume = Control<CBitmapSlider>(1004)->GetPos();
    struct Step {
        Qt::Key key;
        Buttons buttons;
        std::function<bool()> done;
    };
    const Step steps[] = {
        {Qt::Key_Space, kPlaying, [&] { return dialog_->IsPlaying() && Slot(0)->IsRunning(); }},
        {Qt::Key_Space, kPaused, [&] { return !dialog_->IsPlaying() && !Slot(0)->IsRunning(); }},
        {Qt::Key_Left, kPaused,
         [&] {
             return dialog_->ChosenMoment() == Moment{10, 0, 4};
         }},
        {Qt::Key_Right, kPaused,
         [&] {
             return dialog_->ChosenMoment() == Moment{10, 0, 5};
         }},
        {Qt::Key_Down, kPaused, [&] { return Slot(0)->volume == volume - 1000; }},
        {Qt::Key_Up, kPaused, [&] { return Slot(0)->volume == volume; }},
        {Qt::Key_BracketRight, kPaused,
         [&] { return Control<CBitmapSlider>(1011)->GetPos() == 2; }},
        {Qt::Key_BracketLeft, kPaused, [&] { return Control<CBitmapSlider>(1011)->GetPos() == 1; }},
        {Qt::Key_3, kPaused,
         [&] { return dialog_->IsZoomed() && dialog_->SelectedChannel() == 2; }},
        {Qt::Key_2, kPaused,
         [&] { return dialog_->IsZoomed() && dialog_->SelectedChannel() == 1; }},
        {Qt::Key_Escape, kPaused, [&] { return !dialog_->IsZoomed() && dialog_->isVisible(); }},
    };
    for (const Step& step : steps) {
        QTest::keyClick(dialog_.get(), step.key);
        LetEventsRun();
        EXPECT_TRUE(step.done()) << QKeySequence(step.key).toString().toStdString();
        EXPECT_EQ(ButtonStates(), step.buttons) << QKeySequence(step.key).toString().toStdString();
    }
}

TEST_F(PlaybackWindowTest, EndOfStreamPlaysTheNextRecordingAndStopsAfterTheLast) {
    AddClip("100000-1", 60);
    AddClip("100500-1", 60);
    AddClip("100500-2", 60);
    Start();
    ChooseMoment(10, 0, 50);
    Click(1015);
    AdvanceAll(10 * kSecond);

    EXPECT_EQ(dialog_->ClipStart(), (Moment{10, 5, 0}));
    EXPECT_EQ(dialog_->Messages().ClipMessage(), "3\t" + Stamp("100500"));
    EXPECT_TRUE(dialog_->IsPlaying());
    ASSERT_NE(Slot(1), nullptr);
    EXPECT_TRUE(Slot(0)->IsRunning() && Slot(1)->IsRunning());
    EXPECT_EQ(Slot(0)->Position(), 0);
    EXPECT_EQ(ButtonStates(), kPlaying);

    // Both channels end; the second report finds the players already gone.
    AdvanceAll(60 * kSecond);
    EXPECT_EQ(dialog_->ClipStart(), (Moment{10, 5, 0}));
    EXPECT_FALSE(dialog_->IsPlaying());
    EXPECT_EQ(ButtonStates(), kPaused);
}

TEST_F(PlaybackWindowTest, AFarChannelIsSeekedBackOnlyOnceItsLastSeekHasLanded) {
    AddClip("100000-1", 60);
    AddClip("100000-2", 60);
    Start();
    ChooseMoment(10, 0, 10);
    Click(1015);
    Slot(1)->Seek(40 * kSecond, SeekMode::kExact);  // 30 s away from the heard channel
    Slot(1)->seekPending = true;
    const size_t seeks = Slot(1)->seeks.size();
    QTest::qWait(600);  // two rounds of the channels' sync
    EXPECT_EQ(Slot(1)->seeks.size(), seeks);
    Slot(1)->seekPending = false;
    QTest::qWait(600);
    ASSERT_GT(Slot(1)->seeks.size(), seeks);
    EXPECT_EQ(Slot(1)->seeks.back().first, Slot(0)->Position());
}

// A machine that loads slowly shows the channel loading, never an error,
// and the channels start to play together once all have loaded.
TEST_F(PlaybackWindowTest, ASlowChannelLoadsWithoutFailingAndTheOthersWaitToPlayWithIt) {
    FakeClip slow;
    slow.slow = true;
    AddClip("100000-1", 60);
    AddClip("100000-2", 60, slow);
    Start();
    ChooseMoment(10, 0, 5);
    EXPECT_EQ(dialog_->Players().StateOf(1), PlayerSlots::State::kLoading);
    Click(1015);
    EXPECT_TRUE(dialog_->IsPlaying());
    EXPECT_FALSE(Slot(0)->IsRunning());
    Slot(1)->FinishLoading();
    LetEventsRun();
    EXPECT_EQ(dialog_->Players().StateOf(1), PlayerSlots::State::kShown);
    EXPECT_TRUE(Slot(0)->IsRunning() && Slot(1)->IsRunning());
    EXPECT_EQ(Slot(1)->Position(), 5 * kSecond);
    EXPECT_TRUE(errors_.empty());
}

TEST_F(PlaybackWindowTest, TheNextRecordingGoneStopsAtTheEndLikeTheLastOne) {
    AddClip("100000-1", 60);
    AddClip("100500-1", 60);
    Start();
    ChooseMoment(10, 0, 50);
    Click(1015);
    std::filesystem::remove(card_.Path() / "video" / Name("100500-1", 60));
    AdvanceAll(10 * kSecond);
    EXPECT_EQ(dialog_->ClipStart(), (Moment{10, 0, 0}));
    EXPECT_FALSE(dialog_->IsPlaying());
    EXPECT_EQ(ButtonStates(), kPaused);
}

TEST_F(PlaybackWindowTest, EndReachedWhilePausedStillLeavesAConsistentState) {
    AddClip("100000-1", 60);
    AddClip("100500-1", 60);
    Start();
    ChooseMoment(10, 0, 30);
    ChooseMoment(10, 1, 0);
    Slot(0)->EndOfStream();
    LetEventsRun();
    // The next recording plays, and the state says so.
    EXPECT_EQ(dialog_->ClipStart(), (Moment{10, 5, 0}));
    EXPECT_TRUE(dialog_->IsPlaying());
    EXPECT_TRUE(Slot(0)->IsRunning());
    EXPECT_EQ(ButtonStates(), kPlaying);
}

TEST_F(PlaybackWindowTest, ARefusedSpeedMovesTheSliderToWhatThePlayerPlays) {
    FakeClip refusing;
    refusing.refusedRates = {8.0};
    refusing.rateAfterRefusal = 2.0;
    AddClip("100000-1", 60);
    AddClip("100000-2", 60, refusing);
    Start();
    ChooseMoment(10, 0, 0);
    Commit(1011, 8);
    EXPECT_EQ(Control<CBitmapSlider>(1011)->GetPos(), 2);
    EXPECT_EQ(Slot(0)->Rate(), 2.0);
    EXPECT_FALSE(dialog_->IsPlaying());
}

TEST_F(PlaybackWindowTest, AClipThatFailsToOpenIsReportedAndTheOthersPlay) {
    FakeClip broken;
    broken.openError = "RenderFile Error Code is 0x8004000d";
    AddClip("100000-1", 60, broken);
    AddClip("100000-3", 60);
    Start();
    ChooseMoment(10, 0, 5);
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0].toStdString(), "CH1: RenderFile Error Code is 0x8004000d");
    EXPECT_EQ(Slot(0), nullptr);
    // The failed clip used up its place; the one that opened is heard.
    EXPECT_EQ(Slot(2)->cell, dialog_->Layout()[1][1]);
    EXPECT_EQ(dialog_->SelectedChannel(), 2);
    EXPECT_EQ(Slot(2)->seeks.back().first, 5 * kSecond);
}

TEST_F(PlaybackWindowTest, SingleViewShowsTheClickedChannelAloneAndLinesTheOthersUpAfter) {
    for (const char* c : {"100000-1", "100000-2", "100000-3", "100000-4"})
        AddClip(c, 60);
    Start();
    ChooseMoment(10, 0, 0);
    Commit(1004, -2500);
    const QSize area = dialog_->VideoArea()->size();
    DoubleClickVideo({area.width() * 3 / 4, area.height() * 3 / 4});

    EXPECT_TRUE(dialog_->IsZoomed());
    EXPECT_EQ(dialog_->SelectedChannel(), 3);
    EXPECT_EQ(Slot(3)->cell, (LayoutCell{0, 0, area.width(), area.height()}));
    EXPECT_EQ(Slot(3)->volume, -2500);
    for (int k = 0; k < 3; ++k) {
        EXPECT_FALSE(Slot(k)->visible);
        EXPECT_EQ(Slot(k)->volume, kSilentVolume);
    }
    Click(1015);
    EXPECT_TRUE(Slot(3)->IsRunning());
    EXPECT_FALSE(Slot(0)->IsRunning());
    AdvanceAll(7 * kSecond);

    DoubleClickVideo({5, 5});
    EXPECT_FALSE(dialog_->IsZoomed());
    for (int k = 0; k < 4; ++k) {
        EXPECT_TRUE(Slot(k)->visible);
        EXPECT_EQ(Slot(k)->cell, dialog_->Layout()[3][k]);
        EXPECT_EQ(Slot(k)->Position(), 7 * kSecond) << "slot " << k;
        EXPECT_TRUE(Slot(k)->IsRunning());
    }
}

TEST_F(PlaybackWindowTest, DoubleClickWithNothingOpenOrOnABorderChangesNothing) {
    AddClip("100000-1", 60);
    AddClip("100000-2", 60);
    Start();
    DoubleClickVideo({10, 10});
    EXPECT_FALSE(dialog_->IsZoomed());
    ChooseMoment(10, 0, 0);
    DoubleClickVideo({dialog_->VideoArea()->width() / 2, dialog_->VideoArea()->height() / 2});
    EXPECT_FALSE(dialog_->IsZoomed());
}

TEST_F(PlaybackWindowTest, TheMapOpensRecordingsByStampOnlyWhenListed) {
    AddClip("100000-1", 60);
    Start();
    ChooseMoment(9, 0, 0);
    EXPECT_FALSE(dialog_->OpenRecording(Stamp("110000")));
    EXPECT_EQ(dialog_->Players().LastHeld(), std::nullopt);
    EXPECT_EQ(dialog_->ChosenMoment(), (Moment{9, 0, 0}));

    dialog_->ViewFromExpPos(Stamp("100000"));
    ASSERT_NE(Slot(0), nullptr);
    EXPECT_EQ(dialog_->ChosenMoment(), (Moment{10, 0, 0}));
    EXPECT_EQ(Slot(0)->Position(), 0);
    EXPECT_FALSE(dialog_->OpenRecording(""));
}

// What the window shows after each user action names the moment its
// pictures show: across recordings, days, months and speeds.
TEST_F(PlaybackWindowTest, AStepOutOfARecordingGoesOnInTheNextOneAndBack) {
    AddClip("100000-1", 6);
    AddClip("100006-1", 6);
    Start();
    ChooseMoment(10, 0, 5);
    Click(1018);
    EXPECT_EQ(dialog_->ClipStart(), (Moment{10, 0, 6}));
    EXPECT_EQ(Slot(0)->Position(), 0);
    EXPECT_EQ(Control<QLabel>(1003)->text().right(8), "10:00:06");
    EXPECT_EQ(dialog_->Messages().ClipMessage(), "3\t" + Stamp("100006"));
    Click(1017);
    EXPECT_EQ(dialog_->ClipStart(), (Moment{10, 0, 0}));
    EXPECT_EQ(Slot(0)->Position(), 5 * kSecond);
    EXPECT_EQ(dialog_->ChosenMoment(), (Moment{10, 0, 5}));
}

TEST_F(PlaybackWindowTest, ADayOrMonthWithoutRecordingsShowsNoMomentOfAnother) {
    AddClip("100000-1", 60);
    Start();
    ChooseMoment(10, 0, 30);
    auto* calendar = Control<QCalendarWidget>(1005);
    const QDate ninth = calendar->selectedDate();
    for (const QDate& other : {ninth.addDays(1), ninth.addMonths(1)}) {
        calendar->setCurrentPage(other.year(), other.month());
        calendar->setSelectedDate(other);
        LetEventsRun();
        EXPECT_EQ(Control<QLabel>(1003)->text(), other.toString("yyyy-MM-dd"));
        EXPECT_EQ(dialog_->Players().LastHeld(), std::nullopt);
        EXPECT_EQ(dialog_->Messages().PositionMessage(), "2\t0.000000\t0.000000\t0.000000");
        EXPECT_FALSE(dialog_->findChild<QLabel*>("videoNote")->isHidden());
    }
}

// At 8x the label moves once per second of video, and the end of the day's
// last recording shows its last second.
TEST_F(PlaybackWindowTest, TheLabelFollowsThePicturesAtEightTimesToTheEnd) {
    AddClip("100000-1", 60);
    Start();
    ChooseMoment(10, 0, 40);
    Commit(1011, 8);
    Click(1015);
    for (int quarter = 0; quarter < 4; ++quarter) {
        AdvanceAll(kSecond / 4);
        QTest::qWait(150);
        const int shown = 36040 + static_cast<int>(Slot(0)->Position() / kSecond) - 40;
        EXPECT_LE(shown - dialog_->ChosenMoment().SecondOfDay(), 1) << quarter;
    }
    AdvanceAll(10 * kSecond);
    EXPECT_FALSE(dialog_->IsPlaying());
    EXPECT_EQ(Control<QLabel>(1003)->text().right(8), "10:00:59");
}

// Four channels too big to decode in full at 8x stand, and step together
// from key frame to key frame on the window's clock; the label names the
// pictures shown, and the recording ends at its last picture.
TEST_F(PlaybackWindowTest, BigChannelsAtEightTimesStepTogetherToTheEnd) {
    FakeClip big;
    big.pixelRate = test::kEightK;
    for (const char* channel : {"100000-1", "100000-2", "100000-3", "100000-4"})
        AddClip(channel, 20, big);
    Start();
    ChooseMoment(10, 0, 0);
    Commit(1011, 8);
    Click(1015);
    QTest::qWait(1100);
    const std::int64_t shown = Slot(0)->Position();
    EXPECT_GE(shown, 2 * kSecond);
    EXPECT_EQ(dialog_->ChosenMoment().SecondOfDay(), 36000 + shown / kSecond);
    for (int k = 0; k < 4; ++k) {
        EXPECT_FALSE(Slot(k)->IsRunning()) << k;
        EXPECT_FALSE(Slot(k)->held) << k;
        EXPECT_EQ(Slot(k)->Position(), shown) << k;
        EXPECT_EQ(Slot(k)->seeks.back().second, SeekMode::kKeyFrame) << k;
    }

    // Slower, the players run on from the pictures shown.
    Commit(1011, 1);
    for (int k = 0; k < 4; ++k) {
        EXPECT_TRUE(Slot(k)->IsRunning()) << k;
        EXPECT_EQ(Slot(k)->Position(), shown) << k;
    }
    Commit(1011, 8);
    QTest::qWait(3000);
    EXPECT_FALSE(dialog_->IsPlaying());
    EXPECT_EQ(Control<QLabel>(1003)->text().right(8), "10:00:19");
}

}  // namespace
}  // namespace tramlet
