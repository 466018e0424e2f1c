#include "backup/backup_dlg.h"

#include <QCoreApplication>
#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalBlocker>
#include <QTimeEdit>

#include <algorithm>
#include <array>
#include <filesystem>
#include <optional>

#include "backup/backup_defaults.h"
#include "backup/backup_hand_over.h"
#include "backup/backup_progress_dlg.h"
#include "backup/backup_report_text.h"
#include "backup/export_choices_box.h"
#include "catalogue/clip_name.h"
#include "catalogue/folder_listing.h"
#include "catalogue/storage_layout.h"
#include "common/local_moment.h"
#include "common/path_text.h"
#include "export/export_progress_dlg.h"
#include "export/video_export.h"
#include "res/control_names.h"
#include "res/dialog_units.h"
#include "res/own_dialog.h"
#include "res/resource_ids.h"
#include "res/string_table.h"

namespace tramlet {
namespace {

constexpr const char* kBackupDirKey = "BackupDir";

template <typename Control>
Control* Place(Control* control, int id, const QRect& units) {
    if (id != 0)
        control->setObjectName(res::ControlName(id));
    control->setGeometry(FromDialogUnits(units));
    return control;
}

QDateEdit* AddDatePicker(QWidget* parent, int id, const QRect& units) {
    auto* picker = Place(new QDateEdit(parent), id, units);
    picker->setDisplayFormat("yyyy-MM-dd");
    picker->setMinimumDate(QDate(1900, 1, 1));
    picker->setAlignment(Qt::AlignRight);
    return picker;
}

QTimeEdit* AddTimePicker(QWidget* parent, int id, const QRect& units) {
    auto* picker = Place(new QTimeEdit(parent), id, units);
    picker->setDisplayFormat("HH:mm:ss");
    picker->setAlignment(Qt::AlignRight);
    return picker;
}

bool HasClip(const std::vector<BackupItem>& plan) {
    return std::any_of(plan.begin(), plan.end(),
                       [](const BackupItem& item) { return !item.mayBeMissing; });
}

// The length of the recording that starts at that second: its longest clip.
int RecordingLength(const DataRootPath& root, const CalendarDate& date, int h, int m, int s) {
    int length = 0;
    for (const std::string& name :
         FindFiles(RecordingClipsPattern(root, date.year, date.month, date.day, h, m, s))) {
        if (const std::optional<ClipName> clip = ParseClipName(name))
            length = std::max(length, clip->duration);
    }
    return length;
}

// Tramlet-YYYYMMDD-HHMMSS.mp4 in the folder, with -2, -3 ... when that (or,
// for a lossless export, one of its channel files) is taken.
std::filesystem::path FreeExportName(const std::string& folder,
                                     const exporter::ExportRequest& request) {
    const std::string stamp = StartStamp(request.date.year, request.date.month, request.date.day,
                                         request.fromSecond / 3600, request.fromSecond / 60 % 60,
                                         request.fromSecond % 60);
    for (int n = 1;; ++n) {
        const std::filesystem::path name =
            std::filesystem::path(folder) /
            ("Tramlet-" + stamp + (n > 1 ? "-" + std::to_string(n) : "") + ".mp4");
        bool taken = std::filesystem::exists(name);
        for (int channel = 1; channel <= 4; ++channel)
            taken = taken || std::filesystem::exists(exporter::ChannelOutput(name, channel));
        if (!taken)
            return name;
    }
}

// The channels of the clips the pattern finds; all four when it finds none,
// so that the choice is still the user's.
std::array<bool, 4> ChannelsFound(const std::string& pattern) {
    std::array<bool, 4> found{};
    for (const std::string& name : FindFiles(pattern)) {
        const std::optional<ClipName> clip = ParseClipName(name);
        if (clip && !clip->IsUnfinished() && clip->HasValidChannel())
            found[static_cast<size_t>(clip->channel - 1)] = true;
    }
    if (std::none_of(found.begin(), found.end(), [](bool there) { return there; }))
        found.fill(true);
    return found;
}

QString ChooseFolder(QWidget* owner, const QString& title) {
    return QFileDialog::getExistingDirectory(owner, title);
}

void ShowMessage(QWidget* owner, const QString& text, const QString& details) {
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), text, QMessageBox::Ok,
                    owner);
    box.setDetailedText(details);
    box.exec();
}

}  // namespace

