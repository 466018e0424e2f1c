#pragma once

#include <QObject>
#include <QString>
#include <QThread>

#include <atomic>
#include <memory>

#include "common/data_root_path.h"
#include "library/card_ingest.h"
#include "library/library_settings.h"

namespace tramlet::library {

// One card's ingest into the library, on a thread of its own, so that the
// player stays in use meanwhile. Cancelling drops the file at hand; a later
// ingest finishes the job.
class IngestJob : public QObject {
    Q_OBJECT

  public:
    IngestJob(LibrarySettings library, DataRootPath dataRoot, std::string vehicle,
              QObject* parent = nullptr);
    ~IngestJob() override;

    void Start();
    void Cancel() { cancel_ = true; }
    bool Running() const { return thread_ && thread_->isRunning(); }

  signals:
    // Files and bytes copied so far, of all.
    void Progress(qulonglong filesDone, qulonglong filesTotal, qulonglong bytesDone,
                  qulonglong bytesTotal);
    // What the ingest came to, in a sentence for the user; ok when every file
    // of the card is in the library and nothing needs a look.
    void Finished(bool ok, const QString& summary);

  private:
    void Run();

    LibrarySettings library_;
    DataRootPath dataRoot_;
    std::string vehicle_;
    std::atomic<bool> cancel_{false};
    std::unique_ptr<QThread> thread_;
};

// The vehicle the library remembers for the card at the data root, else the
// card's volume label; empty when neither can be had.
std::string VehicleForCard(const LibrarySettings& library, const DataRootPath& dataRoot);

}  // namespace tramlet::library
