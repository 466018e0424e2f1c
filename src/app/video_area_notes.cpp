#include "app/video_area_notes.h"

#include <QCoreApplication>
#include <QLabel>

namespace tramlet {
namespace {

QString NoteText(ViewingSession::Note note) {
    switch (note) {
        case ViewingSession::Note::kNone:
            break;
        case ViewingSession::Note::kCardRemoved:
            return QCoreApplication::translate("MainWindow", "메모리 카드가 제거되었습니다.");
        case ViewingSession::Note::kDayWithoutRecordings:
            return QCoreApplication::translate("MainWindow", "이 날에는 녹화 영상이 없습니다.");
        case ViewingSession::Note::kMomentWithoutRecording:
            return QCoreApplication::translate("MainWindow", "이 시각에는 녹화 영상이 없습니다.");
        case ViewingSession::Note::kCannotOpen:
            return QCoreApplication::translate("MainWindow", "녹화 영상을 열 수 없습니다.");
    }
    return {};
}

}  // namespace

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

void VideoAreaNotes::Show(ViewingSession::Note note, const RecordingPlayer& recording) {
    QWidget* area = note_->parentWidget();
    note_->setText(NoteText(note));
    note_->setGeometry(area->rect());
    note_->setVisible(note != ViewingSession::Note::kNone);
    if (note_->isVisibleTo(area))
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
        cell->setText(
            state == PlayerSlots::State::kLoading
                ? QCoreApplication::translate("MainWindow", "불러오는 중")
                : QString("CH%1\n%2").arg(k + 1).arg(NoteText(ViewingSession::Note::kCannotOpen)));
        cell->raise();
    }
}

}  // namespace tramlet
