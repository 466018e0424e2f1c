#include "playback/mpv_player.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <clocale>
#include <cmath>
#include <string>
#include <utility>

#include <mpv/client.h>

#include "playback/mpv_video_widget.h"
#include "playback/open_error_text.h"
#include "playback/volume_curve.h"

namespace tramlet {
namespace {

// The codes an open failure reports: a timeout and an unknown format keep
// the platform's own numbers; other mpv errors are numbered after them.
constexpr std::uint32_t kTimeoutCode = 0x8004025E;
constexpr std::uint32_t kUnsupportedCode = 0x80040265;
constexpr std::uint32_t kMpvErrorBase = 0x80040000;
// mpv's own limits on the speed property.
constexpr double kSlowestSpeed = 0.01;
constexpr double kFastestSpeed = 100.0;

// Which observed property a change event is about.
enum Observed : std::uint64_t {
    kEndReached = 1,
    kTimePos,
    kDuration,
    kFrameRate,
    kAspect,
    kWidth,
    kHeight,
    kHardwareDecoder
};
// Replies to a seek, and to reading the position after it, carry the seek's
// number above these flags.
constexpr std::uint64_t kPositionAfterSeek = std::uint64_t{1} << 63;
constexpr std::uint64_t kSeekReply = std::uint64_t{1} << 62;
constexpr std::uint64_t kPositionSample = std::uint64_t{1} << 61;
constexpr std::uint64_t kVideoTrackReply = std::uint64_t{1} << 60;

// Hardware decoding is tried once: a machine without it would otherwise
// probe its drivers again, and print their complaints, at every clip.
std::atomic<bool> noHardwareDecoder{false};

std::uint32_t CodeOfMpvError(int error) {
    if (error == MPV_ERROR_UNKNOWN_FORMAT)
        return kUnsupportedCode;
    return kMpvErrorBase + static_cast<std::uint32_t>(-error);
}

std::int64_t ToMediaTime(double seconds) {
    return std::llround(seconds * static_cast<double>(kMediaTimePerSecond));
}

}  // namespace

MpvPlayer::MpvPlayer(QWidget* videoArea, std::function<void()> notify)
    : notify_(std::move(notify)) {
    // mpv refuses to start under a locale whose numbers have a decimal comma.
    std::setlocale(LC_NUMERIC, "C");
    mpv_ = mpv_create();
    if (!mpv_)
        return;
    // Four cores share one GUI thread: none may wait for its frame's moment
    // in the render call, and a finished clip keeps its last picture. Each
    // decodes on a thread of its own a few frames ahead: at 8x on a busy
    // machine, a decoder that falls behind for a moment would have its
    // channel drop every late frame and stand still while the others move.
    // A seek lands once its frame is decoded, not once it is drawn: a
    // picture held back for the other channels would otherwise keep the
    // core waiting, up to 200 ms a round, for a draw that waits for it.
    for (const auto& [name, value] : {std::pair{"vo", "libmpv"},
                                      {"video-timing-offset", "0"},
                                      {"keep-open", "yes"},
                                      {"pause", "yes"},
                                      {"volume", "100"},
                                      {"hwdec", noHardwareDecoder ? "no" : "auto-safe"},
                                      {"terminal", "no"},
                                      {"input-default-bindings", "no"},
                                      {"osc", "no"},
                                      {"vd-queue-enable", "yes"},
                                      {"vd-queue-max-samples", "8"},
                                      {"video-latency-hacks", "yes"}}) {
        mpv_set_option_string(mpv_, name, value);
    }
    if (mpv_initialize(mpv_) < 0) {
        mpv_terminate_destroy(mpv_);
        mpv_ = nullptr;
        return;
    }
    mpv_observe_property(mpv_, kEndReached, "eof-reached", MPV_FORMAT_FLAG);
    mpv_observe_property(mpv_, kTimePos, "time-pos", MPV_FORMAT_DOUBLE);
    mpv_observe_property(mpv_, kDuration, "duration", MPV_FORMAT_DOUBLE);
    mpv_observe_property(mpv_, kFrameRate, "container-fps", MPV_FORMAT_DOUBLE);
    mpv_observe_property(mpv_, kAspect, "video-params/aspect", MPV_FORMAT_DOUBLE);
    mpv_observe_property(mpv_, kWidth, "video-params/w", MPV_FORMAT_DOUBLE);
    mpv_observe_property(mpv_, kHeight, "video-params/h", MPV_FORMAT_DOUBLE);
    mpv_observe_property(mpv_, kHardwareDecoder, "hwdec-current", MPV_FORMAT_STRING);
    mpv_set_wakeup_callback(mpv_, &MpvPlayer::OnWakeUp, this);
    widget_ = new MpvVideoWidget(mpv_, videoArea);
}

MpvPlayer::~MpvPlayer() {
    if (!mpv_)
        return;
    mpv_set_wakeup_callback(mpv_, nullptr, nullptr);
    delete widget_;
    mpv_terminate_destroy(mpv_);
}

// Called on one of mpv's threads: only queue the drain.
void MpvPlayer::OnWakeUp(void* self) {
    QMetaObject::invokeMethod(static_cast<MpvPlayer*>(self), &MpvPlayer::DrainEvents,
                              Qt::QueuedConnection);
}

void MpvPlayer::DrainEvents() {
    const std::size_t queued = events_.size();
    draining_ = true;
    for (;;) {
        const mpv_event* event = mpv_wait_event(mpv_, 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        HandleEvent(*event);
    }
    draining_ = false;
    if (events_.size() > queued && notify_)
        notify_();
}

void MpvPlayer::HandleEvent(const mpv_event& event) {
    const auto* property = static_cast<const mpv_event_property*>(event.data);
    switch (event.event_id) {
        case MPV_EVENT_FILE_LOADED:
            OnFileLoaded();
            break;
        case MPV_EVENT_END_FILE:
            if (load_ != Load::kNone) {
                const auto* end = static_cast<const mpv_event_end_file*>(event.data);
                if (load_ != Load::kDone || end->reason == MPV_END_FILE_REASON_ERROR) {
                    load_ = Load::kDone;
                    Queue({PlayerEventCode::kOpenFailed,
                           OpenErrorText(CodeOfMpvError(end->reason == MPV_END_FILE_REASON_ERROR
                                                            ? end->error
                                                            : MPV_ERROR_LOADING_FAILED))});
                }
            }
            break;
        case MPV_EVENT_PLAYBACK_RESTART:
            // The first restart after loading shows the clip's start: a seek
            // asked for while it loaded goes out now, so that its own restart
            // is the one that answers it.
            if (load_ == Load::kFileLoaded && !std::exchange(restartedSinceLoad_, true) &&
                seekTarget_) {
                SendSeek();
                break;
            }
            // The reply comes once the core has settled on the new position,
            // which a change event may not report when it is unchanged.
            mpv_get_property_async(mpv_, kPositionAfterSeek | seekCount_, "time-pos",
                                   MPV_FORMAT_DOUBLE);
            ReportLoadedOnceShown();
            break;
        case MPV_EVENT_COMMAND_REPLY:
            // A seek the core refused moves nothing: the position is where
            // it was, not where it was asked to go.
            if (event.reply_userdata == (kSeekReply | seekCount_) && event.error < 0) {
                seekTarget_.reset();
                Queue({PlayerEventCode::kSeekRefused, {}});
            }
            break;
        case MPV_EVENT_GET_PROPERTY_REPLY:
            if (event.reply_userdata == kVideoTrackReply) {
                OnVideoTrack(event.error >= 0 && property->format == MPV_FORMAT_STRING &&
                             std::string(*static_cast<char**>(property->data)) != "no");
                break;
            }
            if (event.reply_userdata == kPositionSample) {
                sampled_ = event.error >= 0 && property->format == MPV_FORMAT_DOUBLE
                               ? ToMediaTime(*static_cast<const double*>(property->data))
                               : Position();
                if (std::function<void()> answered = std::exchange(sampleAnswered_, {}))
                    answered();
                break;
            }
            if (event.reply_userdata == (kPositionAfterSeek | seekCount_)) {
                if (event.error >= 0)
                    OnPropertyChange(kTimePos, *property);
                seekTarget_.reset();
                ReportLoadedOnceShown();
                TellHeldPictureReady();
            }
            break;
        case MPV_EVENT_PROPERTY_CHANGE:
            OnPropertyChange(event.reply_userdata, *property);
            break;
        default:
            break;
    }
}

// An event queued outside the drain (by a call of the window's) is told
// from the event loop too, never inside that call.
void MpvPlayer::Queue(PlayerEvent event) {
    events_.push_back(std::move(event));
    if (!draining_) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (notify_)
                    notify_();
            },
            Qt::QueuedConnection);
    }
}

