#pragma once

#include <QImage>
#include <QString>

#include <functional>

#include "snapshot/snapshot_facts.h"

class QWidget;

namespace tramlet {

// The window's outer rectangle, frame and caption included, as the screen
// shows it, taken from one pixel above and left of its corner. Where the
// screen cannot be read, as under some Wayland sessions, the window's own
// rendering fills the same place. Parts off the screen stay black.
QImage GrabWindowFrame(QWidget& window);

// Writes the picture as JPEG whatever the name ends in, with the facts as
// EXIF data. Returns an error message, or an empty string on success.
QString WriteSnapshot(const QImage& picture, const QString& path, const SnapshotFacts& facts);

// The save dialog: empty when the user cancels.
QString ChooseSnapshotFile();

// The capture button: takes the picture first, so that the save dialog is
// never in it, then asks for the name and tells the user if the write fails.
void SaveWindowSnapshot(QWidget& window, const SnapshotFacts& facts,
                        const std::function<QString()>& chooseFile = ChooseSnapshotFile);

}  // namespace tramlet
