#pragma once

#include <QToolButton>

namespace tramlet::library {

// "보관함": the library's vehicles, read afresh each time the menu opens;
// choosing one opens the vehicle's folder as the data root, with its whole
// history in the calendar.
class LibraryMenu : public QToolButton {
    Q_OBJECT

  public:
    explicit LibraryMenu(QWidget* parent);

  signals:
    void VehicleChosen(const QString& dataRoot);

  private:
    void Fill();
};

}  // namespace tramlet::library
