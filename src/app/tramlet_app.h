#pragma once

#include <QApplication>

#include "map/imp_idispatch.h"

namespace tramlet {

// The application: runs the repair window and then the main window, and keeps
// Enter, Escape and Control from acting in the program's own windows.
class CTramletApp : public QApplication {
    Q_OBJECT

  public:
    CTramletApp(int& argc, char** argv);
    // Returns the exit code for main.
    int InitInstance();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // window.external of the map page; it lives as long as the process.
    CImpIDispatch m_external;
};

}  // namespace tramlet
