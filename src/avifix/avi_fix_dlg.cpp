#include "avifix/avi_fix_dlg.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStringList>

#include "res/control_names.h"
#include "res/dialog_units.h"
#include "res/own_dialog.h"
#include "res/resource_ids.h"
#include "res/string_table.h"

namespace tramlet {
namespace {

constexpr int kStartDelayMilliseconds = 500;

QProgressBar* AddBar(QWidget* parent, int id, const QRect& geometry) {
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(res::ControlName(id));
    bar->setGeometry(geometry);
    bar->setTextVisible(false);
    bar->setValue(0);
    return bar;
}

}  // namespace

CAviFix::CAviFix(QWidget* parent) : WorkerDialog(parent, {}) {
    MarkAsOwnDialog(*this);
    setWindowTitle(LoadString(res::kResetCaption));
    setFixedSize(FromDialogUnits({0, 0, 239, 54}).size());
    m_text = new QLabel(LoadString(res::kOptimising), this);
    m_text->setObjectName("repairText");
    m_text->setAlignment(Qt::AlignCenter);
    m_text->setGeometry(FromDialogUnits({11, 7, 215, 9}));
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
    StopWork();
}

void CAviFix::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!WorkStarted() && !m_startTimer.isActive())
        m_startTimer.start();
}

void CAviFix::OnTimer() {
    const DataRootPath root = m_dataRoot;
    // Closing the window meanwhile must not abandon a clip half rewritten:
    // the pass takes no cancel, and the window waits for it.
    StartWork([this, root] {
        avifix::RepairCallbacks callbacks;
        callbacks.passStarted = [this](size_t total) { emit PassStarted(static_cast<int>(total)); };
        callbacks.fileStarted = [this](size_t index, size_t, const std::string&) {
            emit FileStarted(static_cast<int>(index));
        };
        callbacks.filePercent = [this](int percent) { emit FilePercent(percent); };
        m_report = avifix::RunRepairPass(root, {}, callbacks);
    });
}

void CAviFix::WorkFinished() {
    if (m_report.AllFine()) {
        QDialog::reject();
        return;
    }
    ShowFailures();
}

// The clips the pass could not handle, one a line with the reason, and the
// clips a pulled card kept it from.
void CAviFix::ShowFailures() {
    QStringList lines;
    for (const avifix::ClipReport& clip : m_report.files) {
        if (clip.failure)
            lines << QString::fromStdString(clip.name + ": " + clip.failure->text);
    }
    if (m_report.cardRemoved) {
        lines << QCoreApplication::translate("RepairWindow",
                                             "카드가 빠져 영상 %1개를 살펴보지 못했습니다.")
                     .arg(m_report.notVisited);
    }
    m_totalProgress->setValue(m_totalProgress->maximum());
    m_text->setText(QCoreApplication::translate("RepairWindow", "복구하지 못한 영상이 있습니다."));
    auto* list = new QPlainTextEdit(lines.join('\n'), this);
    list->setObjectName("repairFailures");
    list->setReadOnly(true);
    list->setGeometry(FromDialogUnits({7, 50, 223, 60}));
    auto* close = new QPushButton(QCoreApplication::translate("RepairWindow", "닫기"), this);
    close->setObjectName("close");
    close->setGeometry(FromDialogUnits({180, 116, 50, 14}));
    connect(close, &QPushButton::clicked, this, &CAviFix::reject);
    setFixedSize(FromDialogUnits({0, 0, 239, 136}).size());
    list->show();
    close->show();
    close->setFocus();
}

void RunRepairWindow(const DataRootPath& dataRoot) {
    CAviFix repair;
    repair.m_dataRoot = dataRoot;
    repair.exec();
}

}  // namespace tramlet
