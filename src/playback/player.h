#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "playback/layout_table.h"

namespace tramlet {

// Media time: 100-nanosecond units.
inline constexpr std::int64_t kMediaTimePerSecond = 10'000'000;
// Volume in hundredths of a decibel: silence to full.
inline constexpr int kSilentVolume = -10000;
inline constexpr int kFullVolume = 0;
// The event a player queues when its clip has played to the end.
inline constexpr int kEndOfStreamEvent = 1;

// Key-frame seeks are cheap and good enough for choosing a moment; exact ones
// land on the frame, for steps and for lining channels up.
enum class SeekMode { kKeyFrame, kExact };

struct PlayerEvent {
    int code = 0;
    long param1 = 0;
    long param2 = 0;
};

// How long the channels of a recording may take to load, all of them.
inline constexpr std::chrono::milliseconds kOpenTimeout{3000};

// One channel's media player with its picture in the video area. Opening
// waits for the clip; everything after it acts at once and does not wait for
// the picture to change.
class Player {
  public:
    using Deadline = std::chrono::steady_clock::time_point;
    virtual ~Player() = default;

    // Starts loading the clip, without waiting. On failure, the text to show
    // the user.
    virtual std::optional<std::string> StartOpen(const std::string& path) = 0;
    // Waits, until the deadline at the latest, for the clip to be ready to
    // show its first frame, paused. On failure, the text to show the user.
    virtual std::optional<std::string> FinishOpen(Deadline deadline) = 0;
    // Both, for one clip on its own.
    std::optional<std::string> Open(const std::string& path) {
        if (std::optional<std::string> error = StartOpen(path))
            return error;
        return FinishOpen(std::chrono::steady_clock::now() + kOpenTimeout);
    }

    virtual void Run() = 0;
    virtual void Pause() = 0;
    // Shows the frame at the current position without running.
    virtual void Cue() = 0;
    virtual bool IsRunning() const = 0;

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

    virtual void ShowVideo(const LayoutCell& cell) = 0;
    virtual void HideVideo() = 0;
};

}  // namespace tramlet
