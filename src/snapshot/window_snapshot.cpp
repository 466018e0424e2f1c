#include "snapshot/window_snapshot.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageWriter>
#include <QMessageBox>
#include <QPainter>
#include <QSaveFile>
#include <QScreen>
#include <QStandardPaths>
#include <QWidget>

#include <string>

#include "snapshot/jpeg_exif.h"

namespace tramlet {
namespace {

struct FileFilter {
    const char* entry;
    const char* suffix;  // completes a typed name without one
};

// Linux names are case-sensitive, so the listing patterns carry both cases.
constexpr FileFilter kFilters[] = {
    {"JPEG Image File (*.JPG *.jpg)", "jpg"},
    {"Windows Bitmap File (*.BMP *.bmp)", "bmp"},
    {"Portable Network Graphic Image File (*.PNG *.png)", "png"},
    {"All files (*)", ""},
};

// Copies the part of `area` that each screen shows; false when no screen
// could be read.
bool PaintFromScreens(const QRect& area, QPainter& painter) {
    bool painted = false;
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect screenArea = screen->geometry();
        const QRect visible = area & screenArea;
        if (visible.isEmpty())
            continue;
        const QPixmap shot =
            screen->grabWindow(0, visible.x() - screenArea.x(), visible.y() - screenArea.y(),
                               visible.width(), visible.height());
        if (shot.isNull())
            continue;
        painter.drawPixmap(QRect(visible.topLeft() - area.topLeft(), visible.size()), shot);
        painted = true;
    }
    return painted;
}

}  // namespace

QImage GrabWindowFrame(QWidget& window) {
    const QRect frame = window.frameGeometry();
    const QRect area(frame.topLeft() - QPoint(1, 1), frame.size());
    QImage picture(area.size(), QImage::Format_RGB32);
    picture.fill(Qt::black);
    QPainter painter(&picture);
    if (!PaintFromScreens(area, painter)) {
        const QPixmap own = window.grab();
        painter.drawPixmap(QRect(window.geometry().topLeft() - area.topLeft(), window.size()), own);
    }
    return picture;
}

QString WriteSnapshot(const QImage& picture, const QString& path, const SnapshotFacts& facts) {
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    if (!writer.write(picture))
        return writer.errorString();
    std::string jpeg = encoded.toStdString();
    // A picture without its metadata is still worth keeping.
    if (auto withExif = AddSnapshotExif(jpeg, facts))
        jpeg = std::move(*withExif);

    QSaveFile file(path);
    const auto size = static_cast<qint64>(jpeg.size());
    if (!file.open(QIODevice::WriteOnly) || file.write(jpeg.data(), size) != size ||
        !file.commit()) {
        return file.errorString();
    }
    return {};
}

QString SuggestedSnapshotPath(const SnapshotFacts& facts, const QDateTime& now) {
    QString name = QString::fromStdString(SnapshotFileName(facts));
    if (name.isEmpty())
        name = now.toString("'Tramlet-'yyyyMMdd-HHmmss'.jpg'");
    QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    return QDir(folder).filePath(name);
}

QString ChooseSnapshotFile(const QString& suggestedPath) {
    QFileDialog dialog;
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    QStringList entries;
    for (const FileFilter& filter : kFilters)
        entries << filter.entry;
    dialog.setNameFilters(entries);
    dialog.selectNameFilter(entries.front());
    dialog.setDefaultSuffix(kFilters[0].suffix);
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog, entries](const QString& entry) {
                         dialog.setDefaultSuffix(kFilters[entries.indexOf(entry)].suffix);
                     });
    // After the filter: choosing one rewrites the name's extension.
    dialog.setDirectory(QFileInfo(suggestedPath).absolutePath());
    dialog.selectFile(QFileInfo(suggestedPath).fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front();
}

void SaveWindowSnapshot(QWidget& window, const SnapshotFacts& facts,
                        const std::function<QString(const QString&)>& chooseFile) {
    const QImage picture = GrabWindowFrame(window);
    const QString path = chooseFile(SuggestedSnapshotPath(facts, QDateTime::currentDateTime()));
    if (path.isEmpty())
        return;
    const QString error = WriteSnapshot(picture, path, facts);
    if (error.isEmpty())
        return;
    QMessageBox::warning(
        &window, QCoreApplication::applicationName(),
        QCoreApplication::translate("Snapshot", "화면을 저장하지 못했습니다.\n%1\n%2")
            .arg(path, error));
}

}  // namespace tramlet
