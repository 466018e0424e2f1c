#pragma once

#include <cstdint>
#include <optional>

namespace tramlet {

// Fast playback from key frames. The channels stand still; a clock moves on
// with the wall time at the rate, and at each tick every channel is sent to
// the clock's position together. Their pictures go on the screen together
// once the last of them is decoded, so the channels never show different
// seconds; a channel late for its picture is moved on with the others at
// the next round, never chased.
class KeyFrameStepper {
  public:
    // Ready to step from `position`, the position shown now.
    void Start(std::int64_t position);
    void Stop();
    bool IsRunning() const { return running_; }

    struct Tick {
        // Where to send every channel; none while the last round is out.
        std::optional<std::int64_t> sendTo;
        // The last round waited too long: show what has come.
        bool giveUp = false;
    };
    // Moves the clock on by the wall time since the last tick, up to `end`.
    Tick OnTick(std::int64_t wallMs, double rate, std::int64_t end);
    // The channels (bit k for channel k) sent out this round.
    void Sent(unsigned channels, std::int64_t wallMs);
    // Channel k's picture is ready, or will never come; true when the round
    // waited for no other.
    bool Ready(int k);
    bool RoundOut() const { return waiting_ != 0; }
    // The last round went to the end, and its pictures are shown.
    bool AtEnd(std::int64_t end) const { return running_ && !RoundOut() && lastSent_ >= end; }

  private:
    bool running_ = false;
    std::int64_t clock_ = 0;
    std::optional<std::int64_t> lastWall_;
    std::optional<std::int64_t> lastSent_;
    unsigned waiting_ = 0;
    std::int64_t sentAt_ = 0;
};

}  // namespace tramlet
