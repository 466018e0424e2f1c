#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "common/failure.h"
#include "playback/channel_zoom.h"
#include "playback/layout_table.h"

namespace tramlet {

// Media time: 100-nanosecond units.
inline constexpr std::int64_t kMediaTimePerSecond = 10'000'000;
// Volume in hundredths of a decibel: silence to full.
inline constexpr int kSilentVolume = -10000;
inline constexpr int kFullVolume = 0;
// Key-frame seeks are cheap and good enough for choosing a moment; exact ones
// land on the frame, for steps and for lining channels up.
enum class SeekMode { kKeyFrame, kExact };

// What a player tells through its event queue.
enum class PlayerEventCode {
    kEndOfStream = 1,  // the clip has played to its end
    kLoaded,           // the first picture is ready to be shown
    kOpenFailed,       // the clip cannot be played; the text says why
    kSeekRefused,      // the core would not seek; the position stays where it was
    kPictureReady,     // a held seek's picture is decoded and waits to be shown
};

struct PlayerEvent {
    PlayerEventCode code = PlayerEventCode::kEndOfStream;
    std::string text;
};

// Why a clip could not even start loading.
enum class OpenProblem {
    kNotRendered,  // there is nothing to draw its picture with
    kRefused,      // the player would not take the clip
};

// One channel's media player with its picture in the video area. Nothing
// waits: opening only starts loading, and everything after it acts at once
// without waiting for the picture to change.
class Player {
  public:
    virtual ~Player() = default;

    // Starts loading the clip. kLoaded or kOpenFailed follows; a failure
    // known at once is returned instead, with the text to show the user.
    virtual std::optional<Failure<OpenProblem>> StartOpen(const std::string& path) = 0;

    virtual void Run() = 0;
    virtual void Pause() = 0;
    // Shows the frame at the current position without running.
    virtual void Cue() = 0;
    virtual bool IsRunning() const = 0;

    // Before the clip has loaded, a seek says where it will start.
    virtual void Seek(std::int64_t position, SeekMode mode) = 0;
    // Until a seek has landed, Position() is where it is going.
    virtual bool SeekPending() const = 0;
    virtual std::int64_t Position() const = 0;
    // Asks for the position at this instant, for lining channels up: what
    // Position() last heard may be a few frames old at high speed.
    // `answered` runs on the GUI thread once SampledPosition() holds it.
    virtual void SamplePosition(std::function<void()> answered) = 0;
    virtual std::int64_t SampledPosition() const = 0;
    virtual std::optional<std::int64_t> Duration() const = 0;
    // One frame of the clip's video, in media time.
    virtual std::int64_t FrameDuration() const = 0;

    // False when the player will not play at this rate; Rate() then tells
    // what it plays at.
    virtual bool SetRate(double rate) = 0;
    virtual double Rate() const = 0;
    // A small factor on top of the rate, to pull a drifting channel back.
    virtual void SetRateCorrection(double factor) = 0;

    virtual int Volume() const = 0;
    virtual void SetVolume(int hundredthsOfDecibel) = 0;

    // The next queued event, without waiting.
    virtual std::optional<PlayerEvent> FetchEvent() = 0;

    // One frame on (+1) or back (-1) while paused; Position() is where it
    // goes until it is there.
    virtual void StepFrame(int direction) = 0;
    // The picture's width over its height, 0 while unknown.
    virtual double VideoAspect() const = 0;
    virtual void SetZoom(const ChannelZoom& zoom) = 0;
    // Pixels the clip's video holds per second, 0 while unknown.
    virtual std::int64_t PixelRate() const = 0;
    // Skips the decoder's loop filter, a little blur for less work, from
    // the next clip opened on.
    virtual void SetLightDecoding(bool light) = 0;

    // A key-frame seek whose picture is kept back: kPictureReady tells once
    // it is decoded, and ShowHeldPicture puts it on the screen, so that
    // channels can change their pictures at one instant.
    virtual void SeekHeld(std::int64_t position) = 0;
    virtual void ShowHeldPicture() = 0;

    virtual void ShowVideo(const LayoutCell& cell) = 0;
    virtual void HideVideo() = 0;
};

}  // namespace tramlet
