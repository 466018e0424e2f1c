#include "app/tramlet_dlg.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "app/about_dlg.h"
#include "app/month_calendar.h"
#include "avifix/avi_fix_dlg.h"
#include "controls/bitmap_button.h"
#include "controls/bitmap_slider.h"
#include "library/library_bar.h"
#include "library/library_menu.h"
#include "platform/volume_source.h"
#include "res/control_names.h"
#include "support/fake_player.h"
#include "support/scoped_home.h"
#include "support/temp_dir.h"

namespace tramlet {
namespace {

class FakeVolumes : public VolumeSource {
  public:
    std::vector<MountedVolume> Volumes() const override { return volumes_; }
    void Set(std::vector<MountedVolume> volumes) {
        volumes_ = std::move(volumes);
        emit Changed();
    }

  private:
    std::vector<MountedVolume> volumes_;
};

void PutLittleEndian(std::string& bytes, size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<size_t>(i)] = static_cast<char>(value >> (8 * i));
}

// The first bytes of a clip the recorder closed properly: frames and rate are
// all the repair pass reads to name its length.
std::string FinishedClipHeader(std::uint32_t frames, std::uint32_t rate) {
    std::string bytes(224, '\0');
    bytes.replace(0, 4, "RIFF");
    PutLittleEndian(bytes, 4, 4096);
    bytes.replace(8, 4, "AVI ");
    PutLittleEndian(bytes, 48, frames);
    PutLittleEndian(bytes, 132, rate);
    bytes.replace(220, 4, "movi");
    return bytes + std::string(4096, '\0');
}

class MainWindowTest : public testing::Test {
  protected:
    // Clips go into the month the calendar shows at start-up, today's.
    std::string ClipName(int day, const char* rest) const {
        const QDate today = QDate::currentDate();
        return QString("video/%1%2%3-%4")
            .arg(today.year(), 4, 10, QChar('0'))
            .arg(today.month(), 2, 10, QChar('0'))
            .arg(day, 2, 10, QChar('0'))
            .arg(rest)
            .toStdString();
    }
    QDate Day(int day) const {
        const QDate today = QDate::currentDate();
        return QDate(today.year(), today.month(), day);
    }
    MountedVolume Card() const { return {card_.Path().string(), "/dev/sdz1", "QM_CAM07"}; }

    void Start(CTramletDlg::RepairRunner repair) {
        volumes_.Set({{"/", "/dev/sda1", "system"}, Card()});
        dialog_ = std::make_unique<CTramletDlg>(volumes_, std::move(repair));
        dialog_->SetPlayerFactory([this](int, std::function<void()> notify) {
            return std::make_unique<test::FakePlayer>(clips_, std::move(notify));
        });
        dialog_->OnInitDialog();
        dialog_->show();
        LetEventsRun();
    }
    void Start() {
        Start([this](const DataRootPath&) { ++repairs_; });
    }
    static void LetEventsRun() {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }
    template <typename T>
    T* Control(int id) const {
        return dialog_->findChild<T*>(res::ControlName(id));
    }
    CMonthCalendar* Calendar() const { return Control<CMonthCalendar>(1005); }

