#include "backup/backup_dlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalBlocker>
#include <QTest>
#include <QThread>
#include <QTimeEdit>
#include <QTimer>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "backup/backup_hand_over.h"
#include "backup/backup_progress_dlg.h"
#include "res/control_names.h"
#include "res/resource_ids.h"
#include "support/run_command.h"
#include "support/scoped_home.h"
#include "support/temp_dir.h"

namespace tramlet {
namespace {

namespace fs = std::filesystem;

const char* const kClip1 = "20120305-142233-1-60.avi";
const char* const kClip2 = "20120305-142233-2-60.avi";

struct Shown {
    QString text;
    QString details;
};

bool HasLeftovers(const fs::path& folder) {
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.path().filename().string().find(".part") != std::string::npos)
            return true;
    }
    return false;
}

class BackupDialogTest : public testing::Test {
  protected:
    void SetUp() override {
        // Settings go to a folder of the test's own, never the user's.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(settings_.Path().string()));
        card_.Write(std::string("video/") + kClip1, "channel one");
        card_.Write(std::string("video/") + kClip2, std::string(3 << 20, '2'));
        card_.Write("gps/20120305.gps", "142233 37.5 127.0 40 90\n");
    }

    // The dialog as the main window opens it on the card's recording; by
    // default with the test's backup folder chosen.
    std::unique_ptr<CBackup> Open(bool chooseBackupFolder = true,
                                  CalendarDate viewedDay = {2012, 3, 5}) {
        CBackup::Hooks hooks;
        hooks.chooseFolder = [this](QWidget*, const QString&) { return chosenFolder_; };
        hooks.message = [this](QWidget*, const QString& text, const QString& details) {
            shown_.push_back({text, details});
        };
        hooks.write = write_;
        auto dialog = std::make_unique<CBackup>(nullptr, hooks);
        dialog->TakeOver({viewedDay, true, 14, 22, 33, DataRootPath(card_.Root())});
        if (chooseBackupFolder)
            dialog->SetBackupDir(backup_.Root());
        return dialog;
    }

    template <typename T>
    static T* Control(const CBackup& dialog, int id) {
        return dialog.findChild<T*>(res::ControlName(id));
    }
    static std::vector<QWidget*> Pickers(const CBackup& dialog) {
        return {Control<QDateEdit>(dialog, res::kStartDate),
                Control<QTimeEdit>(dialog, res::kStartTime),
                Control<QDateEdit>(dialog, res::kEndDate),
                Control<QTimeEdit>(dialog, res::kEndTime)};
    }
    static QDateTime Start(const CBackup& dialog) {
        return {Control<QDateEdit>(dialog, res::kStartDate)->date(),
                Control<QTimeEdit>(dialog, res::kStartTime)->time()};
    }
    static QDateTime End(const CBackup& dialog) {
        return {Control<QDateEdit>(dialog, res::kEndDate)->date(),
                Control<QTimeEdit>(dialog, res::kEndTime)->time()};
    }
    // Sets all four pickers at once, as if the period had been entered in an
    // order that never put the start after the end.
    static void SetPeriod(const CBackup& dialog, const QDateTime& start, const QDateTime& end) {
        const std::vector<QWidget*> pickers = Pickers(dialog);
        std::vector<std::unique_ptr<QSignalBlocker>> blockers;
        for (QWidget* picker : pickers)
            blockers.push_back(std::make_unique<QSignalBlocker>(picker));
        Control<QDateEdit>(dialog, res::kEndDate)->setDate(end.date());
        Control<QTimeEdit>(dialog, res::kEndTime)->setTime(end.time());
        Control<QDateEdit>(dialog, res::kStartDate)->setDate(start.date());
        Control<QTimeEdit>(dialog, res::kStartTime)->setTime(start.time());
    }

    test::TempDir settings_;
    test::TempDir home_;
    const test::ScopedHome scopedHome_{home_.Path()};
    test::TempDir card_;
    test::TempDir backup_;
    QString chosenFolder_;
    BackupCopier::WriteFunction write_;
    std::vector<Shown> shown_;
};

