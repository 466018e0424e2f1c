#pragma once

#include <QString>

#include <atomic>
#include <cstdint>

#include "export/export_request.h"
#include "res/worker_dialog.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace tramlet {

// The window that follows an export to MP4: frames done of the whole and a
// cancel button. A cancel stops the export within a frame, and it removes
// what it wrote.
class CExportProgress : public WorkerDialog {
    Q_OBJECT

  public:
    explicit CExportProgress(exporter::ExportRequest request, QWidget* parent = nullptr);

    // Exports modally and returns what came of it.
    exporter::ExportResult Run();

  protected:
    void ShowProgress() override;
    void CancelAsked() override;

  private:
    exporter::ExportRequest m_request;
    QLabel* m_text = nullptr;
    QProgressBar* m_bar = nullptr;
    QPushButton* m_cancel = nullptr;
    std::atomic<std::int64_t> m_done{0};
    std::atomic<std::int64_t> m_total{0};
    exporter::ExportResult m_result;
};

// What the user is told of an export: the text, and the details (the files
// written, or what failed).
struct ExportOutcomeText {
    QString text;
    QString details;
};
ExportOutcomeText DescribeExport(const exporter::ExportResult& result);

}  // namespace tramlet
