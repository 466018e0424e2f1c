#include "res/worker_dialog.h"

#include <QThread>

namespace tramlet {

WorkerDialog::WorkerDialog(QWidget* parent, Qt::WindowFlags flags) : QDialog(parent, flags) {
    connect(
        this, &WorkerDialog::ProgressArrived, this,
        [this] {
            m_signalQueued = false;
            ShowProgress();
        },
        Qt::QueuedConnection);
}

WorkerDialog::~WorkerDialog() {
    StopWork();
}

void WorkerDialog::StopWork() {
    if (m_worker) {
        m_cancelRequested = true;
        m_worker->wait();
    }
}

void WorkerDialog::StartWork(std::function<void()> work) {
    m_worker.reset(QThread::create(std::move(work)));
    connect(m_worker.get(), &QThread::finished, this, [this] {
        m_ended = true;
        WorkFinished();
    });
    m_worker->start();
}

void WorkerDialog::RunWork(std::function<void()> work) {
    StartWork(std::move(work));
    exec();
    m_worker->wait();
}

void WorkerDialog::PostProgress() {
    if (!m_signalQueued.exchange(true))
        emit ProgressArrived();
}

void WorkerDialog::reject() {
    if (!m_worker || m_ended) {
        QDialog::reject();
        return;
    }
    m_cancelRequested = true;
    CancelAsked();
}

}  // namespace tramlet