void MpvPlayer::OnFileLoaded() {
    load_ = Load::kFileLoaded;
    mpv_get_property_async(mpv_, kVideoTrackReply, "vid", MPV_FORMAT_STRING);
}

void MpvPlayer::OnVideoTrack(bool present) {
    if (load_ != Load::kFileLoaded)
        return;
    if (!present) {
        load_ = Load::kDone;
        Queue({PlayerEventCode::kOpenFailed, OpenErrorText(kVideoNotRenderedCode)});
        return;
    }
    videoChecked_ = true;
    ReportLoadedOnceShown();
}

// Loaded means a picture to show: the file has video, the core has restarted
// on it, and a seek asked for while loading has landed.
void MpvPlayer::ReportLoadedOnceShown() {
    if (load_ != Load::kFileLoaded || !videoChecked_ || !restartedSinceLoad_ || seekTarget_)
        return;
    load_ = Load::kDone;
    Queue({PlayerEventCode::kLoaded, {}});
}

void MpvPlayer::OnPropertyChange(std::uint64_t observed, const mpv_event_property& property) {
    if (observed == kEndReached) {
        const bool atEnd =
            property.format == MPV_FORMAT_FLAG && *static_cast<const int*>(property.data);
        if (atEnd && !atEnd_) {
            Queue({PlayerEventCode::kEndOfStream, {}});
            // keep-open pauses at the end.
            running_ = false;
        }
        atEnd_ = atEnd;
        return;
    }
    if (observed == kHardwareDecoder) {
        if (property.format == MPV_FORMAT_STRING &&
            std::string(*static_cast<char**>(property.data)) == "no")
            noHardwareDecoder = true;
        return;
    }
    if (property.format != MPV_FORMAT_DOUBLE)
        return;
    const double value = *static_cast<const double*>(property.data);
    if (observed == kTimePos) {
        timePos_ = value;
        if (std::exchange(stepping_, false))
            seekTarget_.reset();
    } else if (observed == kAspect)
        aspect_ = value;
    else if (observed == kWidth)
        width_ = value;
    else if (observed == kHeight)
        height_ = value;
    else if (observed == kDuration)
        duration_ = value;
    else if (observed == kFrameRate)
        frameRate_ = value;
}