CBackup::CBackup(QWidget* parent, Hooks hooks) : QDialog(parent), m_hooks(std::move(hooks)) {
    if (!m_hooks.chooseFolder)
        m_hooks.chooseFolder = ChooseFolder;
    if (!m_hooks.message)
        m_hooks.message = ShowMessage;
    MarkAsOwnDialog(*this);
    setObjectName(res::ControlName(res::kBackupDialog));
    setWindowTitle(QCoreApplication::translate("BackupDialog", "영상 백업"));
    setFixedSize(FromDialogUnits({0, 0, 318, 178}).size());
    DoDataExchange();
    OnInitDialog();
}

void CBackup::DoDataExchange() {
    Place(new QGroupBox(this), 0, {17, 8, 282, 59});
    m_radioCurrent =
        Place(new QRadioButton(QCoreApplication::translate("BackupDialog", "현재 영상"), this),
              res::kRadioCurrent, {22, 14, 52, 12});
    m_radioPeriod =
        Place(new QRadioButton(QCoreApplication::translate("BackupDialog", "기간 설정"), this),
              res::kRadioPeriod, {22, 33, 52, 12});
    m_startDate = AddDatePicker(this, res::kStartDate, {30, 49, 57, 12});
    m_startTime = AddTimePicker(this, res::kStartTime, {87, 49, 66, 12});
    Place(new QLabel("~", this), 0, {155, 50, 8, 11});
    m_endDate = AddDatePicker(this, res::kEndDate, {165, 49, 57, 12});
    m_endTime = AddTimePicker(this, res::kEndTime, {224, 49, 66, 12});
    Place(new QGroupBox(QCoreApplication::translate("BackupDialog", "백업 폴더"), this), 0,
          {17, 72, 282, 37});
    m_folderText = Place(new QLabel(this), res::kBackupFolderText, {23, 87, 247, 16});
    m_folderText->setTextFormat(Qt::PlainText);
    auto* browse = Place(new QPushButton("...", this), res::kBrowseFolder, {277, 87, 17, 16});
    // Instead of copying the clips, one video file to hand on.
    m_export = Place(new ExportChoicesBox(this), res::kExportVideo, {17, 111, 282, 46});
    auto* ok = Place(new QPushButton(QCoreApplication::translate("BackupDialog", "확인"), this),
                     res::kOk, {196, 160, 50, 14});
    ok->setDefault(true);
    auto* cancel = Place(new QPushButton(QCoreApplication::translate("BackupDialog", "취소"), this),
                         res::kCancel, {250, 160, 50, 14});

    connect(m_radioCurrent, &QRadioButton::clicked, this, &CBackup::OnBnClickedRadioCurrent);
    connect(m_radioPeriod, &QRadioButton::clicked, this, &CBackup::OnBnClickedRadioPeriod);
    connect(browse, &QPushButton::clicked, this, &CBackup::OnBnClickedBrowse);
    connect(ok, &QPushButton::clicked, this, &CBackup::OnOK);
    connect(cancel, &QPushButton::clicked, this, &CBackup::reject);
    const auto validate = [this](PeriodSide side) {
        return [this, side] { ValidatePeriod(side); };
    };
    connect(m_startDate, &QDateEdit::dateChanged, this, validate(PeriodSide::kStart));
    connect(m_startDate, &QDateEdit::dateChanged, this, &CBackup::OfferChannels);
    connect(m_startTime, &QTimeEdit::timeChanged, this, validate(PeriodSide::kStart));
    connect(m_endDate, &QDateEdit::dateChanged, this, validate(PeriodSide::kEnd));
    connect(m_endTime, &QTimeEdit::timeChanged, this, validate(PeriodSide::kEnd));
}

void CBackup::OnInitDialog() {
    m_export->Offer(RememberedExportChoices());
    OnBnClickedRadioCurrent();
    OfferPeriod(QDate());
    m_rememberedDir = QSettings("Ostra", "Tramlet").value(kBackupDirKey).toString().toStdString();
    SetBackupDir(OfferedBackupDir(m_rememberedDir, m_dataRoot));
}

