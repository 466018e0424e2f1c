#include "library/library_settings.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace tramlet::library {

LibrarySettings LibrarySettings::Read() {
    const QSettings settings("Ostra", "Tramlet");
    const QString videos = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    const QString folder =
        settings.value("LibraryFolder", QDir(videos).filePath(QString::fromUtf8("Tramlet/보관함")))
            .toString();
    return {folder.toStdString(), settings.value("LibraryDatabase").toString().toStdString()};
}

}  // namespace tramlet::library
