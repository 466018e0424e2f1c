#pragma once

#include <QDialog>
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>

#include "export/export_request.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QThread;

namespace tramlet {

// The window that follows an export to MP4: frames done of the whole and a
// cancel button. The export runs on a worker thread, so the window keeps
// painting; a cancel stops it within a frame and it removes what it wrote.
class CExportProgress : public QDialog {
    Q_OBJECT

  public:
    explicit CExportProgress(exporter::ExportRequest request, QWidget* parent = nullptr);
    ~CExportProgress() override;

    // Exports modally and returns what came of it.
    exporter::ExportResult Run();

  signals:
    void ProgressArrived();

  protected:
    void reject() override;

  private:
    void ShowProgress();

    exporter::ExportRequest m_request;
    QLabel* m_text = nullptr;
    QProgressBar* m_bar = nullptr;
    QPushButton* m_cancel = nullptr;
    std::atomic<std::int64_t> m_done{0};
    std::atomic<std::int64_t> m_total{0};
    std::atomic<bool> m_signalQueued{false};
    std::atomic<bool> m_cancelRequested{false};
    std::unique_ptr<QThread> m_worker;
    exporter::ExportResult m_result;
    bool m_finished = false;
};

// What the user is told of an export: the text, and the details (the files
// written, or what failed).
struct ExportOutcomeText {
    QString text;
    QString details;
};
ExportOutcomeText DescribeExport(const exporter::ExportResult& result);

}  // namespace tramlet