void CBackup::TakeOver(const BackupHandOver& handOver) {
    m_dataRoot = handOver.dataRoot;
    m_year = handOver.date.year;
    m_month = handOver.date.month;
    m_day = handOver.date.day;
    m_recordingOpen = handOver.recordingOpen;
    m_clipHour = handOver.clipHour;
    m_clipMinute = handOver.clipMinute;
    m_clipSecond = handOver.clipSecond;
    SetBackupDir(OfferedBackupDir(m_rememberedDir, m_dataRoot));
    OfferPeriod(QDate(m_year, m_month, m_day));
}

void CBackup::OfferPeriod(const QDate& viewedDay) {
    const BackupPeriod period =
        OfferedPeriod(viewedDay, RememberedPeriod(), QDateTime::currentDateTime());
    {
        const QSignalBlocker blockers[] = {QSignalBlocker(m_startDate), QSignalBlocker(m_startTime),
                                           QSignalBlocker(m_endDate), QSignalBlocker(m_endTime)};
        m_endDate->setDate(period.end.date());
        m_endTime->setTime(period.end.time());
        m_startDate->setDate(period.start.date());
        m_startTime->setTime(period.start.time());
    }
    OfferChannels();
}

// The open recording's channels, or those of the period's day.
void CBackup::OfferChannels() {
    const QDate day = m_startDate->date();
    m_export->SetAvailableChannels(
        ChannelsFound(m_radioCurrent->isChecked() && m_recordingOpen
                          ? RecordingClipsPattern(m_dataRoot, m_year, m_month, m_day, m_clipHour,
                                                  m_clipMinute, m_clipSecond)
                          : DayClipsPattern(m_dataRoot, day.year(), day.month(), day.day())));
}

void CBackup::SetBackupDir(const std::string& folder) {
    m_backupDir = folder;
    m_folderText->setText(QString::fromStdString(folder));
}

void CBackup::EnablePickers(bool enable) {
    for (QWidget* picker : {static_cast<QWidget*>(m_startDate), static_cast<QWidget*>(m_startTime),
                            static_cast<QWidget*>(m_endDate), static_cast<QWidget*>(m_endTime)}) {
        picker->setEnabled(enable);
    }
}

void CBackup::OnBnClickedRadioCurrent() {
    m_radioCurrent->setChecked(true);
    m_radioPeriod->setChecked(false);
    EnablePickers(false);
    OfferChannels();
}

void CBackup::OnBnClickedRadioPeriod() {
    m_radioCurrent->setChecked(false);
    m_radioPeriod->setChecked(true);
    EnablePickers(true);
    OfferChannels();
}

std::int64_t CBackup::Moment(const QDateEdit* date, const QTimeEdit* time) const {
    const QDate d = date->date();
    const QTime t = time->time();
    return LocalMoment(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()).value_or(0);
}

// A change that puts the start after the end pulls the side just changed
// back onto the other one.
void CBackup::ValidatePeriod(PeriodSide changed) {
    if (Moment(m_startDate, m_startTime) <= Moment(m_endDate, m_endTime))
        return;
    const bool moveStart = changed == PeriodSide::kStart;
    QDateEdit* toDate = moveStart ? m_startDate : m_endDate;
    QTimeEdit* toTime = moveStart ? m_startTime : m_endTime;
    {
        const QSignalBlocker dateBlocker(toDate);
        const QSignalBlocker timeBlocker(toTime);
        toDate->setDate((moveStart ? m_endDate : m_startDate)->date());
        toTime->setTime((moveStart ? m_endTime : m_startTime)->time());
    }
    Message(LoadString(res::kInvalidPeriod));
}

void CBackup::OnBnClickedBrowse() {
    const QString folder = m_hooks.chooseFolder(this, LoadString(res::kChooseFolder));
    if (folder.isEmpty())
        return;
    const std::string chosen = WithSlash(folder.toStdString());
    if (RefuseFolder(chosen))
        return;
    SetBackupDir(chosen);
    QSettings("Ostra", "Tramlet").setValue(kBackupDirKey, QString::fromStdString(chosen));
}

bool CBackup::RefuseFolder(const std::string& folder) {
    if (!WouldCopyOntoDataRoot(folder, m_dataRoot))
        return false;
    Message(QCoreApplication::translate(
                "BackupDialog",
                "백업 폴더가 녹화 영상이 있는 폴더와 같아서 파일을 자기 자신 위에 "
                "복사하게 됩니다.\n다른 폴더를 선택해 주세요."),
            QString::fromStdString(folder));
    return true;
}

