#pragma once

#include <QObject>

#include <deque>
#include <functional>
#include <optional>

#include "playback/player.h"

struct mpv_event;
struct mpv_event_property;
struct mpv_handle;

namespace tramlet {

class MpvVideoWidget;

// A channel's player on its own mpv core, drawn into a widget of the video
// area. Everything happens on the GUI thread: mpv's callbacks only queue a
// call here, and nothing waits for the core: what the player reports comes
// from the properties it observes and the replies it is sent.
class MpvPlayer : public QObject, public Player {
    Q_OBJECT

  public:
    // `notify` is called on the GUI thread when an event was queued.
    MpvPlayer(QWidget* videoArea, std::function<void()> notify);
    ~MpvPlayer() override;

    std::optional<Failure<OpenProblem>> StartOpen(const std::string& path) override;
    void Run() override;
    void Pause() override;
    void Cue() override;
    bool IsRunning() const override { return running_; }
    void Seek(std::int64_t position, SeekMode mode) override;
    bool SeekPending() const override { return seekTarget_.has_value(); }
    std::int64_t Position() const override;
    void SamplePosition(std::function<void()> answered) override;
    std::int64_t SampledPosition() const override { return sampled_; }
    std::optional<std::int64_t> Duration() const override;
    std::int64_t FrameDuration() const override;
    bool SetRate(double rate) override;
    double Rate() const override { return rate_; }
    void SetRateCorrection(double factor) override;
    int Volume() const override;
    void SetVolume(int hundredthsOfDecibel) override;
    std::optional<PlayerEvent> FetchEvent() override;
    void StepFrame(int direction) override;
    double VideoAspect() const override { return aspect_; }
    void SetZoom(const ChannelZoom& zoom) override;
    std::int64_t PixelRate() const override;
    void SetLightDecoding(bool light) override;
    void SeekHeld(std::int64_t position) override;
    void ShowHeldPicture() override;
    void ShowVideo(const LayoutCell& cell) override;
    void HideVideo() override;

    MpvVideoWidget* Widget() const { return widget_; }
    // A property as the core holds it now, for checks: this waits for the core.
    std::optional<double> ReadProperty(const char* name) const;

  private:
    static void OnWakeUp(void* self);
    void DrainEvents();
    void HandleEvent(const mpv_event& event);
    void OnPropertyChange(std::uint64_t observed, const mpv_event_property& property);
    void OnFileLoaded();
    void OnVideoTrack(bool present);
    void ReportLoadedOnceShown();
    void Queue(PlayerEvent event);
    void SendSeek();
    void SetPaused(bool paused);
    void ApplySpeed();
    void TellHeldPictureReady();

    mpv_handle* mpv_ = nullptr;
    MpvVideoWidget* widget_ = nullptr;
    std::function<void()> notify_;
    std::deque<PlayerEvent> events_;
    bool draining_ = false;
    double rate_ = 1.0;
    double correction_ = 1.0;
    double volume_ = 100.0;
    double timePos_ = 0.0;
    std::optional<double> duration_;
    double frameRate_ = 0.0;
    double aspect_ = 0.0;
    double width_ = 0.0;
    double height_ = 0.0;
    // A held seek's picture waits for ShowHeldPicture; it is told ready once.
    bool held_ = false;
    bool heldReadyTold_ = false;
    // A frame step goes on until the position next moves.
    bool stepping_ = false;
    bool running_ = false;
    bool atEnd_ = false;
    // From loadfile until the first picture is ready (or the clip failed).
    enum class Load { kNone, kLoading, kFileLoaded, kDone } load_ = Load::kNone;
    bool videoChecked_ = false;
    bool restartedSinceLoad_ = false;
    // Until mpv has finished the last seek, the position is where it is going.
    // A seek asked for while the file loads waits here until it has loaded.
    std::optional<std::int64_t> seekTarget_;
    SeekMode seekMode_ = SeekMode::kExact;
    bool seekSent_ = false;
    std::uint64_t seekCount_ = 0;
    std::int64_t sampled_ = 0;
    std::function<void()> sampleAnswered_;
};

}  // namespace tramlet
