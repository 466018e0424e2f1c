#include "session/recording_player.h"

#include <algorithm>
#include <memory>
#include <thread>

#include "playback/drift_control.h"

namespace tramlet {
namespace {

std::string ChannelFailureText(int k, const std::string& text) {
    return "CH" + std::to_string(k + 1) + ": " + text;
}

}  // namespace

RecordingPlayer::RecordingPlayer(PlayerSlots::Factory factory) {
    slots_.SetFactory(std::move(factory));
}

void RecordingPlayer::Open(const Moment& start, int lengthSeconds,
                           const std::vector<PlayerSlots::ClipToOpen>& clips,
                           std::int64_t position) {
    Close();
    if (clips.empty())
        return;
    slots_.StartOpening(clips, m_layout);
    open_ = true;
    m_clipHour = start.hour;
    m_clipMinute = start.minute;
    m_clipSecond = start.second;
    m_clipLength = lengthSeconds;
    m_duration = std::int64_t{lengthSeconds} * kMediaTimePerSecond;
    ChooseHeardChannel();
    if (Player* heard = Lead())
        volume_ = heard->Volume();
    SetRate(rate_);
    // The cores read the decoding options as their decoders start.
    SetPlan(WantedPlan());
    for (int k = 0; k < PlayerSlots::kCount; ++k) {
        if (Player* p = slots_.At(k); p && ZoomOf(k).IsZoomed())
            p->SetZoom(ZoomOf(k));
    }
    for (Player* p : slots_.Chosen(false, 0))
        p->Seek(position, SeekMode::kExact);
    // The players run once all of them have loaded, so that they start
    // together.
    m_playing = m_resumePlay;
}

void RecordingPlayer::Close() {
    stepper_.Stop();
    slots_.CloseAll();
    ++syncRound_;
    open_ = false;
    m_playing = false;
    m_clipHour = m_clipMinute = m_clipSecond = 0;
    m_clipLength = 0;
    m_duration = 0;
    m_zoomed = false;
    m_curChannel = 0;
}

RecordingPlayer::News RecordingPlayer::TakeNews() {
    News news;
    const bool wasLoading = slots_.AnyLoading();
    for (const PlayerSlots::SlotEvent& e : slots_.TakeEvents()) {
        switch (e.event.code) {
            case PlayerEventCode::kEndOfStream:
                news.ended = true;
                break;
            case PlayerEventCode::kLoaded:
                OnLoaded(e.k);
                break;
            case PlayerEventCode::kOpenFailed:
                news.failures.push_back(ChannelFailureText(e.k, e.event.text));
                OnFailed(e.k);
                // A failed channel has no picture to wait for.
                PictureCame(e.k, news);
                break;
            case PlayerEventCode::kPictureReady:
                PictureCame(e.k, news);
                break;
            case PlayerEventCode::kSeekRefused:
                // Stepping, its picture will not come; it is lined up as always.
                PictureCame(e.k, news);
                if (e.k == m_curChannel)
                    news.leadMoved = true;
                else
                    Realign(e.k);
                break;
        }
    }
    if (!open_)
        return news;
    if (!slots_.LastHeld()) {
        news.lost = true;
        return news;
    }
    if (news.leadMoved) {
        if (stepper_.IsRunning())
            shown_ = Lead()->Position();
        for (int k = 0; k < PlayerSlots::kCount; ++k)
            Realign(k);
    }
    if (wasLoading && !slots_.AnyLoading()) {
        // The clips' picture sizes are known now.
        SetPlan(WantedPlan());
        if (m_playing)
            StartPlayers();
    }
    return news;
}

void RecordingPlayer::OnLoaded(int k) {
    Player* p = slots_.At(k);
    if (const std::optional<std::int64_t> duration = p->Duration(); duration && *duration > 0) {
        m_duration = *duration;
        m_clipLength = static_cast<int>(*duration / kMediaTimePerSecond);
    }
    if (!m_playing)
        p->Cue();
}

// The round's pictures go on the screen once the last of them is ready.
void RecordingPlayer::PictureCame(int k, News& news) {
    if (stepper_.Ready(k)) {
        ShowHeldPictures();
        news.pictured = true;
    }
}

// The heard channel that fails hands over to another one, which takes the
// volume the slider shows.
void RecordingPlayer::OnFailed(int k) {
    if (k != m_curChannel)
        return;
    if (m_zoomed)
        LeaveSingleView();
    ChooseHeardChannel();
    if (Player* heard = Lead())
        heard->SetVolume(volume_);
}

// A channel that did not go where it was sent goes where the heard one is.
void RecordingPlayer::Realign(int k) {
    Player* p = slots_.At(k);
    Player* lead = Lead();
    if (p && lead && p != lead)
        p->Seek(lead->Position(), SeekMode::kExact);
}

// One channel is heard: the selected one, or the highest that holds a
// player; every other one is muted, whatever order they opened in.
void RecordingPlayer::ChooseHeardChannel() {
    if (!Lead())
        m_curChannel = slots_.LastHeld().value_or(m_curChannel);
    Player* heard = Lead();
    if (!heard)
        return;
    for (Player* p : slots_.Chosen(false, 0)) {
        if (p != heard)
            p->SetVolume(kSilentVolume);
    }
}

std::vector<Player*> RecordingPlayer::ChosenPlayers() const {
    return slots_.Chosen(m_zoomed, m_curChannel);
}

std::int64_t RecordingPlayer::Position() const {
    if (stepper_.IsRunning())
        return shown_;
    const Player* lead = Lead();
    return lead ? lead->Position() : 0;
}

std::int64_t RecordingPlayer::LastFramePosition() const {
    const Player* lead = Lead();
    const std::int64_t frame = lead ? lead->FrameDuration() : kMediaTimePerSecond / 30;
    return std::max<std::int64_t>(0, m_duration - frame);
}

void RecordingPlayer::Seek(std::int64_t position, SeekMode mode) {
    if (stepper_.IsRunning()) {
        ShowHeldPictures();
        stepper_.Start(position);
        shown_ = position;
    }
    for (Player* p : ChosenPlayers())
        p->Seek(position, mode);
}

void RecordingPlayer::StepFrame(int direction) {
    for (Player* p : ChosenPlayers())
        p->StepFrame(direction);
}

void RecordingPlayer::Cue() {
    for (Player* p : ChosenPlayers())
        p->Cue();
}

// Key frames are stepped to from the pictures shown, with the players
// standing; every other plan runs them.
void RecordingPlayer::StartPlayers() {
    if (plan_ != DecodePlan::kKeyFrames) {
        for (Player* p : ChosenPlayers())
            p->Run();
        return;
    }
    for (Player* p : ChosenPlayers())
        p->Pause();
    shown_ = Lead() ? Lead()->Position() : 0;
    stepper_.Start(shown_);
}

void RecordingPlayer::StopStepping() {
    if (!stepper_.IsRunning())
        return;
    ShowHeldPictures();
    stepper_.Stop();
}

void RecordingPlayer::ShowHeldPictures() {
    for (Player* p : slots_.Chosen(false, 0))
        p->ShowHeldPicture();
    if (const Player* lead = Lead())
        shown_ = lead->Position();
}

// What the shown channels can decode together at this speed; a channel
// whose size is not known yet counts as 1080p at 30 frames a second.
DecodePlan RecordingPlayer::WantedPlan() const {
    constexpr std::int64_t kAssumedPixelRate = std::int64_t{1920} * 1080 * 30;
    std::int64_t pixels = 0;
    for (const Player* p : ChosenPlayers())
        pixels += p->PixelRate() > 0 ? p->PixelRate() : kAssumedPixelRate;
    return ChooseDecodePlan(rate_, pixels, std::thread::hardware_concurrency());
}

void RecordingPlayer::SetPlan(DecodePlan plan) {
    plan_ = plan;
    for (Player* p : slots_.Chosen(false, 0))
        p->SetLightDecoding(plan != DecodePlan::kEveryFrame);
}

void RecordingPlayer::UpdateDecodePlan() {
    const DecodePlan plan = WantedPlan();
    if (plan == plan_)
        return;
    StopStepping();
    SetPlan(plan);
    if (m_playing && !slots_.AnyLoading())
        StartPlayers();
}

// Play and pause set the state they name: the end of a recording may reach
// pause while already paused, and a toggle would then leave the players
// running under a state that says they are not.
void RecordingPlayer::Play() {
    m_resumePlay = true;
    if (!open_ || m_playing)
        return;
    m_playing = true;
    if (!slots_.AnyLoading())
        StartPlayers();
}

void RecordingPlayer::Pause() {
    StopStepping();
    if (m_playing) {
        ++syncRound_;
        for (int k = 0; k < PlayerSlots::kCount; ++k) {
            Player* p = slots_.At(k);
            if (!p)
                continue;
            p->Pause();
            p->SetRateCorrection(1.0);
            if (m_zoomed && k != m_curChannel)
                p->HideVideo();
            else
                p->Cue();
        }
    }
    m_playing = m_resumePlay = false;
}

// Channels at different speeds would drift apart for good: a speed one of
// them refuses becomes the speed of all.
bool RecordingPlayer::SetRate(double rate) {
    rate_ = rate;
    bool taken = true;
    for (Player* p : slots_.Chosen(false, 0)) {
        if (!p->SetRate(rate_)) {
            rate_ = p->Rate();
            taken = false;
        }
    }
    if (!taken) {
        for (Player* p : slots_.Chosen(false, 0))
            p->SetRate(rate_);
    }
    UpdateDecodePlan();
    return taken;
}

void RecordingPlayer::SetVolume(int hundredthsOfDecibel) {
    volume_ = hundredthsOfDecibel;
    if (Player* heard = Lead())
        heard->SetVolume(volume_);
}

void RecordingPlayer::SetVideoArea(int width, int height) {
    areaWidth_ = width;
    areaHeight_ = height;
    m_layout = BuildLayoutTable(width, height);
    if (m_zoomed) {
        if (Player* lead = Lead())
            lead->ShowVideo({0, 0, width, height});
        return;
    }
    for (int k = 0; k < PlayerSlots::kCount; ++k) {
        if (slots_.IsPlaced(k))
            slots_.At(k)->ShowVideo(slots_.CellOf(k, m_layout));
    }
}

std::optional<std::pair<int, LayoutCell>> RecordingPlayer::PictureAt(int x, int y) const {
    if (m_zoomed) {
        if (!Lead())
            return std::nullopt;
        return std::pair{m_curChannel, LayoutCell{0, 0, areaWidth_, areaHeight_}};
    }
    const std::optional<int> k = slots_.SlotAt(x, y, m_layout);
    if (!k)
        return std::nullopt;
    return std::pair{*k, slots_.CellOf(*k, m_layout)};
}

void RecordingPlayer::SetZoom(int k, const ChannelZoom& zoom) {
    zooms_.at(static_cast<std::size_t>(k)) = zoom;
    if (Player* p = slots_.At(k))
        p->SetZoom(zoom);
}

void RecordingPlayer::ZoomAt(int x, int y, double factor) {
    if (const auto picture = PictureAt(x, y)) {
        const auto& [k, cell] = *picture;
        SetZoom(k, ZoomAround(ZoomOf(k), x - cell.x, y - cell.y, cell.cx, cell.cy,
                              slots_.At(k)->VideoAspect(), factor));
    }
}

void RecordingPlayer::PanAt(int x, int y, int dx, int dy) {
    if (const auto picture = PictureAt(x, y)) {
        const auto& [k, cell] = *picture;
        SetZoom(k, PanBy(ZoomOf(k), dx, dy, cell.cx, cell.cy, slots_.At(k)->VideoAspect()));
    }
}

bool RecordingPlayer::ResetZoomAt(int x, int y) {
    const auto picture = PictureAt(x, y);
    if (!picture || !ZoomOf(picture->first).IsZoomed())
        return false;
    SetZoom(picture->first, {});
    return true;
}

void RecordingPlayer::ToggleSingleViewAt(int x, int y) {
    if (m_zoomed) {
        LeaveSingleView();
        return;
    }
    if (const std::optional<int> hit = slots_.SlotAt(x, y, m_layout))
        EnterSingleView(*hit);
}

// From single view of another channel, by way of the full view.
void RecordingPlayer::ShowChannelAlone(int k) {
    if (k < 0 || k >= PlayerSlots::kCount || !slots_.IsPlaced(k) || (m_zoomed && m_curChannel == k))
        return;
    if (m_zoomed)
        LeaveSingleView();
    EnterSingleView(k);
}

void RecordingPlayer::EnterSingleView(int k) {
    StopStepping();
    for (int j = 0; j < PlayerSlots::kCount; ++j) {
        Player* p = slots_.At(j);
        if (!p)
            continue;
        if (j == k) {
            m_curChannel = k;
            p->SetVolume(volume_);
        } else {
            // A hidden channel is not drawn, so it must not run on either;
            // leaving single view lines it up again.
            p->Pause();
            p->HideVideo();
            p->SetVolume(kSilentVolume);
        }
    }
    Lead()->ShowVideo({0, 0, areaWidth_, areaHeight_});
    m_zoomed = true;
    // One channel alone may be decoded in full where four could not.
    SetPlan(WantedPlan());
    if (m_playing && !slots_.AnyLoading())
        StartPlayers();
}

void RecordingPlayer::LeaveSingleView() {
    if (!m_zoomed)
        return;
    const std::int64_t position = Position();
    StopStepping();
    for (int k = 0; k < PlayerSlots::kCount; ++k) {
        Player* p = slots_.At(k);
        if (!p)
            continue;
        if (p != Lead())
            p->Seek(position, SeekMode::kExact);
        if (slots_.IsPlaced(k))
            p->ShowVideo(slots_.CellOf(k, m_layout));
    }
    m_zoomed = false;
    SetPlan(WantedPlan());
    if (m_playing && !slots_.AnyLoading())
        StartPlayers();
    else
        Cue();
}

RecordingPlayer::News RecordingPlayer::OnSyncTick(std::int64_t wallMs) {
    News news;
    if (stepper_.IsRunning())
        Step(wallMs, news);
    else
        SyncChannels();
    return news;
}

// Every channel goes to the clock together, unless the last round's
// pictures are still being decoded; the first channel at the end ends the
// recording, as when it plays there.
void RecordingPlayer::Step(std::int64_t wallMs, News& news) {
    const std::int64_t end = LastFramePosition();
    const KeyFrameStepper::Tick tick = stepper_.OnTick(wallMs, rate_, end);
    if (tick.giveUp)
        ShowHeldPictures();
    if (tick.sendTo) {
        unsigned sent = 0;
        for (int k = 0; k < PlayerSlots::kCount; ++k) {
            Player* p = slots_.At(k);
            if (p && (!m_zoomed || k == m_curChannel)) {
                p->SeekHeld(*tick.sendTo);
                sent |= 1u << k;
            }
        }
        stepper_.Sent(sent, wallMs);
    }
    news.pictured = tick.giveUp;
    news.ended = stepper_.AtEnd(end);
}

// Every channel is asked for its position at once, and the correction waits
// for the last answer: positions heard from change events at different times
// lag by several frames at 8x, and the correction chased that lag.
void RecordingPlayer::SyncChannels() {
    Player* lead = Lead();
    if (!m_playing || m_zoomed || !lead || lead->SeekPending() || slots_.AnyLoading())
        return;
    const std::vector<Player*> players = slots_.Chosen(false, 0);
    const auto unanswered = std::make_shared<std::size_t>(players.size());
    const std::uint64_t round = ++syncRound_;
    for (Player* p : players) {
        p->SamplePosition([this, unanswered, round] {
            if (--*unanswered == 0 && round == syncRound_)
                CorrectChannels();
        });
    }
}

void RecordingPlayer::CorrectChannels() {
    Player* lead = Lead();
    if (!m_playing || m_zoomed || !lead || lead->SeekPending())
        return;
    const std::int64_t at = lead->SampledPosition();
    for (Player* p : slots_.Chosen(false, 0)) {
        // A channel still on its way to a seek has no position to correct
        // yet; seeking it again would only restart its decoding.
        if (p == lead || p->SeekPending())
            continue;
        const DriftCorrection c =
            CorrectDrift(at, p->SampledPosition(), lead->Rate(), lead->FrameDuration());
        if (c.seekTo)
            p->Seek(*c.seekTo, SeekMode::kExact);
        p->SetRateCorrection(c.rateFactor);
    }
}

}  // namespace tramlet
