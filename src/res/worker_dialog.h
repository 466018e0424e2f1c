#pragma once

#include <QDialog>

#include <atomic>
#include <functional>
#include <memory>

class QThread;

namespace tramlet {

// A window that follows work on a worker thread, so that it keeps painting
// while the work runs. The work's progress arrives as one queued signal at a
// time, so fast work cannot flood the window's event queue. Closing the
// window asks the work to stop; the window closes only once the work has
// ended, and never leaves a worker behind.
class WorkerDialog : public QDialog {
    Q_OBJECT

  public:
    ~WorkerDialog() override;

  signals:
    void ProgressArrived();

  protected:
    WorkerDialog(QWidget* parent, Qt::WindowFlags flags);

    // Starts the work; WorkFinished runs on the window's thread once it ends.
    void StartWork(std::function<void()> work);
    // Starts the work and shows the window modally until it ends.
    void RunWork(std::function<void()> work);
    // Asks the work to stop and waits for it: for the destructor of a window
    // whose work uses its members, which go before this base's destructor runs.
    void StopWork();
    bool WorkStarted() const { return m_worker != nullptr; }
    bool WorkEnded() const { return m_ended; }

    // For the work, from any thread: there is progress to show.
    void PostProgress();
    // Set when the user asked the work to stop.
    std::atomic<bool>& CancelRequested() { return m_cancelRequested; }

    // On the window's thread: show the latest progress.
    virtual void ShowProgress() {}
    // The user asked running work to stop (the flag is set already).
    virtual void CancelAsked() {}
    // The work has ended; the window closes with accept unless overridden.
    virtual void WorkFinished() { accept(); }

    void reject() override;

  private:
    std::unique_ptr<QThread> m_worker;
    std::atomic<bool> m_signalQueued{false};
    std::atomic<bool> m_cancelRequested{false};
    bool m_ended = false;
};

}  // namespace tramlet
