#include "app/video_area_notes.h"

#include <QLabel>

#include "session/recording_player.h"
#include "session/session_text.h"

namespace tramlet {

VideoAreaNotes::VideoAreaNotes(QWidget* videoArea) : QObject(videoArea) {
    note_ = MakeLabel(videoArea);
    note_->setObjectName("videoNote");
    for (QLabel*& cell : cells_)
        cell = MakeLabel(videoArea);
}

QLabel* VideoAreaNotes::MakeLabel(QWidget* videoArea) {
    auto* label = new QLabel(videoArea);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->setStyleSheet("color: rgb(182, 183, 187); background: transparent;");
    label->hide();
    return label;
}

void VideoAreaNotes::Show(const std::string& note, const RecordingPlayer& recording) {
    QWidget* area = note_->parentWidget();
    note_->setText(QString::fromStdString(note));
    note_->setGeometry(area->rect());
    note_->setVisible(!note.empty());
    if (!note.empty())
        note_->raise();
    const PlayerSlots& channels = recording.Slots();
    for (int k = 0; k < PlayerSlots::kCount; ++k) {
        QLabel* cell = cells_[static_cast<std::size_t>(k)];
        const PlayerSlots::State state = channels.StateOf(k);
        const bool hiddenBySingleView =
            recording.IsSingleView() && k != recording.SelectedChannel();
        const bool shown =
            channels.HasPlace(k) && !hiddenBySingleView &&
            (state == PlayerSlots::State::kLoading || state == PlayerSlots::State::kFailed);
        cell->setVisible(shown);
        if (!shown)
            continue;
        const LayoutCell place = recording.IsSingleView()
                                     ? LayoutCell{0, 0, area->width(), area->height()}
                                     : channels.CellOf(k, recording.Layout());
        cell->setGeometry(place.x, place.y, place.cx, place.cy);
        cell->setText(state == PlayerSlots::State::kLoading
                          ? QString::fromUtf8(kNoteLoading)
                          : QString("CH%1\n%2").arg(k + 1).arg(QString::fromUtf8(kNoteCannotOpen)));
        cell->raise();
    }
}

}  // namespace tramlet
