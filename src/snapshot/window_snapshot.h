#pragma once

#include <QDateTime>
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

// Where the save dialog starts: the snapshot's own name in the user's
// pictures folder (the home folder when there is none), named after the
// moment shown, or after `now` when no moment is.
QString SuggestedSnapshotPath(const SnapshotFacts& facts, const QDateTime& now);

// The save dialog, starting at the suggested path: empty when the user cancels.
QString ChooseSnapshotFile(const QString& suggestedPath);

// The capture button: takes the picture first, so that the save dialog is
// never in it, then asks for the name and tells the user if the write fails.
void SaveWindowSnapshot(
    QWidget& window, const SnapshotFacts& facts,
    const std::function<QString(const QString& suggestedPath)>& chooseFile = ChooseSnapshotFile);

}  // namespace tramlet
