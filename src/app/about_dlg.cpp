#include "app/about_dlg.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "res/bitmaps.h"
#include "res/own_dialog.h"
#include "res/resource_ids.h"

namespace tramlet {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    MarkAsOwnDialog(*this);
    setWindowTitle(QCoreApplication::translate("AboutBox", "Tramlet 정보"));
    auto* icon = new QLabel(this);
    icon->setPixmap(QPixmap::fromImage(AppIconImage(32)));
    auto* name = new QLabel(QCoreApplication::translate("AboutBox", "Tramlet, 버전 1.6"), this);
    auto* version = new QLabel(this);
    version->setObjectName("versionText");
    auto* ok = new QPushButton(QCoreApplication::translate("AboutBox", "확인"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* grid = new QGridLayout(this);
    grid->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(name, 0, 1);
    grid->addWidget(version, 0, 2);
    grid->addWidget(ok, 0, 3);
    grid->setColumnStretch(2, 1);
    setFixedSize(sizeHint().expandedTo(QSize(300, 90)));
}

int CAboutDlg::exec() {
    findChild<QLabel*>("versionText")->setText(m_version);
    return QDialog::exec();
}

}  // namespace tramlet
