#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "playback/player.h"

namespace tramlet::test {

// Pixels a second of 7680x4320 video at 30 frames a second: more than any
// machine decodes of four channels at 4x.
inline constexpr std::int64_t kEightK = std::int64_t{7680} * 4320 * 30;

// How a scripted clip behaves.
struct FakeClip {
    std::int64_t duration = 60 * kMediaTimePerSecond;
    std::optional<std::string> openError;
    std::set<double> refusedRates;
    double rateAfterRefusal = 1.0;
    int startVolume = kFullVolume;
    // Loads only when told to (FinishLoading), as on a slow machine.
    bool slow = false;
    // Small enough to be decoded in full at every speed.
    std::int64_t pixelRate = 640 * 360 * 30;
};

// A player that plays on a virtual clock: nothing moves until the test
// advances it.
class FakePlayer : public Player {
  public:
    FakePlayer(const std::map<std::string, FakeClip>& clips, std::function<void()> notify)
        : clips_(clips), notify_(std::move(notify)) {}

    std::optional<Failure<OpenProblem>> StartOpen(const std::string& path) override;
    void Run() override { running_ = true; }
    void Pause() override { running_ = false; }
    void Cue() override {
        running_ = false;
        ++cues;
    }
    bool IsRunning() const override { return running_; }
    void Seek(std::int64_t position, SeekMode mode) override;
    bool SeekPending() const override { return seekPending; }
    std::int64_t Position() const override { return position_; }
    void SamplePosition(std::function<void()> answered) override {
        sampled_ = position_;
        answered();
    }
    std::int64_t SampledPosition() const override { return sampled_; }
    std::optional<std::int64_t> Duration() const override { return clip_.duration; }
    std::int64_t FrameDuration() const override { return kMediaTimePerSecond / 30; }
    bool SetRate(double rate) override;
    double Rate() const override { return rate_; }
    void SetRateCorrection(double factor) override { correction = factor; }
    int Volume() const override { return volume; }
    void SetVolume(int hundredths) override { volume = hundredths; }
    std::optional<PlayerEvent> FetchEvent() override;
    void ShowVideo(const LayoutCell& shownCell) override {
        visible = true;
        cell = shownCell;
    }
    void HideVideo() override { visible = false; }
    void StepFrame(int direction) override;
    double VideoAspect() const override { return 16.0 / 9.0; }
    void SetZoom(const ChannelZoom& shown) override { zoom = shown; }
    std::int64_t PixelRate() const override { return loaded_ ? clip_.pixelRate : 0; }
    void SetLightDecoding(bool) override {}
    // The picture is ready at once; it stays held until shown.
    void SeekHeld(std::int64_t position) override;
    void ShowHeldPicture() override { held = false; }

    // Ends the loading of a slow clip: loaded, or failed with its error.
    void FinishLoading();
    bool Loaded() const { return loaded_; }
    // Moves a running, loaded player on by `wall` of real time at its rate;
    // reaching the end queues the end of stream once.
    void Advance(std::int64_t wall);
    void EndOfStream();
    // The core turns down the last seek: the position goes back.
    void RefuseLastSeek();

    std::string path;
    std::vector<std::pair<std::int64_t, SeekMode>> seeks;
    int cues = 0;
    bool seekPending = false;
    int volume = kFullVolume;
    double correction = 1.0;
    bool visible = false;
    LayoutCell cell;
    ChannelZoom zoom;
    bool held = false;

  private:
    void Queue(PlayerEvent event);

    const std::map<std::string, FakeClip>& clips_;
    std::function<void()> notify_;
    FakeClip clip_;
    std::vector<PlayerEvent> events_;
    std::int64_t position_ = 0;
    std::int64_t beforeSeek_ = 0;
    std::int64_t sampled_ = 0;
    double rate_ = 1.0;
    bool running_ = false;
    bool loading_ = false;
    bool loaded_ = false;
};

}  // namespace tramlet::test
