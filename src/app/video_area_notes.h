#pragma once

#include <QObject>

#include <array>
#include "session/viewing_session.h"

class QLabel;
class QWidget;

namespace tramlet {

// The words over the video area: what it says when it shows no picture, and
// over each channel's cell while its clip loads or when it cannot play.
class VideoAreaNotes : public QObject {
    Q_OBJECT

  public:
    explicit VideoAreaNotes(QWidget* videoArea);

    void Show(ViewingSession::Note note, const RecordingPlayer& recording);

  private:
    QLabel* MakeLabel(QWidget* videoArea);

    QLabel* note_;
    std::array<QLabel*, 4> cells_{};
};

}  // namespace tramlet
