#include "export/export_progress_dlg.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "export/video_export.h"
#include "res/dialog_units.h"
#include "res/own_dialog.h"

namespace tramlet {

using exporter::ExportError;

CExportProgress::CExportProgress(exporter::ExportRequest request, QWidget* parent)
    : WorkerDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint),
      m_request(std::move(request)) {
    MarkAsOwnDialog(*this);
    setWindowTitle(QCoreApplication::translate("ExportProgress", "영상 내보내기"));
    setFixedSize(FromDialogUnits({0, 0, 260, 56}).size());
    m_text = new QLabel(
        QCoreApplication::translate("ExportProgress", "영상을 내보내는 중입니다..."), this);
    m_text->setObjectName("frames");
    m_text->setGeometry(FromDialogUnits({10, 8, 240, 10}));
    m_bar = new QProgressBar(this);
    m_bar->setObjectName("progress");
    m_bar->setGeometry(FromDialogUnits({10, 21, 240, 11}));
    m_bar->setRange(0, 1000);
    m_bar->setTextVisible(false);
    m_cancel = new QPushButton(QCoreApplication::translate("ExportProgress", "취소"), this);
    m_cancel->setObjectName("cancel");
    m_cancel->setGeometry(FromDialogUnits({200, 37, 50, 14}));
    m_cancel->setAutoDefault(false);
    connect(m_cancel, &QPushButton::clicked, this, &CExportProgress::reject);
}

exporter::ExportResult CExportProgress::Run() {
    RunWork([this] {
        exporter::ExportCallbacks callbacks;
        callbacks.cancel = &CancelRequested();
        callbacks.progress = [this](std::int64_t done, std::int64_t total) {
            m_done = done;
            m_total = total;
            PostProgress();
        };
        exporter::QuietLibraryLog();
        m_result = exporter::ExportVideo(m_request, callbacks);
    });
    return m_result;
}

void CExportProgress::ShowProgress() {
    const std::int64_t done = m_done;
    const std::int64_t total = std::max<std::int64_t>(m_total, 1);
    m_bar->setValue(static_cast<int>(std::min<std::int64_t>(done * 1000 / total, 1000)));
    m_text->setText(QCoreApplication::translate("ExportProgress", "프레임 %1 / %2")
                        .arg(done)
                        .arg(m_total.load()));
}

void CExportProgress::CancelAsked() {
    m_cancel->setEnabled(false);
    m_text->setText(QCoreApplication::translate("ExportProgress", "취소하는 중입니다..."));
}

ExportOutcomeText DescribeExport(const exporter::ExportResult& result) {
    if (!result.failure) {
        QStringList files;
        for (const auto& file : result.written)
            files << QString::fromStdString(file.string());
        return {QCoreApplication::translate("ExportProgress", "영상을 내보냈습니다.\n") +
                    files.join('\n'),
                {}};
    }
    const ExportError kind = result.failure->kind;
    QString text;
    switch (kind) {
        case ExportError::kNoRecording:
            text = QCoreApplication::translate("ExportProgress", "내보낼 영상이 없습니다.");
            break;
        case ExportError::kUnreadableClip:
            text = QCoreApplication::translate("ExportProgress", "녹화 영상을 읽을 수 없습니다.");
            break;
        case ExportError::kExists:
            text =
                QCoreApplication::translate("ExportProgress", "같은 이름의 파일이 이미 있습니다.");
            break;
        case ExportError::kNotWritable:
            text = QCoreApplication::translate("ExportProgress", "백업 폴더에 쓸 수 없습니다.");
            break;
        case ExportError::kDiskFull:
            text = QCoreApplication::translate("ExportProgress",
                                               "백업 폴더의 저장 공간이 부족합니다.");
            break;
        case ExportError::kCancelled:
            text = QCoreApplication::translate("ExportProgress", "내보내기를 취소했습니다.");
            break;
        case ExportError::kFailed:
            text = QCoreApplication::translate("ExportProgress", "영상을 내보내지 못했습니다.");
            break;
    }
    // An export that had begun writing has removed what it wrote.
    if (kind == ExportError::kCancelled || kind == ExportError::kDiskFull ||
        kind == ExportError::kUnreadableClip || kind == ExportError::kFailed) {
        text += QCoreApplication::translate("ExportProgress", "\n만들던 파일은 지웠습니다.");
    }
    return {text, QString::fromStdString(result.failure->text)};
}

}  // namespace tramlet
