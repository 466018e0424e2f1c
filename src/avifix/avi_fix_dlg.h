#pragma once

#include <QDialog>
#include <QTimer>

#include <memory>
#include <string>

class QProgressBar;
class QThread;

namespace tramlet {

// The small window that repairs the clips of a data root: it starts the pass
// half a second after it shows, follows it with two progress bars and closes
// itself when the pass is done. The pass runs on a worker thread, so the
// window keeps painting; its progress arrives as queued signals.
class CAviFix : public QDialog {
    Q_OBJECT

  public:
    explicit CAviFix(QWidget* parent = nullptr);
    ~CAviFix() override;

    std::string m_dataRoot;

  signals:
    void PassStarted(int total);
    void FileStarted(int index);
    void FilePercent(int percent);

  protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

  private:
    void OnTimer();
    void OnPassFinished();

    QProgressBar* m_fileProgress = nullptr;
    QProgressBar* m_totalProgress = nullptr;
    QTimer m_startTimer;
    std::unique_ptr<QThread> m_worker;
    bool m_done = false;
};

// Runs the repair window modally over a data root.
void RunRepairWindow(const std::string& dataRoot);

}  // namespace tramlet