std::optional<Failure<OpenProblem>> MpvPlayer::StartOpen(const std::string& path) {
    if (!mpv_ || !widget_ || !widget_->PrepareRendering())
        return Failure<OpenProblem>{OpenProblem::kNotRendered, 0,
                                    OpenErrorText(kVideoNotRenderedCode)};
    const char* command[] = {"loadfile", path.c_str(), nullptr};
    if (const int error = mpv_command(mpv_, command); error < 0)
        return Failure<OpenProblem>{OpenProblem::kRefused, 0, OpenErrorText(CodeOfMpvError(error))};
    load_ = Load::kLoading;
    return std::nullopt;
}

// Only a change is sent: pausing a paused core again would cut short the
// frame a frame step is about to show.
void MpvPlayer::SetPaused(bool paused) {
    if (running_ != paused)
        return;
    int flag = paused ? 1 : 0;
    mpv_set_property_async(mpv_, 0, "pause", MPV_FORMAT_FLAG, &flag);
    running_ = !paused;
}

void MpvPlayer::Run() {
    // At the end of its clip the core stays paused (keep-open) and reports
    // nothing more: running there ends at once, with a new end of stream.
    if (atEnd_ && !seekTarget_) {
        running_ = false;
        Queue({PlayerEventCode::kEndOfStream, {}});
        return;
    }
    SetPaused(false);
}

void MpvPlayer::Pause() {
    SetPaused(true);
}

void MpvPlayer::Cue() {
    Pause();
    if (widget_)
        widget_->update();
}

void MpvPlayer::Seek(std::int64_t position, SeekMode mode) {
    // A negative absolute seek would count from the end of the clip.
    seekTarget_ = std::max<std::int64_t>(position, 0);
    seekMode_ = mode;
    const bool loading =
        load_ == Load::kLoading || (load_ == Load::kFileLoaded && !restartedSinceLoad_);
    if (!loading)
        SendSeek();
}

void MpvPlayer::SendSeek() {
    const std::string seconds = std::to_string(static_cast<double>(*seekTarget_) / 1e7);
    const char* flags = seekMode_ == SeekMode::kExact ? "absolute+exact" : "absolute+keyframes";
    const char* command[] = {"seek", seconds.c_str(), flags, nullptr};
    if (mpv_command_async(mpv_, kSeekReply | (seekCount_ + 1), command) >= 0) {
        ++seekCount_;
    } else {
        seekTarget_.reset();
        Queue({PlayerEventCode::kSeekRefused, {}});
    }
}

std::int64_t MpvPlayer::Position() const {
    return seekTarget_.value_or(ToMediaTime(timePos_));
}

