#pragma once

#include <QFrame>

#include <memory>
#include <string>

#include "common/data_root_path.h"
#include "library/library_settings.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace tramlet::library {

class IngestJob;

// A strip over the top of the video area that offers to keep a recorder's
// card in the library when the card arrives, shows the ingest going on in
// the background, with a way to stop it, and then what it came to.
class LibraryBar : public QFrame {
    Q_OBJECT

  public:
    explicit LibraryBar(QWidget* parent);
    ~LibraryBar() override;

    // Offers the card at the data root, under the vehicle name the library
    // remembers for it; once per card, unless an ingest of it is running.
    void OfferCard(const DataRootPath& dataRoot);
    bool Busy() const;

  private:
    void Save();
    void ShowProgress(qulonglong filesDone, qulonglong filesTotal, qulonglong bytesDone,
                      qulonglong bytesTotal);
    void ShowResult(bool ok, const QString& summary);

    LibrarySettings library_;
    DataRootPath offered_;  // no root until a card is offered
    QLabel* text_;
    QLineEdit* vehicle_;
    QProgressBar* progress_;
    QPushButton* save_;
    QPushButton* cancel_;
    QPushButton* close_;
    std::unique_ptr<IngestJob> job_;
};

}  // namespace tramlet::library
