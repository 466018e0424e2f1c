#include "library/library_bar.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "library/ingest_job.h"

namespace tramlet::library {
LibraryBar::LibraryBar(QWidget* parent)
    : QFrame(parent),
      text_(new QLabel(this)),
      vehicle_(new QLineEdit(this)),
      progress_(new QProgressBar(this)),
      save_(new QPushButton(QCoreApplication::translate("Library", "보관함에 저장"), this)),
      cancel_(new QPushButton(QCoreApplication::translate("Library", "취소"), this)),
      close_(new QPushButton(QString::fromUtf8("✕"), this)) {
    setObjectName("libraryBar");
    setStyleSheet(
        "#libraryBar { background: rgba(41, 48, 56, 235); border-bottom: 1px solid "
        "rgb(11, 138, 0); } QLabel { color: white; }");
    vehicle_->setPlaceholderText(QCoreApplication::translate("Library", "차량 이름"));
    vehicle_->setMaximumWidth(160);
    progress_->setTextVisible(false);
    progress_->setMaximumWidth(160);
    close_->setFlat(true);
    close_->setToolTip(QCoreApplication::translate("Library", "닫기"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(8, 4, 4, 4);
    row->addWidget(text_, 1);
    for (QWidget* w : std::initializer_list<QWidget*>{vehicle_, progress_, save_, cancel_, close_})
        row->addWidget(w);
    connect(save_, &QPushButton::clicked, this, &LibraryBar::Save);
    connect(vehicle_, &QLineEdit::returnPressed, this, &LibraryBar::Save);
    connect(cancel_, &QPushButton::clicked, this, [this] {
        if (job_)
            job_->Cancel();
    });
    connect(close_, &QPushButton::clicked, this, &QWidget::hide);
    hide();
}

LibraryBar::~LibraryBar() = default;

bool LibraryBar::Busy() const {
    return job_ && job_->Running();
}

void LibraryBar::OfferCard(const DataRootPath& dataRoot) {
    if (Busy() || dataRoot == offered_)
        return;
    offered_ = dataRoot;
    library_ = LibrarySettings::Read();
    text_->setText(QCoreApplication::translate(
        "Library", "녹화기 카드가 들어왔습니다. 보관함에 저장할까요? 차량:"));
    vehicle_->setText(QString::fromStdString(VehicleForCard(library_, dataRoot)));
    for (QWidget* w : std::initializer_list<QWidget*>{vehicle_, save_, close_})
        w->show();
    progress_->hide();
    cancel_->hide();
    show();
    raise();
}

void LibraryBar::Save() {
    const QString vehicle = vehicle_->text().trimmed();
    if (vehicle.isEmpty() || Busy()) {
        vehicle_->setFocus();
        return;
    }
    job_ = std::make_unique<IngestJob>(library_, offered_, vehicle.toStdString());
    connect(job_.get(), &IngestJob::Progress, this, &LibraryBar::ShowProgress);
    connect(job_.get(), &IngestJob::Finished, this, &LibraryBar::ShowResult);
    text_->setText(
        QCoreApplication::translate("Library", "%1 차량의 보관함에 저장하는 중…").arg(vehicle));
    for (QWidget* w : std::initializer_list<QWidget*>{vehicle_, save_, close_})
        w->hide();
    progress_->setRange(0, 0);
    progress_->show();
    cancel_->show();
    job_->Start();
}

void LibraryBar::ShowProgress(qulonglong filesDone, qulonglong filesTotal, qulonglong bytesDone,
                              qulonglong bytesTotal) {
    progress_->setRange(0, 1000);
    progress_->setValue(bytesTotal ? static_cast<int>(bytesDone * 1000 / bytesTotal) : 0);
    progress_->setToolTip(
        QCoreApplication::translate("Library", "파일 %1 / %2").arg(filesDone).arg(filesTotal));
}

void LibraryBar::ShowResult(bool ok, const QString& summary) {
    text_->setText(summary);
    text_->setToolTip(ok ? QString() : summary);
    progress_->hide();
    cancel_->hide();
    close_->show();
}

}  // namespace tramlet::library
