#pragma once

#include <QDialog>
#include <QString>

namespace tramlet {

// The about box: the program's name and version, and the card's version.
class CAboutDlg : public QDialog {
    Q_OBJECT

  public:
    explicit CAboutDlg(QWidget* parent = nullptr);
    int exec() override;

    // Shown in static 1030, "K <card version>".
    QString m_version;
};

}  // namespace tramlet
