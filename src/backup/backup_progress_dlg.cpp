#include "backup/backup_progress_dlg.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "res/dialog_units.h"
#include "res/own_dialog.h"

namespace tramlet {
namespace {

constexpr int kBarSteps = 1000;

QString Megabytes(std::uint64_t bytes) {
    return QString::number(static_cast<double>(bytes) / (1024.0 * 1024.0), 'f', 1) + " MB";
}

QLabel* AddLabel(QWidget* parent, const char* name, const QRect& units) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setGeometry(FromDialogUnits(units));
    return label;
}

}  // namespace

CBackupProgress::CBackupProgress(std::string backupDir, std::vector<BackupItem> plan,
                                 BackupCopier::WriteFunction write, QWidget* parent)
    : WorkerDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint),
      m_backupDir(std::move(backupDir)),
      m_plan(std::move(plan)),
      m_write(std::move(write)) {
    MarkAsOwnDialog(*this);
    setWindowTitle(QCoreApplication::translate("BackupProgress", "영상 백업"));
    setFixedSize(FromDialogUnits({0, 0, 260, 70}).size());

    m_fileText = AddLabel(this, "currentFile", {10, 8, 240, 10});
    m_fileText->setTextFormat(Qt::PlainText);
    m_bytes = new QProgressBar(this);
    m_bytes->setObjectName("bytes");
    m_bytes->setGeometry(FromDialogUnits({10, 21, 240, 11}));
    m_bytes->setRange(0, kBarSteps);
    m_bytes->setValue(0);
    m_bytes->setTextVisible(false);
    m_countText = AddLabel(this, "counts", {10, 35, 240, 10});
    m_cancel = new QPushButton(QCoreApplication::translate("BackupProgress", "취소"), this);
    m_cancel->setObjectName("cancel");
    m_cancel->setGeometry(FromDialogUnits({200, 50, 50, 14}));
    m_cancel->setAutoDefault(false);
    connect(m_cancel, &QPushButton::clicked, this, &CBackupProgress::reject);
}

BackupReport CBackupProgress::Run() {
    RunWork([this] {
        BackupCopier copier(m_backupDir);
        if (m_write)
            copier.SetWriteFunction(m_write);
        m_report = copier.Run(
            m_plan, [this](const BackupProgress& p) { TakeProgress(p); }, CancelRequested());
    });
    return m_report;
}

void CBackupProgress::TakeProgress(const BackupProgress& progress) {
    {
        const std::lock_guard<std::mutex> hold(m_lock);
        m_latest = progress;
    }
    PostProgress();
}

void CBackupProgress::ShowProgress() {
    BackupProgress progress;
    {
        const std::lock_guard<std::mutex> hold(m_lock);
        progress = m_latest;
    }
    m_fileText->setText(QString::fromStdString(progress.currentFile));
    m_countText->setText(QCoreApplication::translate("BackupProgress", "파일 %1 / %2    %3 / %4")
                             .arg(progress.filesDone)
                             .arg(progress.filesTotal)
                             .arg(Megabytes(progress.bytesDone), Megabytes(progress.bytesTotal)));
    const double part = progress.bytesTotal == 0 ? 0.0
                                                 : static_cast<double>(progress.bytesDone) /
                                                       static_cast<double>(progress.bytesTotal);
    m_bytes->setValue(static_cast<int>(part * kBarSteps));
}

void CBackupProgress::CancelAsked() {
    m_cancel->setEnabled(false);
    m_fileText->setText(QCoreApplication::translate("BackupProgress", "취소하는 중입니다..."));
}

void CBackupProgress::WorkFinished() {
    ShowProgress();
    accept();
}

}  // namespace tramlet
