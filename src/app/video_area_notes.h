#pragma once

#include <QObject>

#include <array>
#include <string>

class QLabel;
class QWidget;

namespace tramlet {

class RecordingPlayer;

// The words over the video area: what it says when it shows no picture, and
// over each channel's cell while its clip loads or when it cannot play.
class VideoAreaNotes : public QObject {
    Q_OBJECT

  public:
    explicit VideoAreaNotes(QWidget* videoArea);

    void Show(const std::string& note, const RecordingPlayer& recording);

  private:
    QLabel* MakeLabel(QWidget* videoArea);

    QLabel* note_;
    std::array<QLabel*, 4> cells_{};
};

}  // namespace tramlet