TEST_F(BackupDialogTest, RadioButtonsSwitchThePickersThatOfferTheViewedDay) {
    const auto dialog = Open();
    dialog->show();
    EXPECT_TRUE(Control<QRadioButton>(*dialog, res::kRadioCurrent)->isChecked());
    for (QWidget* picker : Pickers(*dialog))
        EXPECT_FALSE(picker->isEnabled());
    EXPECT_EQ(Start(*dialog), QDateTime(QDate(2012, 3, 5), QTime(0, 0)));
    EXPECT_EQ(End(*dialog), QDateTime(QDate(2012, 3, 5), QTime(23, 59, 59)));

    QTest::mouseClick(Control<QRadioButton>(*dialog, res::kRadioPeriod), Qt::LeftButton);
    EXPECT_FALSE(Control<QRadioButton>(*dialog, res::kRadioCurrent)->isChecked());
    for (QWidget* picker : Pickers(*dialog))
        EXPECT_TRUE(picker->isEnabled());

    QTest::mouseClick(Control<QRadioButton>(*dialog, res::kRadioCurrent), Qt::LeftButton);
    EXPECT_FALSE(Control<QRadioButton>(*dialog, res::kRadioPeriod)->isChecked());
    for (QWidget* picker : Pickers(*dialog))
        EXPECT_FALSE(picker->isEnabled());
}

struct PeriodEdit {
    const char* what;
    int control;
    QDateTime value;  // the changed picker's new date or time
    QDateTime start;  // the period afterwards
    QDateTime end;
    bool complaint;
};

void PrintTo(const PeriodEdit& edit, std::ostream* os) {
    *os << edit.what;
}

class PeriodValidationTest : public BackupDialogTest,
                             public testing::WithParamInterface<PeriodEdit> {};

// The period starts at 2012-03-05 14:00:00 and ends at 14:30:00.
TEST_P(PeriodValidationTest, MovesTheChangedSideBackAndComplains) {
    const PeriodEdit& edit = GetParam();
    const auto dialog = Open();
    SetPeriod(*dialog, {{2012, 3, 5}, {14, 0}}, {{2012, 3, 5}, {14, 30}});
    ASSERT_TRUE(shown_.empty());

    if (auto* date = Control<QDateEdit>(*dialog, edit.control))
        date->setDate(edit.value.date());
    else
        Control<QTimeEdit>(*dialog, edit.control)->setTime(edit.value.time());

    EXPECT_EQ(Start(*dialog), edit.start);
    EXPECT_EQ(End(*dialog), edit.end);
    if (edit.complaint) {
        ASSERT_EQ(shown_.size(), 1u);
        EXPECT_EQ(shown_[0].text, QString::fromUtf8("설정한 기간이 올바르지 않습니다."));
    } else {
        EXPECT_TRUE(shown_.empty());
    }
}

const QDateTime kAt1400{{2012, 3, 5}, {14, 0}};
const QDateTime kAt1430{{2012, 3, 5}, {14, 30}};

INSTANTIATE_TEST_SUITE_P(
    Edits, PeriodValidationTest,
    testing::Values(
        PeriodEdit{"start date after the end",
                   res::kStartDate,
                   {{2012, 3, 6}, {}},
                   kAt1430,
                   kAt1430,
                   true},
        PeriodEdit{
            "start time after the end", res::kStartTime, {{}, {15, 0}}, kAt1430, kAt1430, true},
        PeriodEdit{
            "end time before the start", res::kEndTime, {{}, {13, 0}}, kAt1400, kAt1400, true},
        PeriodEdit{
            "end date before the start", res::kEndDate, {{2012, 3, 4}, {}}, kAt1400, kAt1400, true},
        PeriodEdit{
            "start equal to the end", res::kStartTime, {{}, {14, 30}}, kAt1430, kAt1430, false},
        PeriodEdit{"end later",
                   res::kEndDate,
                   {{2012, 3, 7}, {}},
                   kAt1400,
                   {{2012, 3, 7}, {14, 30}},
                   false}),
    [](const testing::TestParamInfo<PeriodEdit>& info) {
        return "Case" + std::to_string(info.index);
    });

TEST_F(BackupDialogTest, OkWithoutAFolderAsksForOneAndStays) {
    const auto dialog = Open();
    dialog->SetBackupDir("");
    dialog->OnOK();
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_EQ(shown_[0].text, QString::fromUtf8("폴더를 선택해 주세요."));
    EXPECT_EQ(dialog->result(), 0);
    EXPECT_FALSE(fs::exists(backup_.Path() / "video"));
}