std::vector<BackupItem> CBackup::Plan() const {
    if (m_radioCurrent->isChecked()) {
        return PlanCurrentRecording(m_dataRoot, m_year, m_month, m_day, m_clipHour, m_clipMinute,
                                    m_clipSecond);
    }
    return PlanPeriod(m_dataRoot, Moment(m_startDate, m_startTime), Moment(m_endDate, m_endTime));
}

void CBackup::OnOK() {
    RememberChoices();
    if (m_backupDir.empty()) {
        Message(LoadString(res::kChooseFolder));
        return;
    }
    MakeDefaultFolder();
    if (!QFileInfo(QString::fromStdString(m_backupDir)).isDir()) {
        Message(QCoreApplication::translate("BackupDialog", "백업 폴더가 없습니다: %1\n%2")
                    .arg(QString::fromStdString(m_backupDir), LoadString(res::kChooseFolder)));
        return;
    }
    if (RefuseFolder(m_backupDir))
        return;
    if (m_radioCurrent->isChecked() && !m_recordingOpen) {
        Message(QCoreApplication::translate("BackupDialog",
                                            "열려 있는 녹화 영상이 없습니다.\n"
                                            "영상을 먼저 재생하거나 기간을 지정해 주세요."));
        return;
    }
    if (m_export->isChecked()) {
        ExportVideo();
        return;
    }
    const std::vector<BackupItem> plan = Plan();
    if (!HasClip(plan)) {
        Message(QCoreApplication::translate("BackupDialog", "백업할 영상이 없습니다."));
        return;
    }
    CBackupProgress progress(m_backupDir, plan, m_hooks.write, this);
    const BackupReport report = progress.Run();
    if (report.Complete()) {
        Message(LoadString(res::kBackupDone));
        accept();
        return;
    }
    const BackupReportText text = DescribeIncompleteBackup(report);
    Message(text.text, text.details);
}

// The open recording, or the period; a period must lie within one day.
void CBackup::ExportVideo() {
    exporter::ExportRequest request;
    request.dataRoot = m_dataRoot;
    request.mode =
        m_export->Lossless() ? exporter::ExportMode::kEach : exporter::ExportMode::kMerged;
    request.channels = m_export->Channels();
    request.fullSize = m_export->FullSize();
    if (request.channels.empty()) {
        Message(QCoreApplication::translate("BackupDialog", "내보낼 채널을 선택해 주세요."));
        return;
    }
    if (m_radioCurrent->isChecked()) {
        request.date = {m_year, m_month, m_day};
        request.fromSecond = m_clipHour * 3600 + m_clipMinute * 60 + m_clipSecond;
        request.toSecond =
            request.fromSecond +
            RecordingLength(m_dataRoot, request.date, m_clipHour, m_clipMinute, m_clipSecond);
    } else {
        const QDate start = m_startDate->date();
        if (start != m_endDate->date()) {
            Message(QCoreApplication::translate(
                "BackupDialog", "영상으로 내보내기는 하루 안의 기간만 할 수 있습니다."));
            return;
        }
        request.date = {start.year(), start.month(), start.day()};
        request.fromSecond = m_startTime->time().msecsSinceStartOfDay() / 1000;
        request.toSecond = m_endTime->time().msecsSinceStartOfDay() / 1000 + 1;
    }
    request.output = FreeExportName(m_backupDir, request);
    CExportProgress progress(request, this);
    const exporter::ExportResult result = progress.Run();
    const ExportOutcomeText text = DescribeExport(result);
    Message(text.text, text.details);
    if (!result.failure)
        accept();
}

// The default folder is new to most users; a chosen one that is gone (an
// unplugged disk, say) must not be made again in its place.
void CBackup::MakeDefaultFolder() {
    if (m_backupDir == DefaultBackupDir())
        QDir().mkpath(QString::fromStdString(m_backupDir));
}

// Offered again next time, whatever comes of this backup.
void CBackup::RememberChoices() {
    RememberExportChoices(m_export->Choices());
    if (m_radioPeriod->isChecked())
        RememberPeriod(
            {{m_startDate->date(), m_startTime->time()}, {m_endDate->date(), m_endTime->time()}});
}

void CBackup::Message(const QString& text, const QString& details) {
    m_hooks.message(this, text, details);
}

void RunBackupDialog(const BackupHandOver& handOver) {
    CBackup backup;
    backup.TakeOver(handOver);
    backup.exec();
}

}  // namespace tramlet
