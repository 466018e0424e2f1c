#include "library/library_menu.h"

#include <QCoreApplication>
#include <QMenu>

#include "library/library_index.h"
#include "library/library_layout.h"
#include "library/library_settings.h"

namespace tramlet::library {
LibraryMenu::LibraryMenu(QWidget* parent) : QToolButton(parent) {
    setObjectName("libraryMenu");
    setText(QCoreApplication::translate("Library", "보관함"));
    setToolTip(QCoreApplication::translate("Library", "보관함에 저장한 차량의 녹화 영상"));
    setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(this);
    connect(menu, &QMenu::aboutToShow, this, &LibraryMenu::Fill);
    setMenu(menu);
}

void LibraryMenu::Fill() {
    QMenu* vehicles = menu();
    vehicles->clear();
    const LibrarySettings library = LibrarySettings::Read();
    std::vector<std::string> names;
    QString problem;
    try {
        if (const std::unique_ptr<LibraryIndex> index =
                OpenLibraryIndex(library.folder, library.database, false))
            names = index->Vehicles();
    } catch (const IndexError& error) {
        problem = QString::fromStdString(error.what());
    }
    for (const std::string& name : names) {
        const QString root = QString::fromStdString(VehicleRoot(library.folder, name));
        vehicles->addAction(QString::fromStdString(name), this,
                            [this, root] { emit VehicleChosen(root); });
    }
    if (names.empty()) {
        vehicles
            ->addAction(problem.isEmpty() ? QCoreApplication::translate(
                                                "Library", "보관함에 저장한 차량이 없습니다.")
                                          : problem)
            ->setEnabled(false);
    }
}

}  // namespace tramlet::library