TEST_F(BackupDialogTest, EnterAndEscapeDoNotCloseIt) {
    const auto dialog = Open();
    dialog->show();
    QApplication::processEvents();
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        QTest::keyClick(dialog.get(), key);
        QTest::keyClick(Control<QPushButton>(*dialog, res::kOk), key);
    }
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(shown_.empty());  // Enter did not press OK either
    EXPECT_FALSE(fs::exists(backup_.Path() / "video"));
}

// A folder on the card would be refused at the first OK: the user's videos
// folder is offered instead, and made when the backup starts.
TEST_F(BackupDialogTest, FolderDefaultsToTheVideosFolderOffTheCardAndRemembersTheChoice) {
    const std::string videos = (home_.Path() / "Videos/Tramlet/").string();
    struct Case {
        const char* what;
        std::string remembered;
        std::string offered;
    };
    for (const Case& c :
         {Case{"nothing remembered", "", videos}, Case{"the card", card_.Root(), videos},
          Case{"a folder on the card", card_.Root() + "backups/", videos},
          Case{"a folder elsewhere", backup_.Root(), backup_.Root()}}) {
        QSettings("Ostra", "Tramlet").setValue("BackupDir", QString::fromStdString(c.remembered));
        const auto dialog = Open(false);
        EXPECT_EQ(dialog->BackupDir(), c.offered) << c.what;
        EXPECT_EQ(Control<QLabel>(*dialog, res::kBackupFolderText)->text().toStdString(), c.offered)
            << c.what;
    }

    QSettings("Ostra", "Tramlet").remove("BackupDir");
    const auto first = Open(false);
    first->OnOK();
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_EQ(shown_[0].text, QString::fromUtf8("백업이 완료되었습니다."));
    EXPECT_TRUE(fs::exists(fs::path(videos) / "video" / kClip1));

    const auto dialog = Open();
    chosenFolder_ = QString::fromStdString(backup_.Path().string() + "/mine");
    fs::create_directory(backup_.Path() / "mine");
    dialog->OnBnClickedBrowse();
    const std::string chosen = backup_.Root() + "mine/";
    EXPECT_EQ(dialog->BackupDir(), chosen);
    EXPECT_EQ(QSettings("Ostra", "Tramlet").value("BackupDir").toString().toStdString(), chosen);
    EXPECT_EQ(Open(false)->BackupDir(), chosen);
}

TEST_F(BackupDialogTest, RefusesTheDataRootAsBackupFolder) {
    const auto dialog = Open();
    chosenFolder_ = QString::fromStdString(card_.Path().string());
    dialog->OnBnClickedBrowse();
    EXPECT_EQ(dialog->BackupDir(), backup_.Root());
    EXPECT_FALSE(QSettings("Ostra", "Tramlet").contains("BackupDir"));
    ASSERT_EQ(shown_.size(), 1u);

    dialog->SetBackupDir(card_.Root());  // however it came there
    dialog->OnOK();
    ASSERT_EQ(shown_.size(), 2u);
    EXPECT_EQ(shown_[1].text, shown_[0].text);
    EXPECT_FALSE(fs::exists(card_.Path() / "SHA256SUMS"));
    EXPECT_EQ(dialog->result(), 0);
}

TEST_F(BackupDialogTest, CopiesTheCurrentRecordingAndReportsCompletion) {
    const auto dialog = Open();
    dialog->OnOK();
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_EQ(shown_[0].text, QString::fromUtf8("백업이 완료되었습니다."));
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    for (const char* file : {kClip1, kClip2})
        EXPECT_EQ(fs::file_size(backup_.Path() / "video" / file),
                  fs::file_size(card_.Path() / "video" / file));
    EXPECT_TRUE(fs::exists(backup_.Path() / "gps/20120305.gps"));
    EXPECT_TRUE(fs::exists(backup_.Path() / "SHA256SUMS"));
}

