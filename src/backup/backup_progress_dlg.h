#pragma once

#include <QDialog>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "backup/backup_copier.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QThread;

namespace tramlet {

// The window that follows a backup: files and bytes of the whole backup, the
// file being copied and a cancel button. The copy runs on a worker thread, so
// the window keeps painting; progress arrives as queued signals.
class CBackupProgress : public QDialog {
    Q_OBJECT

  public:
    CBackupProgress(std::string backupDir, std::vector<BackupItem> plan,
                    BackupCopier::WriteFunction write, QWidget* parent = nullptr);
    ~CBackupProgress() override;

    // Copies modally and returns what came of it.
    BackupReport Run();

  signals:
    void ProgressArrived();

  protected:
    // Closing the window asks the copy to stop; it closes once the copy has.
    void reject() override;

  private:
    void PostProgress(const BackupProgress& progress);
    void ShowProgress();
    void OnFinished();

    std::string m_backupDir;
    std::vector<BackupItem> m_plan;
    BackupCopier::WriteFunction m_write;

    QLabel* m_fileText = nullptr;
    QLabel* m_countText = nullptr;
    QProgressBar* m_bytes = nullptr;
    QPushButton* m_cancel = nullptr;

    // The worker keeps only the latest progress; one signal at a time is
    // queued, so a fast copy does not flood the window's event queue.
    std::mutex m_lock;
    BackupProgress m_latest;
    std::atomic<bool> m_signalQueued{false};
    std::atomic<bool> m_cancelRequested{false};

    std::unique_ptr<QThread> m_worker;
    BackupReport m_report;
    bool m_finished = false;
};

}  // namespace tramlet
