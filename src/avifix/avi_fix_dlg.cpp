#include "avifix/avi_fix_dlg.h"

#include <QLabel>
#include <QProgressBar>
#include <QThread>

#include "avifix/repair_pass.h"
#include "res/dialog_units.h"
#include "res/own_dialog.h"
#include "res/resource_ids.h"
#include "res/string_table.h"

namespace tramlet {
namespace {

constexpr int kStartDelayMilliseconds = 500;

QProgressBar* AddBar(QWidget* parent, int id, const QRect& geometry) {
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(QString::number(id));
    bar->setGeometry(geometry);
    bar->setTextVisible(false);
    bar->setValue(0);
    return bar;
}

}  // namespace

CAviFix::CAviFix(QWidget* parent) : QDialog(parent) {
    MarkAsOwnDialog(*this);
    setWindowTitle(LoadString(res::kResetCaption));
    setFixedSize(FromDialogUnits({0, 0, 239, 54}).size());
    auto* text = new QLabel(LoadString(res::kOptimising), this);
    text->setObjectName(QString::number(res::kRepairText));
    text->setAlignment(Qt::AlignCenter);
    text->setGeometry(FromDialogUnits({11, 7, 215, 9}));
    m_fileProgress = AddBar(this, res::kFileProgress, FromDialogUnits({7, 22, 223, 11}));
    m_totalProgress = AddBar(this, res::kTotalProgress, FromDialogUnits({7, 35, 223, 11}));
    m_fileProgress->setRange(0, 100);

    connect(this, &CAviFix::PassStarted, this, [this](int total) {
        m_fileProgress->setRange(0, 100);
        m_totalProgress->setRange(0, total);
    });
    connect(this, &CAviFix::FileStarted, this, [this](int index) {
        m_totalProgress->setValue(index);
        m_fileProgress->setValue(0);
    });
    connect(this, &CAviFix::FilePercent, m_fileProgress, &QProgressBar::setValue);

    m_startTimer.setSingleShot(true);
    m_startTimer.setInterval(kStartDelayMilliseconds);
    connect(&m_startTimer, &QTimer::timeout, this, &CAviFix::OnTimer);
}

CAviFix::~CAviFix() {
    if (m_worker)
        m_worker->wait();
}

void CAviFix::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_worker && !m_startTimer.isActive())
        m_startTimer.start();
}

void CAviFix::OnTimer() {
    const std::string root = m_dataRoot;
    m_worker.reset(QThread::create([this, root] {
        avifix::RepairCallbacks callbacks;
        callbacks.passStarted = [this](size_t total) { emit PassStarted(static_cast<int>(total)); };
        callbacks.fileStarted = [this](size_t index, size_t, const std::string&) {
            emit FileStarted(static_cast<int>(index));
        };
        callbacks.filePercent = [this](int percent) { emit FilePercent(percent); };
        avifix::RunRepairPass(root, {}, callbacks);
    }));
    connect(m_worker.get(), &QThread::finished, this, &CAviFix::OnPassFinished);
    m_worker->start();
}

void CAviFix::OnPassFinished() {
    m_done = true;
    reject();
}

void CAviFix::reject() {
    // Closing the window must not abandon a clip half rewritten.
    if (m_worker && !m_done)
        return;
    QDialog::reject();
}

void RunRepairWindow(const std::string& dataRoot) {
    CAviFix repair;
    repair.m_dataRoot = dataRoot;
    repair.exec();
}

}  // namespace tramlet