// The recording has channels 1 and 2: only those are offered, and merged
// they sit side by side.
TEST_F(BackupDialogTest, ExportsTheOpenRecordingsChosenChannelsAsVideoInsteadOfCopying) {
    test::TempDir card;
    ASSERT_EQ(std::system((std::string(TRAMLET_SIMCARD) +
                           " -q --size 160x96 --start 20120305-142233 --channels 12 --duration 2 " +
                           card.Root())
                              .c_str()),
              0);
    struct Case {
        int radio;
        std::vector<bool> ticked;  // channels 1 and 2
        std::vector<const char*> files;
        const char* size;  // of the first file's video, as ffprobe prints it
    };
    for (const Case& c :
         {Case{res::kRadioMerged, {true, true}, {"Tramlet-20120305-142233.mp4"}, "320x96"},
          Case{res::kRadioMerged, {true, false}, {"Tramlet-20120305-142233-2.mp4"}, "160x96"},
          Case{res::kRadioLossless,
               {true, true},
               {"Tramlet-20120305-142233-3-ch1.mp4", "Tramlet-20120305-142233-3-ch2.mp4"},
               "160x96"}}) {
        shown_.clear();
        const auto dialog = Open();
        dialog->TakeOver({{2012, 3, 5}, true, 14, 22, 33, DataRootPath(card.Root())});
        dialog->SetBackupDir(backup_.Root());
        Control<QGroupBox>(*dialog, res::kExportVideo)->setChecked(true);
        Control<QRadioButton>(*dialog, c.radio)->setChecked(true);
        for (int channel = 1; channel <= 4; ++channel) {
            EXPECT_EQ(Control<QCheckBox>(*dialog, res::kExportChannel1 + channel - 1)->isEnabled(),
                      channel <= 2)
                << channel;
        }
        for (int channel = 1; channel <= 2; ++channel) {
            auto* box = Control<QCheckBox>(*dialog, res::kExportChannel1 + channel - 1);
            if (box->isChecked() != c.ticked[static_cast<size_t>(channel - 1)])
                box->click();
        }
        dialog->OnOK();
        ASSERT_EQ(shown_.size(), 1u);
        EXPECT_TRUE(shown_[0].text.startsWith(QString::fromUtf8("영상을 내보냈습니다.")))
            << shown_[0].text.toStdString();
        for (const char* file : c.files)
            EXPECT_GT(fs::file_size(backup_.Path() / file), 0u) << file;
        EXPECT_EQ(test::RunCommand({"ffprobe", "-v", "error", "-select_streams", "v",
                                    "-show_entries", "stream=width,height", "-of", "csv=s=x:p=0",
                                    (backup_.Path() / c.files[0]).string()})
                      .out,
                  std::string(c.size) + "\n")
            << c.files[0];
        EXPECT_EQ(dialog->result(), QDialog::Accepted);
    }
    EXPECT_FALSE(fs::exists(backup_.Path() / "video"));
}

// What the user chose comes back the next time, for the day then viewed.
TEST_F(BackupDialogTest, RemembersThePeriodAndTheExportChoices) {
    {
        const auto dialog = Open();
        QTest::mouseClick(Control<QRadioButton>(*dialog, res::kRadioPeriod), Qt::LeftButton);
        SetPeriod(*dialog, {{2012, 3, 5}, {14, 0}}, {{2012, 3, 6}, {2, 30}});
        Control<QGroupBox>(*dialog, res::kExportVideo)->setChecked(true);
        Control<QRadioButton>(*dialog, res::kRadioLossless)->setChecked(true);
        Control<QCheckBox>(*dialog, res::kExportChannel1 + 1)->click();
        dialog->SetBackupDir("");
        dialog->OnOK();  // refused for want of a folder, but the choices stay
    }
    const auto next = Open(true, {2012, 3, 9});
    EXPECT_EQ(Start(*next), QDateTime(QDate(2012, 3, 9), QTime(14, 0)));
    EXPECT_EQ(End(*next), QDateTime(QDate(2012, 3, 10), QTime(2, 30)));
    EXPECT_TRUE(Control<QGroupBox>(*next, res::kExportVideo)->isChecked());
    EXPECT_TRUE(Control<QRadioButton>(*next, res::kRadioLossless)->isChecked());
    EXPECT_FALSE(Control<QCheckBox>(*next, res::kExportFullSize)->isEnabled());
    // Channel 2 was left out on purpose; 3 and 4 were merely not there.
    std::vector<bool> ticked;
    for (int channel = 1; channel <= 4; ++channel)
        ticked.push_back(
            Control<QCheckBox>(*next, res::kExportChannel1 + channel - 1)->isChecked());
    EXPECT_EQ(ticked, (std::vector<bool>{true, false, true, true}));
}

