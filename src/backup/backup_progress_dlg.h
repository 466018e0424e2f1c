#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "backup/backup_copier.h"
#include "res/worker_dialog.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace tramlet {

// The window that follows a backup: files and bytes of the whole backup, the
// file being copied and a cancel button.
class CBackupProgress : public WorkerDialog {
    Q_OBJECT

  public:
    CBackupProgress(std::string backupDir, std::vector<BackupItem> plan,
                    BackupCopier::WriteFunction write, QWidget* parent = nullptr);

    // Copies modally and returns what came of it.
    BackupReport Run();

  protected:
    void ShowProgress() override;
    void CancelAsked() override;
    void WorkFinished() override;

  private:
    void TakeProgress(const BackupProgress& progress);

    std::string m_backupDir;
    std::vector<BackupItem> m_plan;
    BackupCopier::WriteFunction m_write;

    QLabel* m_fileText = nullptr;
    QLabel* m_countText = nullptr;
    QProgressBar* m_bytes = nullptr;
    QPushButton* m_cancel = nullptr;

    // The worker keeps only the latest progress.
    std::mutex m_lock;
    BackupProgress m_latest;
    BackupReport m_report;
};

}  // namespace tramlet
