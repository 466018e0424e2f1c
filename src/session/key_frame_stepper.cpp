#include "session/key_frame_stepper.h"

#include <algorithm>

namespace tramlet {
namespace {

// Media time per millisecond of wall time at 1x.
constexpr double kMediaPerMs = 10'000.0;
// A round out this long is given up: one channel whose core never answers
// must not stop the others.
constexpr std::int64_t kGiveUpAfterMs = 2000;

}  // namespace

void KeyFrameStepper::Start(std::int64_t position) {
    running_ = true;
    clock_ = position;
    lastWall_.reset();
    // The picture shown is where the first round would go.
    lastSent_ = position;
    waiting_ = 0;
}

void KeyFrameStepper::Stop() {
    running_ = false;
    waiting_ = 0;
}

KeyFrameStepper::Tick KeyFrameStepper::OnTick(std::int64_t wallMs, double rate, std::int64_t end) {
    Tick tick;
    if (!running_)
        return tick;
    if (lastWall_) {
        const auto moved = static_cast<std::int64_t>(static_cast<double>(wallMs - *lastWall_) *
                                                     kMediaPerMs * rate);
        clock_ = std::min(clock_ + std::max<std::int64_t>(moved, 0), end);
    }
    lastWall_ = wallMs;
    if (RoundOut()) {
        if (wallMs - sentAt_ < kGiveUpAfterMs)
            return tick;
        tick.giveUp = true;
        waiting_ = 0;
    }
    if (lastSent_ != clock_)
        tick.sendTo = clock_;
    return tick;
}

void KeyFrameStepper::Sent(unsigned channels, std::int64_t wallMs) {
    waiting_ = channels;
    sentAt_ = wallMs;
    lastSent_ = clock_;
}

bool KeyFrameStepper::Ready(int k) {
    if (!RoundOut())
        return false;
    waiting_ &= ~(1u << k);
    return !RoundOut();
}

}  // namespace tramlet
