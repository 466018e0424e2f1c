#include "fake_player.h"

#include <algorithm>
#include <filesystem>

namespace tramlet::test {

std::optional<std::string> FakePlayer::StartOpen(const std::string& clipPath) {
    path = clipPath;
    const auto script = clips_.find(std::filesystem::path(clipPath).filename().string());
    if (script != clips_.end())
        clip_ = script->second;
    volume = clip_.startVolume;
    if (onOpen)
        onOpen("start", {});
    return std::nullopt;
}

std::optional<std::string> FakePlayer::FinishOpen(Deadline deadline) {
    if (onOpen)
        onOpen("finish", deadline);
    return clip_.openError;
}

void FakePlayer::Seek(std::int64_t position, SeekMode mode) {
    seeks.emplace_back(position, mode);
    position_ = std::clamp<std::int64_t>(position, 0, clip_.duration);
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
    if (!running_ || position_ >= clip_.duration)
        return;
    position_ += static_cast<std::int64_t>(static_cast<double>(wall) * rate_ * correction);
    if (position_ >= clip_.duration) {
        position_ = clip_.duration;
        running_ = false;
        EndOfStream();
    }
}

void FakePlayer::EndOfStream() {
    events_.push_back({kEndOfStreamEvent, 0, 0});
    notify_();
}

}  // namespace tramlet::test