    test::TempDir card_;
    FakeVolumes volumes_;
    std::map<std::string, test::FakeClip> clips_;
    int repairs_ = 0;
    std::unique_ptr<CTramletDlg> dialog_;
};

TEST_F(MainWindowTest, StartUpRepairsBeforeShowingThenLoadsTheFirstDayWithClips) {
    card_.Write(ClipName(5, "101500-1-0.avi"), FinishedClipHeader(1800, 30000));
    card_.Write(ClipName(9, "080000-1-60.avi"), "");
    bool shownDuringRepair = true;
    Start([&](const DataRootPath& root) {
        shownDuringRepair = dialog_->isVisible();
        RunRepairWindow(root);
    });

    EXPECT_FALSE(shownDuringRepair);
    EXPECT_TRUE(std::filesystem::exists(card_.Path() / ClipName(5, "101500-1-60.avi")));
    EXPECT_EQ(dialog_->DataRoot().Text(), card_.Root());
    EXPECT_EQ(Calendar()->selectedDate(), Day(5));
    EXPECT_TRUE(Calendar()->IsBold(Day(5)));
    EXPECT_TRUE(Calendar()->IsBold(Day(9)));
    EXPECT_FALSE(Calendar()->IsBold(Day(6)));
    ASSERT_EQ(dialog_->Catalogue().Recordings().size(), 1u);
    EXPECT_EQ(dialog_->Catalogue().Recordings().begin()->duration, 60);
    EXPECT_TRUE(dialog_->Catalogue().Hours()[10]);
    EXPECT_EQ(dialog_->Messages().DayMessage().substr(0, 11),
              "1\t" + Day(5).toString("yyyyMMdd").toStdString() + "\t");
}

TEST_F(MainWindowTest, ControlsStartAsTheWindowPromises) {
    Start();
    EXPECT_EQ(repairs_, 1);
    for (int id : {1015, 1016, 1017, 1018})
        EXPECT_FALSE(Control<CBitmapButton>(id)->isEnabled());
    for (int id : {1019, 1021, 1022, 1032})
        EXPECT_TRUE(Control<CBitmapButton>(id)->isEnabled());
    EXPECT_EQ(Control<CBitmapButton>(1015)->size(), QSize(38, 37));
    // The button's own tip, and the key that does the same.
    EXPECT_EQ(Control<CBitmapButton>(1015)->toolTip(), QString::fromUtf8("재생 (Space)"));
    EXPECT_EQ(Control<CBitmapSlider>(1004)->GetPos(), -10000);
    EXPECT_EQ(Control<CBitmapSlider>(1011)->GetPos(), 1);
    for (int id : {1001, 1006, 1007, 1008})
        EXPECT_EQ(Control<CBitmapSlider>(id)->GetPos(), 0);
    EXPECT_EQ(Control<CBitmapSlider>(1001)->size(), QSize(733, 14));

    const QWidget* video = Control<QWidget>(1000);
    const int w = video->width();
    const int h = video->height();
    EXPECT_EQ(dialog_->Layout()[1][0], (LayoutCell{0, h / 4, w / 2, h / 2}));
    EXPECT_EQ(dialog_->Layout()[0][0], (LayoutCell{0, 0, w, h}));
}

TEST_F(MainWindowTest, ShowingTheWindowAgainLeavesItWhereTheUserPutIt) {
    Start();
    dialog_->move(13, 17);
    dialog_->hide();
    dialog_->show();
    LetEventsRun();
    EXPECT_EQ(dialog_->pos(), QPoint(13, 17));
}

TEST_F(MainWindowTest, EnterAndEscapeCloseNoWindowOfTheProgram) {
    Start();
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        QTest::keyClick(dialog_.get(), key);
        QTest::keyClick(Control<CBitmapButton>(1021), key);
    }
    LetEventsRun();
    EXPECT_TRUE(dialog_->isVisible());

    CAboutDlg about;
    about.show();
    QTest::keyClick(&about, Qt::Key_Escape);
    QTest::keyClick(&about, Qt::Key_Return);
    EXPECT_TRUE(about.isVisible());
}

TEST_F(MainWindowTest, CardRemovalClearsEverythingAndItsReturnListsItAgain) {
    card_.Write(ClipName(3, "120000-1-60.avi"), "");
    Start();
    Control<CBitmapSlider>(1006)->SetPosition(12);
    ASSERT_TRUE(Calendar()->IsBold(Day(3)));

    volumes_.Set({{"/", "/dev/sda1", "system"}});
    LetEventsRun();
    EXPECT_EQ(dialog_->DataRoot().Text(), ".");
    EXPECT_TRUE(dialog_->Catalogue().Recordings().empty());
    EXPECT_FALSE(Calendar()->IsBold(Day(3)));
    EXPECT_EQ(Control<CBitmapSlider>(1006)->GetPos(), 0);
    EXPECT_EQ(dialog_->Messages().DayMessage(), "");
    EXPECT_EQ(repairs_, 1);

    volumes_.Set({{"/", "/dev/sda1", "system"}, Card()});
    LetEventsRun();
    EXPECT_EQ(dialog_->DataRoot().Text(), card_.Root());
    EXPECT_EQ(repairs_, 2);
    EXPECT_TRUE(Calendar()->IsBold(Day(3)));
    EXPECT_EQ(dialog_->Catalogue().Recordings().size(), 1u);
}

// Only the card's own volume matters: a stick that comes and goes beside it
// changes nothing, and neither does a card that arrives while the user
// looks at a folder of their own choosing.
TEST_F(MainWindowTest, OtherVolumesComingAndGoingChangeNothing) {
    card_.Write(ClipName(3, "120000-1-60.avi"), "");
    card_.Write(ClipName(4, "120000-1-60.avi"), "");
    Start();
    Calendar()->setSelectedDate(Day(4));  // the user picks the 4th
    LetEventsRun();
    const Moment shown = dialog_->ChosenMoment();
    const MountedVolume system{"/", "/dev/sda1", "system"};
    const MountedVolume stick{"/media/stick", "/dev/sdy1", "STICK"};
    volumes_.Set({system, Card(), stick});
    volumes_.Set({system, Card()});
    LetEventsRun();
    EXPECT_EQ(repairs_, 1);
    EXPECT_EQ(Calendar()->selectedDate(), Day(4));
    EXPECT_EQ(dialog_->Catalogue().SelectedDate().day, 4);
    EXPECT_EQ(dialog_->ChosenMoment(), shown);
    EXPECT_EQ(dialog_->ClipStart(), (Moment{12, 0, 0}));

    test::TempDir chosen;
    dialog_->ChooseDataRoot(QString::fromStdString(chosen.Path().string()));
    volumes_.Set({system});
    volumes_.Set({system, {card_.Path().string(), "/dev/sdz1", "QM_CAM07", 2}});
    LetEventsRun();
    EXPECT_EQ(dialog_->DataRoot().Text(), chosen.Root());
    EXPECT_EQ(repairs_, 1);
}