TEST_F(BackupDialogTest, SaysWhatFailedAndWhy) {
    write_ = [](int fd, const void* data, size_t size) -> ssize_t {
        if (size > 1000) {
            errno = ENOSPC;
            return -1;
        }
        return ::write(fd, data, size);
    };
    const auto dialog = Open();
    dialog->OnOK();
    ASSERT_EQ(shown_.size(), 1u);
    const QString& text = shown_[0].text;
    EXPECT_TRUE(text.contains(QString::fromUtf8("복사한 파일: 2개"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QString("video/") + kClip2)) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromUtf8("저장 공간이 부족합니다"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QString("video/") + kClip1)) << text.toStdString();
    EXPECT_EQ(dialog->result(), 0);  // stays open for another folder
    EXPECT_FALSE(HasLeftovers(backup_.Path()));
}

TEST_F(BackupDialogTest, CurrentRecordingWithNoneOpenSaysSoAndCopiesNothing) {
    card_.Write("video/20120305-000000-1-60.avi", "the day's midnight recording");
    const auto dialog = Open();
    dialog->m_recordingOpen = false;
    dialog->m_clipHour = dialog->m_clipMinute = dialog->m_clipSecond = 0;
    dialog->OnOK();
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_TRUE(shown_[0].text.startsWith(QString::fromUtf8("열려 있는 녹화 영상이 없습니다")));
    EXPECT_FALSE(fs::exists(backup_.Path() / "video"));
}

TEST_F(BackupDialogTest, PeriodWithoutClipsSaysSoInsteadOfCompletion) {
    const auto dialog = Open();
    QTest::mouseClick(Control<QRadioButton>(*dialog, res::kRadioPeriod), Qt::LeftButton);
    SetPeriod(*dialog, {{2013, 1, 1}, {0, 0}}, {{2013, 1, 2}, {0, 0}});
    dialog->OnOK();
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_EQ(shown_[0].text, QString::fromUtf8("백업할 영상이 없습니다."));
    EXPECT_FALSE(fs::exists(backup_.Path() / "video"));
}

// The progress window's cancel button stops the copy between blocks: what
// was copied stays, the file in progress leaves nothing behind.
TEST_F(BackupDialogTest, CancelKeepsWhatWasCopiedAndSaysSo) {
    std::atomic<bool> bigWriteStarted{false};
    std::atomic<bool> cancelClicked{false};
    write_ = [&](int fd, const void* data, size_t size) -> ssize_t {
        if (size > 1000) {
            bigWriteStarted = true;
            while (!cancelClicked)
                QThread::msleep(5);
        }
        return ::write(fd, data, size);
    };
    QTimer clicker;
    clicker.setInterval(10);
    QObject::connect(&clicker, &QTimer::timeout, [&] {
        auto* progress = qobject_cast<CBackupProgress*>(QApplication::activeModalWidget());
        if (!progress || !bigWriteStarted)
            return;
        QTest::mouseClick(progress->findChild<QPushButton*>("cancel"), Qt::LeftButton);
        cancelClicked = true;
        clicker.stop();
    });
    clicker.start();

    const auto dialog = Open();
    QTest::mouseClick(Control<QRadioButton>(*dialog, res::kRadioPeriod), Qt::LeftButton);
    SetPeriod(*dialog, {{2012, 3, 5}, {14, 0}}, {{2012, 3, 5}, {15, 0}});
    dialog->OnOK();

    ASSERT_TRUE(cancelClicked);
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_TRUE(shown_[0].text.contains(QString::fromUtf8("취소")));
    // The day's log comes first; the small clip may come before the big one or not.
    EXPECT_TRUE(fs::exists(backup_.Path() / "gps/20120305.gps"));
    EXPECT_FALSE(fs::exists(backup_.Path() / "video" / kClip2));
    const int copied = fs::exists(backup_.Path() / "video" / kClip1) ? 2 : 1;
    EXPECT_TRUE(shown_[0].text.contains(QString::fromUtf8("파일 %1개").arg(copied)))
        << shown_[0].text.toStdString();
    EXPECT_FALSE(HasLeftovers(backup_.Path()));
}

}  // namespace
}  // namespace tramlet
