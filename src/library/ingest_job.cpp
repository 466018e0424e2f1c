#include "library/ingest_job.h"

#include <QCoreApplication>

#include <filesystem>
#include <utility>

namespace tramlet::library {
namespace {

QString Summary(const IngestReport& report) {
    if (!report.error.empty())
        return QCoreApplication::translate("Library", "보관함에 저장하지 못했습니다: %1")
            .arg(QString::fromStdString(report.error));
    if (report.cancelled)
        return QCoreApplication::translate("Library",
                                           "저장을 멈췄습니다. 다음에 저장하면 이어서 저장합니다.");
    const auto count = [&](IngestAction action) {
        return static_cast<qulonglong>(report.Count(action));
    };
    QString text =
        QCoreApplication::translate(
            "Library", "%1 차량의 보관함에 저장했습니다: 새 파일 %2개, 이미 있던 파일 %3개.")
            .arg(QString::fromStdString(report.vehicle))
            .arg(count(IngestAction::kCopied) + count(IngestAction::kRepaired) +
                 count(IngestAction::kGrown))
            .arg(count(IngestAction::kSkipped) + count(IngestAction::kKeptLonger));
    if (const qulonglong conflicts = count(IngestAction::kConflict))
        text += ' ' + QCoreApplication::translate(
                          "Library",
                          "이름이 같고 내용이 다른 파일 %1개는 conflicts 폴더에 따로 두었습니다.")
                          .arg(conflicts);
    if (const qulonglong failed = count(IngestAction::kFailed))
        text +=
            ' ' +
            QCoreApplication::translate("Library", "파일 %1개는 저장하지 못했습니다.").arg(failed);
    return text;
}

}  // namespace

IngestJob::IngestJob(LibrarySettings library, DataRootPath dataRoot, std::string vehicle,
                     QObject* parent)
    : QObject(parent),
      library_(std::move(library)),
      dataRoot_(std::move(dataRoot)),
      vehicle_(std::move(vehicle)) {}

IngestJob::~IngestJob() {
    cancel_ = true;
    if (thread_)
        thread_->wait();
}

void IngestJob::Start() {
    thread_.reset(QThread::create([this] { Run(); }));
    thread_->start(QThread::LowPriority);
}

// The index serves the thread that opened it: this one.
void IngestJob::Run() {
    IngestReport report;
    try {
        // The library of a user's first ingest is made here, as the tool does.
        std::error_code made;
        std::filesystem::create_directories(library_.folder, made);
        if (made)
            throw IndexError("cannot make the library folder " + library_.folder + ": " +
                             made.message());
        const std::unique_ptr<LibraryIndex> index =
            OpenLibraryIndex(library_.folder, library_.database, true);
        IngestRequest request;
        request.dataRoot = dataRoot_;
        request.library = library_.folder;
        request.vehicle = vehicle_;
        request.cancel = &cancel_;
        request.progress = [this](const IngestProgress& p) {
            emit Progress(p.filesDone, p.filesTotal, p.bytesDone, p.bytesTotal);
        };
        report = IngestCard(*index, request);
    } catch (const IndexError& error) {
        report.error = error.what();
    }
    emit Finished(report.error.empty() && !report.cancelled && report.AllFine(), Summary(report));
}

std::string VehicleForCard(const LibrarySettings& library, const DataRootPath& dataRoot) {
    const CardIdentity card = IdentifyCard(dataRoot);
    try {
        if (const std::unique_ptr<LibraryIndex> index =
                OpenLibraryIndex(library.folder, library.database, false)) {
            if (std::optional<std::string> remembered = index->RememberedVehicle(card.id))
                return *remembered;
        }
    } catch (const IndexError&) {
        // A library not made yet remembers no card.
    }
    return card.label;
}

}  // namespace tramlet::library