TEST_F(MainWindowTest, CardsArrivingDuringARepairGetOneMorePassAfterIt) {
    int runs = 0, depth = 0, deepest = 0;
    std::vector<std::string> roots;
    Start([&](const DataRootPath& root) {
        ++runs;
        roots.push_back(root.Text());
        deepest = std::max(deepest, ++depth);
        if (runs == 2) {  // the repair window's loop delivers the arrivals
            const MountedVolume system{"/", "/dev/sda1", "system"};
            volumes_.Set({system});
            volumes_.Set({system, {card_.Path().string(), "/dev/sdz1", "QM_CAM07", 2}});
        }
        --depth;
    });
    dialog_->OnBnClickedReset();
    LetEventsRun();
    EXPECT_EQ(runs, 3);
    EXPECT_EQ(deepest, 1);
    EXPECT_EQ(roots.back(), card_.Root());
}

TEST_F(MainWindowTest, AChosenFolderBecomesTheDataRootAndIsScanned) {
    Start();
    test::TempDir other;
    other.Write(ClipName(7, "090000-2-30.avi"), "");
    dialog_->ChooseDataRoot(QString::fromStdString(other.Path().string()));
    EXPECT_EQ(dialog_->DataRoot().Text(), other.Root());
    LetEventsRun();
    EXPECT_TRUE(Calendar()->IsBold(Day(7)));
    EXPECT_EQ(Calendar()->selectedDate(), Day(7));
}

TEST_F(MainWindowTest, ClickingADayListsItAndQueuesTheDayMessage) {
    card_.Write(ClipName(3, "120000-1-60.avi"), "");
    card_.Write(ClipName(8, "070000-1-60.avi"), "");
    card_.Write(ClipName(8, "063000-2-60.avi"), "");
    Start();
    Calendar()->setSelectedDate(Day(8));  // selection change, then the click
    dialog_->SelectDay();
    const std::string day = Day(8).toString("yyyyMMdd").toStdString();
    EXPECT_EQ(dialog_->Messages().DayMessage().rfind("1\t" + day + "\t063000\t0.000000\t", 0), 0u);
    ASSERT_EQ(dialog_->Catalogue().Recordings().size(), 2u);
    EXPECT_TRUE(dialog_->Catalogue().Hours()[6] && dialog_->Catalogue().Hours()[7]);
}

// A card that arrives is offered for the library, kept there in the
// background, and then opened from the library's menu as the vehicle.
TEST_F(MainWindowTest, ACardKeptInTheLibraryOpensFromItsMenuAsTheVehicle) {
    test::TempDir home;
    const test::ScopedHome scopedHome(home.Path());
    card_.Write(ClipName(5, "101500-1-60.avi"), "picture");
    card_.Write(ClipName(5, "101500-2-60.avi"), "picture");
    Start();
    auto* bar = dialog_->findChild<library::LibraryBar*>("libraryBar");
    ASSERT_TRUE(bar);
    ASSERT_TRUE(bar->isVisible());
    auto* vehicle = bar->findChild<QLineEdit*>();
    vehicle->setText("버스 101");
    QTest::keyClick(vehicle, Qt::Key_Return);
    // In the background: the window is still there to be used meanwhile.
    EXPECT_TRUE(bar->Busy());
    EXPECT_TRUE(dialog_->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([bar] { return !bar->Busy(); }, 60000));
    LetEventsRun();
    const std::filesystem::path kept = home.Path() / "Videos/Tramlet/보관함/버스 101";
    EXPECT_TRUE(std::filesystem::exists(kept / ClipName(5, "101500-2-60.avi")));

    QMenu* vehicles = dialog_->findChild<library::LibraryMenu*>("libraryMenu")->menu();
    emit vehicles->aboutToShow();
    ASSERT_EQ(vehicles->actions().size(), 1);
    EXPECT_EQ(vehicles->actions()[0]->text(), "버스 101");
    vehicles->actions()[0]->trigger();
    LetEventsRun();
    EXPECT_EQ(dialog_->DataRoot().Text(), kept.string() + "/");
    EXPECT_EQ(Calendar()->selectedDate(), Day(5));
    EXPECT_EQ(dialog_->Catalogue().Recordings().size(), 1u);
}

}  // namespace
}  // namespace tramlet