void MpvPlayer::SamplePosition(std::function<void()> answered) {
    sampleAnswered_ = std::move(answered);
    if (mpv_get_property_async(mpv_, kPositionSample, "time-pos", MPV_FORMAT_DOUBLE) < 0) {
        sampled_ = Position();
        std::exchange(sampleAnswered_, {})();
    }
}

std::optional<std::int64_t> MpvPlayer::Duration() const {
    if (!duration_)
        return std::nullopt;
    return ToMediaTime(*duration_);
}

std::int64_t MpvPlayer::FrameDuration() const {
    return ToMediaTime(1.0 / (frameRate_ > 0 ? frameRate_ : 30.0));
}

void MpvPlayer::ApplySpeed() {
    double speed = std::clamp(rate_ * correction_, kSlowestSpeed, kFastestSpeed);
    mpv_set_property_async(mpv_, 0, "speed", MPV_FORMAT_DOUBLE, &speed);
}

bool MpvPlayer::SetRate(double rate) {
    if (!(rate >= kSlowestSpeed && rate <= kFastestSpeed))
        return false;
    rate_ = rate;
    ApplySpeed();
    return true;
}

void MpvPlayer::SetRateCorrection(double factor) {
    if (factor == correction_)
        return;
    correction_ = factor;
    ApplySpeed();
}

int MpvPlayer::Volume() const {
    return HundredthsFromMpvVolume(volume_);
}

void MpvPlayer::SetVolume(int hundredthsOfDecibel) {
    volume_ = MpvVolumeFromHundredths(hundredthsOfDecibel);
    mpv_set_property_async(mpv_, 0, "volume", MPV_FORMAT_DOUBLE, &volume_);
}

std::optional<PlayerEvent> MpvPlayer::FetchEvent() {
    if (events_.empty())
        return std::nullopt;
    const PlayerEvent event = events_.front();
    events_.pop_front();
    return event;
}

void MpvPlayer::StepFrame(int direction) {
    const char* command[] = {direction < 0 ? "frame-back-step" : "frame-step", nullptr};
    if (mpv_command_async(mpv_, kSeekReply | (seekCount_ + 1), command) < 0)
        return;
    ++seekCount_;
    seekTarget_ = std::max<std::int64_t>(0, Position() + direction * FrameDuration());
    stepping_ = true;
    running_ = false;
}

void MpvPlayer::SetZoom(const ChannelZoom& zoom) {
    double values[] = {std::log2(zoom.scale), zoom.panX, zoom.panY};
    const char* names[] = {"video-zoom", "video-pan-x", "video-pan-y"};
    for (int i = 0; i < 3; ++i)
        mpv_set_property_async(mpv_, 0, names[i], MPV_FORMAT_DOUBLE, &values[i]);
}

std::int64_t MpvPlayer::PixelRate() const {
    return std::llround(width_ * height_ * frameRate_);
}

// mpv reads the option as the decoder starts, so it serves from the next
// clip opened: restarting a decoder to apply it would cost more than it saves.
void MpvPlayer::SetLightDecoding(bool light) {
    if (mpv_)
        mpv_set_property_string(mpv_, "vd-lavc-skiploopfilter", light ? "all" : "default");
}

void MpvPlayer::SeekHeld(std::int64_t position) {
    if (!widget_) {
        Queue({PlayerEventCode::kSeekRefused, {}});
        return;
    }
    held_ = true;
    heldReadyTold_ = false;
    widget_->HoldFrames([this] { TellHeldPictureReady(); });
    Seek(position, SeekMode::kKeyFrame);
}

// Ready once the seek has landed and its frame has come to the widget.
void MpvPlayer::TellHeldPictureReady() {
    if (!held_ || heldReadyTold_ || seekTarget_ || !widget_->FrameWaiting())
        return;
    heldReadyTold_ = true;
    Queue({PlayerEventCode::kPictureReady, {}});
}

void MpvPlayer::ShowHeldPicture() {
    if (!std::exchange(held_, false))
        return;
    widget_->ShowHeldFrame();
}

std::optional<double> MpvPlayer::ReadProperty(const char* name) const {
    double value = 0;
    if (!mpv_ || mpv_get_property(mpv_, name, MPV_FORMAT_DOUBLE, &value) < 0)
        return std::nullopt;
    return value;
}

void MpvPlayer::ShowVideo(const LayoutCell& cell) {
    if (!widget_)
        return;
    widget_->setGeometry(cell.x, cell.y, cell.cx, cell.cy);
    widget_->show();
    widget_->update();
}

void MpvPlayer::HideVideo() {
    if (widget_)
        widget_->hide();
}

}  // namespace tramlet
