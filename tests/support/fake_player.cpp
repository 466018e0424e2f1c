#include "support/fake_player.h"

#include <algorithm>
#include <filesystem>

namespace tramlet::test {

std::optional<Failure<OpenProblem>> FakePlayer::StartOpen(const std::string& clipPath) {
    path = clipPath;
    const auto script = clips_.find(std::filesystem::path(clipPath).filename().string());
    if (script != clips_.end())
        clip_ = script->second;
    volume = clip_.startVolume;
    loading_ = true;
    if (!clip_.slow)
        FinishLoading();
    return std::nullopt;
}

void FakePlayer::FinishLoading() {
    if (!std::exchange(loading_, false))
        return;
    if (clip_.openError) {
        Queue({PlayerEventCode::kOpenFailed, *clip_.openError});
        return;
    }
    loaded_ = true;
    Queue({PlayerEventCode::kLoaded, {}});
}

void FakePlayer::Seek(std::int64_t position, SeekMode mode) {
    seeks.emplace_back(position, mode);
    beforeSeek_ = position_;
    position_ = std::clamp<std::int64_t>(position, 0, clip_.duration);
}

void FakePlayer::SeekHeld(std::int64_t position) {
    Seek(position, SeekMode::kKeyFrame);
    held = true;
    Queue({PlayerEventCode::kPictureReady, {}});
}

void FakePlayer::StepFrame(int direction) {
    running_ = false;
    position_ = std::clamp<std::int64_t>(position_ + direction * FrameDuration(), 0,
                                         clip_.duration - FrameDuration());
}

void FakePlayer::RefuseLastSeek() {
    position_ = beforeSeek_;
    Queue({PlayerEventCode::kSeekRefused, {}});
}

bool FakePlayer::SetRate(double rate) {
    if (clip_.refusedRates.count(rate) != 0) {
        rate_ = clip_.rateAfterRefusal;
        return false;
    }
    rate_ = rate;
    return true;
}

std::optional<PlayerEvent> FakePlayer::FetchEvent() {
    if (events_.empty())
        return std::nullopt;
    const PlayerEvent event = events_.front();
    events_.erase(events_.begin());
    return event;
}

void FakePlayer::Advance(std::int64_t wall) {
    if (!running_ || !loaded_ || position_ >= clip_.duration)
        return;
    position_ += static_cast<std::int64_t>(static_cast<double>(wall) * rate_ * correction);
    if (position_ >= clip_.duration) {
        position_ = clip_.duration;
        running_ = false;
        EndOfStream();
    }
}

void FakePlayer::EndOfStream() {
    Queue({PlayerEventCode::kEndOfStream, {}});
}

void FakePlayer::Queue(PlayerEvent event) {
    events_.push_back(std::move(event));
    if (notify_)
        notify_();
}

}  // namespace tramlet::test
