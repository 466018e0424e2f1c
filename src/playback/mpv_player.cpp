#include "playback/mpv_player.h"

#include <QElapsedTimer>

#include <clocale>
#include <cmath>
#include <string>

#include <mpv/client.h>

#include "playback/mpv_video_widget.h"
#include "playback/open_error_text.h"
#include "playback/volume_curve.h"

namespace tramlet {
namespace {

constexpr int kOpenTimeoutMs = 10000;
// The codes an open failure reports: a timeout and an unknown format keep
// the platform's own numbers; other mpv errors are numbered after them.
constexpr std::uint32_t kTimeoutCode = 0x8004025E;
constexpr std::uint32_t kUnsupportedCode = 0x80040265;
constexpr std::uint32_t kMpvErrorBase = 0x80040000;
constexpr std::uint64_t kEndOfStreamReply = 1;

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
    // in the render call, and a finished clip keeps its last picture.
    for (const auto& [name, value] : {std::pair{"vo", "libmpv"},
                                      {"video-timing-offset", "0"},
                                      {"keep-open", "yes"},
                                      {"pause", "yes"},
                                      {"hwdec", "auto-safe"},
                                      {"terminal", "no"},
                                      {"input-default-bindings", "no"},
                                      {"osc", "no"}}) {
        mpv_set_option_string(mpv_, name, value);
    }
    if (mpv_initialize(mpv_) < 0) {
        mpv_terminate_destroy(mpv_);
        mpv_ = nullptr;
        return;
    }
    mpv_observe_property(mpv_, kEndOfStreamReply, "eof-reached", MPV_FORMAT_FLAG);
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
    bool queued = false;
    for (;;) {
        const mpv_event* event = mpv_wait_event(mpv_, 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        if (event->event_id == MPV_EVENT_PLAYBACK_RESTART)
            seekTarget_.reset();
        if (event->event_id == MPV_EVENT_PROPERTY_CHANGE &&
            event->reply_userdata == kEndOfStreamReply) {
            const auto* property = static_cast<const mpv_event_property*>(event->data);
            const bool atEnd =
                property->format == MPV_FORMAT_FLAG && *static_cast<const int*>(property->data);
            if (atEnd && !atEnd_) {
                events_.push_back({kEndOfStreamEvent, 0, 0});
                queued = true;
            }
            atEnd_ = atEnd;
        }
    }
    if (queued && notify_)
        notify_();
}

std::optional<std::uint32_t> MpvPlayer::WaitUntilLoaded(int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        const double left = (timeoutMs - clock.elapsed()) / 1000.0;
        if (left <= 0)
            return kTimeoutCode;
        const mpv_event* event = mpv_wait_event(mpv_, left);
        if (event->event_id == MPV_EVENT_FILE_LOADED)
            return std::nullopt;
        if (event->event_id == MPV_EVENT_END_FILE) {
            const auto* end = static_cast<const mpv_event_end_file*>(event->data);
            return CodeOfMpvError(
                end->reason == MPV_END_FILE_REASON_ERROR ? end->error : MPV_ERROR_LOADING_FAILED);
        }
    }
}

std::optional<std::string> MpvPlayer::Open(const std::string& path) {
    if (!mpv_ || !widget_ || !widget_->PrepareRendering())
        return OpenErrorText(kVideoNotRenderedCode);
    const char* command[] = {"loadfile", path.c_str(), nullptr};
    if (const int error = mpv_command(mpv_, command); error < 0)
        return OpenErrorText(CodeOfMpvError(error));
    if (const std::optional<std::uint32_t> code = WaitUntilLoaded(kOpenTimeoutMs))
        return OpenErrorText(*code);
    char* video = mpv_get_property_string(mpv_, "vid");
    const bool hasVideo = video && std::string(video) != "no";
    mpv_free(video);
    if (!hasVideo)
        return OpenErrorText(kVideoNotRenderedCode);
    // Events that arrived while waiting still need their drain.
    QMetaObject::invokeMethod(this, &MpvPlayer::DrainEvents, Qt::QueuedConnection);
    return std::nullopt;
}

void MpvPlayer::Run() {
    mpv_set_property_string(mpv_, "pause", "no");
}

void MpvPlayer::Pause() {
    mpv_set_property_string(mpv_, "pause", "yes");
}

void MpvPlayer::Cue() {
    Pause();
    if (widget_)
        widget_->update();
}

bool MpvPlayer::IsRunning() const {
    int paused = 1;
    mpv_get_property(mpv_, "pause", MPV_FORMAT_FLAG, &paused);
    return !paused;
}

void MpvPlayer::Seek(std::int64_t position, SeekMode mode) {
    // A negative absolute seek would count from the end of the clip.
    const std::int64_t target = std::max<std::int64_t>(position, 0);
    const std::string seconds = std::to_string(static_cast<double>(target) / 1e7);
    const char* flags = mode == SeekMode::kExact ? "absolute+exact" : "absolute+keyframes";
    const char* command[] = {"seek", seconds.c_str(), flags, nullptr};
    if (mpv_command_async(mpv_, 0, command) >= 0)
        seekTarget_ = target;
}

double MpvPlayer::DoubleProperty(const char* name, double fallback) const {
    double value = fallback;
    mpv_get_property(mpv_, name, MPV_FORMAT_DOUBLE, &value);
    return value;
}

std::int64_t MpvPlayer::Position() const {
    if (seekTarget_)
        return *seekTarget_;
    return ToMediaTime(DoubleProperty("time-pos", 0.0));
}

std::optional<std::int64_t> MpvPlayer::Duration() const {
    double seconds = 0;
    if (mpv_get_property(mpv_, "duration", MPV_FORMAT_DOUBLE, &seconds) < 0)
        return std::nullopt;
    return ToMediaTime(seconds);
}

std::int64_t MpvPlayer::FrameDuration() const {
    const double fps = DoubleProperty("container-fps", 30.0);
    return ToMediaTime(1.0 / (fps > 0 ? fps : 30.0));
}

bool MpvPlayer::ApplySpeed() {
    double speed = rate_ * correction_;
    return mpv_set_property(mpv_, "speed", MPV_FORMAT_DOUBLE, &speed) >= 0;
}

bool MpvPlayer::SetRate(double rate) {
    const double previous = rate_;
    rate_ = rate;
    if (ApplySpeed())
        return true;
    rate_ = previous;
    return false;
}

void MpvPlayer::SetRateCorrection(double factor) {
    if (factor == correction_)
        return;
    correction_ = factor;
    ApplySpeed();
}

int MpvPlayer::Volume() const {
    return HundredthsFromMpvVolume(DoubleProperty("volume", 100.0));
}

void MpvPlayer::SetVolume(int hundredthsOfDecibel) {
    double volume = MpvVolumeFromHundredths(hundredthsOfDecibel);
    mpv_set_property(mpv_, "volume", MPV_FORMAT_DOUBLE, &volume);
}

std::optional<PlayerEvent> MpvPlayer::FetchEvent() {
    if (events_.empty())
        return std::nullopt;
    const PlayerEvent event = events_.front();
    events_.pop_front();
    return event;
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
