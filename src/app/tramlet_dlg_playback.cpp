// The main window's playback: choosing a moment, opening the recording that
// covers it, the transport buttons and sliders, and single view.
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTimerEvent>

#include <algorithm>
#include <memory>

#include "app/tramlet_dlg.h"
#include "catalogue/folder_listing.h"
#include "catalogue/storage_layout.h"
#include "controls/bitmap_button.h"
#include "controls/bitmap_slider.h"
#include "map/gps_table.h"
#include "playback/drift_control.h"
#include "playback/mpv_player.h"
#include "res/resource_ids.h"

namespace tramlet {
namespace {

constexpr int kPlayTickMs = 1000;
constexpr int kSyncMs = 250;
// The three mark bars reach this far below their anchor.
constexpr int kMarkBarsDepth = 119;

}  // namespace

void CTramletDlg::SetUpPlayback() {
    m_playerFactory = [this](int, std::function<void()> notify) -> std::unique_ptr<Player> {
        return std::make_unique<MpvPlayer>(m_videoArea, std::move(notify));
    };
    m_players.SetFactory([this](int k) -> std::unique_ptr<Player> {
        // Events are handled from the event loop, never inside a player call.
        auto notify = [this] {
            QMetaObject::invokeMethod(this, &CTramletDlg::OnGraphNotify, Qt::QueuedConnection);
        };
        return m_playerFactory ? m_playerFactory(k, notify) : nullptr;
    });
    m_reportError = [this](const QString& text) {
        QMessageBox::warning(this, windowTitle(), text, QMessageBox::Ok);
    };
    for (CBitmapSlider* s :
         {m_timeline, m_volume, m_rate, m_hourSlider, m_minuteSlider, m_secondSlider}) {
        connect(s, &CBitmapSlider::SliderDrag, this, [this](int id, int) { OnSliderDrag(id); });
        connect(s, &CBitmapSlider::SliderDone, this, &CTramletDlg::OnSliderDone);
    }
    connect(m_btnPlay, &QAbstractButton::clicked, this, &CTramletDlg::OnPlay);
    connect(m_btnPause, &QAbstractButton::clicked, this, &CTramletDlg::OnPause);
    connect(m_btnRewind, &QAbstractButton::clicked, this, [this] { OnStep(-1); });
    connect(m_btnForward, &QAbstractButton::clicked, this, [this] { OnStep(1); });
    m_syncTimer.setInterval(kSyncMs);
    connect(&m_syncTimer, &QTimer::timeout, this, &CTramletDlg::SyncChannels);
}

void CTramletDlg::SetPlayerFactory(PlayerFactory factory) {
    m_playerFactory = std::move(factory);
}

void CTramletDlg::SetErrorReporter(std::function<void(const QString&)> report) {
    m_reportError = std::move(report);
}

void CTramletDlg::OpenFirstRecording(const std::string& stamp) {
    OpenRecording(stamp);
}

std::string CTramletDlg::OpenClipStamp() const {
    if (m_clipLength <= 0)
        return {};
    const CalendarDate& date = m_catalogue.SelectedDate();
    return StartStamp(date.year, date.month, date.day, m_clipHour, m_clipMinute, m_clipSecond);
}

bool CTramletDlg::OnClipOpened(const PlayerSlots::OpenOutcome& outcome) {
    if (!outcome.error.empty() && m_reportError)
        m_reportError(QString::fromStdString(outcome.error));
    if (!outcome.opened)
        return false;
    m_timeline->SetPosition(0);
    m_timeline->setEnabled(outcome.duration.has_value());
    if (outcome.duration) {
        m_duration = *outcome.duration;
        m_clipLength = static_cast<int>(m_duration / kMediaTimePerSecond);
    }
    return true;
}

void CTramletDlg::SetTransportButtons(bool play, bool pause) {
    m_btnPlay->setEnabled(play);
    m_btnPause->setEnabled(pause);
}

std::vector<Player*> CTramletDlg::ChosenPlayers() const {
    return m_players.Chosen(m_zoomed, m_curChannel);
}

// One channel is heard: the selected one at its own volume, which the slider
// then shows; every other one is muted, whatever order they opened in.
void CTramletDlg::ChooseHeardChannel() {
    Player* heard = m_players.At(m_curChannel);
    if (!heard)
        return;
    for (Player* p : m_players.Chosen(false, 0)) {
        if (p != heard)
            p->SetVolume(kSilentVolume);
    }
    m_volume->SetPosition(heard->Volume());
}

void CTramletDlg::PostOpenSetup(bool rateOnly) {
    if (!rateOnly) {
        if (!m_players.At(m_curChannel))
            m_curChannel = m_players.LastHeld().value_or(m_curChannel);
        ChooseHeardChannel();
        if (m_clipLength != 0) {
            if (m_resumePlay) {
                for (Player* p : ChosenPlayers())
                    p->Run();
                SetTransportButtons(false, true);
                m_playing = true;
                if (m_playTimer == 0)
                    RestartPlayTick();
                m_syncTimer.start();
            } else {
                SetTransportButtons(true, false);
                m_playing = false;
            }
            m_btnRewind->setEnabled(true);
            m_btnForward->setEnabled(true);
        }
    }
    for (Player* p : m_players.Chosen(false, 0)) {
        if (!p->SetRate(m_rate->GetPos())) {
            m_rate->SetPosition(static_cast<int>(p->Rate()));
            m_rate->update();
        }
    }
}

void CTramletDlg::SeekPlayers(std::int64_t position, SeekMode mode) {
    for (Player* p : ChosenPlayers())
        p->Seek(position, mode);
}

void CTramletDlg::CuePlayers() {
    for (Player* p : ChosenPlayers())
        p->Cue();
}

void CTramletDlg::SetMoment(int hour, int minute, int second) {
    m_hour = hour;
    m_minute = minute;
    m_second = second;
    m_hourSlider->SetPosition(hour);
    m_minuteSlider->SetPosition(minute);
    m_secondSlider->SetPosition(second);
    const Moment moment{hour, minute, second};
    m_timeText = QString::fromStdString(TimeText(m_catalogue.SelectedDate(), moment));
    m_timeLabel->setText(m_timeText);
    m_pageMessages.BuildPositionMessage(TheGpsTable(), hour, minute, second);
    m_timeline->SetPosition(
        TimelinePosition(moment.SecondOfDay(), ClipStart().SecondOfDay(), m_clipLength));
    m_catalogue.MarkMinutesAndSeconds(hour, minute, second);
    update(m_markAnchor->geometry().adjusted(0, 0, 0, kMarkBarsDepth));
    if (!m_playing)
        CuePlayers();
}

void CTramletDlg::OnSliderDrag(int) {
    KillPlayTick();
    m_hour = m_hourSlider->GetPos();
    m_minute = m_minuteSlider->GetPos();
    m_second = m_secondSlider->GetPos();
}

void CTramletDlg::OnSliderDone(int id, int position) {
    switch (id) {
        case res::kHourSlider:
        case res::kMinuteSlider:
        case res::kSecondSlider:
            OnMomentChosen();
            break;
        case res::kTimeline:
            OnTimelineCommitted();
            break;
        case res::kVolume:
            if (Player* heard = m_players.At(m_curChannel))
                heard->SetVolume(position);
            // The drag stopped the tick; the moment must go on with the picture.
            if (m_playing)
                RestartPlayTick();
            break;
        case res::kRate:
            PostOpenSetup(true);
            if (m_playing)
                RestartPlayTick();
            break;
        default:
            break;
    }
}

void CTramletDlg::OpenClipsOf(const DayTime& record, const std::function<std::string(int)>& pattern,
                              const std::function<void(const ClipName&, bool)>& onClip) {
    const int n = record.ChannelCount();
    std::vector<PlayerSlots::ClipToOpen> clips;
    std::vector<ClipName> names;
    for (int c = 1; c <= 4; ++c) {
        if (!record.channels[static_cast<std::size_t>(c - 1)])
            continue;
        const std::vector<std::string> found = FindFiles(pattern(c));
        const std::optional<ClipName> name =
            found.empty() ? std::nullopt : ParseClipName(found.front());
        if (!name)
            continue;
        clips.push_back(
            {ClipPath(m_dataRoot, found.front()), c - 1, static_cast<int>(clips.size()), n});
        names.push_back(*name);
    }
    const std::vector<PlayerSlots::OpenOutcome> outcomes = m_players.OpenClips(clips, m_layout);
    for (std::size_t i = 0; i < clips.size(); ++i)
        onClip(names[i], OnClipOpened(outcomes[i]));
}

void CTramletDlg::OnMomentChosen() {
    const Moment moment{m_hourSlider->GetPos(), m_minuteSlider->GetPos(), m_secondSlider->GetPos()};
    m_hour = moment.hour;
    m_minute = moment.minute;
    m_second = moment.second;
    const int t = moment.SecondOfDay();
    const int start = ClipStart().SecondOfDay();
    bool seek = true;
    if (t < start || t > start + m_clipLength) {
        m_pageMessages.SetClipMessage("");
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ClosePlayback();
        bool attempted = false;
        bool lastOpened = false;
        if (const DayTime* record = FindCoveringRecord(m_catalogue.Recordings(), t)) {
            const CalendarDate date = m_catalogue.SelectedDate();
            const DayTime found = *record;
            OpenClipsOf(
                found,
                [&](int c) {
                    return ChannelClipPattern(m_dataRoot, date.year, date.month, date.day,
                                              found.hour, found.minute, found.second, c);
                },
                [&](const ClipName& name, bool opened) {
                    attempted = true;
                    lastOpened = opened;
                    if (!opened)
                        return;
                    m_clipHour = name.hour;
                    m_clipMinute = name.minute;
                    m_clipSecond = name.second;
                    m_catalogue.SetSelectedDate({name.year, name.month, name.day});
                    m_pageMessages.SetClipMessage(name.Stamp());
                });
        }
        PostOpenSetup(false);
        QApplication::restoreOverrideCursor();
        seek = attempted && lastOpened;
    }
    if (seek)
        SeekPlayers(MediaOffset(t, ClipStart().SecondOfDay()), SeekMode::kKeyFrame);
    SetMoment(moment.hour, moment.minute, moment.second);
    if (m_resumePlay)
        RestartPlayTick();
}

void CTramletDlg::OnTimelineCommitted() {
    if (m_duration != 0) {
        const std::int64_t target = m_timeline->GetPos() * m_duration / 100;
        SeekPlayers(target, SeekMode::kKeyFrame);
        const Moment moment = MomentAt(ClipStart().SecondOfDay(), target);
        SetMoment(moment.hour, moment.minute, moment.second);
    }
    if (m_resumePlay)
        RestartPlayTick();
}

// A moment of the selected day picked on the map's route or speed strip:
// chosen as a commit of the three sliders chooses it.
void CTramletDlg::ViewFromTrack(const std::string& stamp) {
    bool shaped = stamp.size() == 15;
    for (size_t i = 0; shaped && i < stamp.size(); ++i)
        shaped = i == 8 ? stamp[i] == '-' : stamp[i] >= '0' && stamp[i] <= '9';
    const std::optional<StartStampFields> fields = shaped ? ParseStartStamp(stamp) : std::nullopt;
    if (!fields || !(fields->date == m_catalogue.SelectedDate()) || fields->start.hour > 23 ||
        fields->start.minute > 59 || fields->start.second > 59) {
        return;
    }
    m_hourSlider->SetPosition(fields->start.hour);
    m_minuteSlider->SetPosition(fields->start.minute);
    m_secondSlider->SetPosition(fields->start.second);
    OnMomentChosen();
}

bool CTramletDlg::OpenRecording(const std::string& stamp) {
    if (stamp.empty())
        return false;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ClosePlayback();
    const std::optional<StartStampFields> fields = ParseStartStamp(stamp);
    bool found = false;
    if (fields) {
        if (const DayTime* record = FindRecordStartingAt(m_catalogue.Recordings(), fields->start)) {
            OpenClipsOf(
                *record, [&](int c) { return ChannelClipByStampPattern(m_dataRoot, stamp, c); },
                [&](const ClipName&, bool) { found = true; });
        }
    }
    PostOpenSetup(false);
    if (found) {
        m_catalogue.SetSelectedDate(fields->date);
        m_clipHour = fields->start.hour;
        m_clipMinute = fields->start.minute;
        m_clipSecond = fields->start.second;
        SetMoment(fields->start.hour, fields->start.minute, fields->start.second);
    }
    QApplication::restoreOverrideCursor();
    return true;
}

void CTramletDlg::PositionToMoment() {
    Player* selected = m_players.At(m_curChannel);
    if (!selected)
        return;
    if (m_clipLength == 0) {
        m_timeline->SetPosition(0);
        return;
    }
    const Moment moment = MomentAt(ClipStart().SecondOfDay(), selected->Position());
    SetMoment(moment.hour, moment.minute, moment.second);
}

void CTramletDlg::RestartPlayTick() {
    KillPlayTick();
    m_playTimer = startTimer(kPlayTickMs);
}

void CTramletDlg::KillPlayTick() {
    if (m_playTimer != 0)
        killTimer(m_playTimer);
    m_playTimer = 0;
}

void CTramletDlg::timerEvent(QTimerEvent* event) {
    if (m_playTimer != 0 && event->timerId() == m_playTimer)
        PositionToMoment();
    else
        QDialog::timerEvent(event);
}

// Play and pause set the state they name: the end of a recording may reach
// pause while already paused, and a toggle would then leave the players
// running under a state that says they are not.
void CTramletDlg::OnPlay() {
    if (!m_playing) {
        for (Player* p : ChosenPlayers())
            p->Run();
        RestartPlayTick();
        SetTransportButtons(false, true);
        m_syncTimer.start();
    }
    m_playing = m_resumePlay = true;
}

void CTramletDlg::OnPause() {
    if (m_playing) {
        KillPlayTick();
        m_syncTimer.stop();
        for (int k = 0; k < PlayerSlots::kCount; ++k) {
            Player* p = m_players.At(k);
            if (!p)
                continue;
            p->Pause();
            p->SetRateCorrection(1.0);
            if (m_zoomed && k != m_curChannel)
                p->HideVideo();
            else
                p->Cue();
        }
        SetTransportButtons(true, false);
    }
    m_playing = m_resumePlay = false;
}

void CTramletDlg::OnStep(int seconds) {
    Player* selected = m_players.At(m_curChannel);
    if (!selected)
        return;
    SeekPlayers(selected->Position() + seconds * kMediaTimePerSecond, SeekMode::kExact);
    PositionToMoment();
}

void CTramletDlg::OnGraphNotify() {
    for (int k = 0; k < PlayerSlots::kCount; ++k) {
        Player* p = m_players.At(k);
        while (p) {
            const std::optional<PlayerEvent> event = p->FetchEvent();
            if (!event)
                break;
            if (event->code != kEndOfStreamEvent)
                continue;
            OnPause();
            // The next recording replaces every player, this one included.
            if (AdvanceAfterEnd())
                return;
        }
    }
}

bool CTramletDlg::AdvanceAfterEnd() {
    const DayTime* next = FindRecordAfter(m_catalogue.Recordings(), ClipStart());
    if (!next)
        return false;
    const CalendarDate date = m_catalogue.SelectedDate();
    const std::string stamp =
        StartStamp(date.year, date.month, date.day, next->hour, next->minute, next->second);
    // Clips gone since the day was listed leave nothing to play on to: the
    // recording that ended stays, paused, as at the end of the day.
    const auto hasClip = [&](int c) {
        return !FindFiles(ChannelClipByStampPattern(m_dataRoot, stamp, c)).empty();
    };
    if (!hasClip(1) && !hasClip(2) && !hasClip(3) && !hasClip(4))
        return false;
    m_pageMessages.SetClipMessage(stamp);
    OpenRecording(stamp);
    OnPlay();
    return true;
}

// Every channel is asked for its position at once, and the correction waits
// for the last answer: positions heard from change events at different times
// lag by several frames at 8x, and the correction chased that lag.
void CTramletDlg::SyncChannels() {
    Player* selected = m_players.At(m_curChannel);
    if (!m_playing || m_zoomed || !selected || selected->SeekPending())
        return;
    const std::vector<Player*> players = m_players.Chosen(false, m_curChannel);
    const auto unanswered = std::make_shared<std::size_t>(players.size());
    const std::uint64_t round = ++m_syncRound;
    for (Player* p : players) {
        p->SamplePosition([this, unanswered, round] {
            if (--*unanswered == 0 && round == m_syncRound)
                CorrectChannels();
        });
    }
}

void CTramletDlg::CorrectChannels() {
    Player* selected = m_players.At(m_curChannel);
    if (!m_playing || m_zoomed || !selected || selected->SeekPending())
        return;
    const std::int64_t lead = selected->SampledPosition();
    for (int k = 0; k < PlayerSlots::kCount; ++k) {
        Player* p = m_players.At(k);
        // A channel still on its way to a seek has no position to correct
        // yet; seeking it again would only restart its decoding.
        if (!p || p == selected || p->SeekPending())
            continue;
        const DriftCorrection c =
            CorrectDrift(lead, p->SampledPosition(), selected->Rate(), selected->FrameDuration());
        if (c.seekTo)
            p->Seek(*c.seekTo, SeekMode::kExact);
        p->SetRateCorrection(c.rateFactor);
    }
}

void CTramletDlg::mouseDoubleClickEvent(QMouseEvent* event) {
    OnLButtonDblClk(event->position().toPoint());
    QDialog::mouseDoubleClickEvent(event);
}

void CTramletDlg::OnLButtonDblClk(const QPoint& point) {
    const QRect area = m_videoArea->geometry();
    if (!area.contains(point))
        return;
    Player* selected = m_players.At(m_curChannel);
    if (m_zoomed) {
        m_videoArea->update();
        const std::int64_t position = selected ? selected->Position() : 0;
        for (int k = 0; k < PlayerSlots::kCount; ++k) {
            Player* p = m_players.At(k);
            if (!p)
                continue;
            if (p != selected)
                p->Seek(position, SeekMode::kExact);
            if (m_players.IsPlaced(k))
                p->ShowVideo(m_players.CellOf(k, m_layout));
        }
        m_zoomed = false;
        if (m_playing) {
            for (Player* p : ChosenPlayers())
                p->Run();
        } else {
            CuePlayers();
        }
        return;
    }
    const QPoint inArea = point - area.topLeft();
    const std::optional<int> hit = m_players.SlotAt(inArea.x(), inArea.y(), m_layout);
    if (!hit)
        return;
    for (int k = 0; k < PlayerSlots::kCount; ++k) {
        Player* p = m_players.At(k);
        if (!p)
            continue;
        if (k == *hit) {
            m_curChannel = k;
            p->SetVolume(m_volume->GetPos());
        } else {
            // A hidden channel is not drawn, so it must not run on either;
            // leaving single view lines it up again.
            p->Pause();
            p->HideVideo();
            p->SetVolume(kSilentVolume);
        }
    }
    m_players.At(m_curChannel)->ShowVideo({0, 0, m_videoArea->width(), m_videoArea->height()});
    m_zoomed = true;
}

}  // namespace tramlet
