#pragma once

#include <QTimer>

#include "avifix/repair_pass.h"
#include "common/data_root_path.h"
#include "res/worker_dialog.h"

class QLabel;
class QProgressBar;

namespace tramlet {

// The small window that repairs the clips of a data root: it starts the pass
// half a second after it shows and follows it with two progress bars. When
// every clip came through it closes itself; otherwise it stays, naming each
// clip it could not handle and why, until the user closes it.
class CAviFix : public WorkerDialog {
    Q_OBJECT

  public:
    explicit CAviFix(QWidget* parent = nullptr);
    ~CAviFix() override;

    DataRootPath m_dataRoot;

    // What the pass did; complete once the window has closed.
    const avifix::PassReport& Report() const { return m_report; }

  signals:
    void PassStarted(int total);
    void FileStarted(int index);
    void FilePercent(int percent);

  protected:
    void showEvent(QShowEvent* event) override;
    void WorkFinished() override;

  private:
    void OnTimer();
    void ShowFailures();

    QLabel* m_text = nullptr;
    QProgressBar* m_fileProgress = nullptr;
    QProgressBar* m_totalProgress = nullptr;
    QTimer m_startTimer;
    avifix::PassReport m_report;
};

// Runs the repair window modally over a data root.
void RunRepairWindow(const DataRootPath& dataRoot);

}  // namespace tramlet
