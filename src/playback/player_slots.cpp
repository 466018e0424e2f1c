#include "playback/player_slots.h"

namespace tramlet {

std::vector<PlayerSlots::OpenOutcome> PlayerSlots::OpenClips(const std::vector<ClipToOpen>& clips,
                                                             const LayoutTable& layout) {
    // One bound for all, so that a card that answers slowly holds the
    // window for seconds, not for four times as long. The clips load one
    // after another: started together, four loads on two processors took
    // 1.7 times as long to show the recording.
    const Player::Deadline deadline = std::chrono::steady_clock::now() + kOpenTimeout;
    std::vector<OpenOutcome> outcomes(clips.size());
    for (std::size_t i = 0; i < clips.size(); ++i) {
        const ClipToOpen& c = clips[i];
        if (c.k < 0 || c.k >= kCount || c.p < 0 || c.p >= kCount || c.n < 1 || c.n > kCount ||
            !factory_)
            continue;
        std::unique_ptr<Player> player = factory_(c.k);
        if (!player)
            continue;
        // A player that holds no clip would still be run, seeked and chosen
        // as the heard channel; it goes at once.
        std::optional<std::string> error = player->StartOpen(c.path);
        if (!error)
            error = player->FinishOpen(deadline);
        if (error) {
            outcomes[i].error = std::move(*error);
            continue;
        }
        player->Seek(0, SeekMode::kExact);
        Slot& slot = slots_[static_cast<std::size_t>(c.k)];
        slot = Slot{std::move(player), c.p, c.n - 1};
        slot.player->ShowVideo(CellOf(c.k, layout));
        outcomes[i].opened = true;
        outcomes[i].duration = slot.player->Duration();
    }
    return outcomes;
}

void PlayerSlots::CloseAll() {
    for (Slot& slot : slots_) {
        if (slot.player) {
            slot.player->Pause();
            slot.player->HideVideo();
        }
        slot = Slot{};
    }
}

Player* PlayerSlots::At(int k) const {
    if (k < 0 || k >= kCount)
        return nullptr;
    return slots_[static_cast<std::size_t>(k)].player.get();
}

bool PlayerSlots::IsPlaced(int k) const {
    const Slot& slot = slots_.at(static_cast<std::size_t>(k));
    return slot.player && slot.layoutPosition >= 0 && slot.layoutCountMinusOne >= 0;
}

LayoutCell PlayerSlots::CellOf(int k, const LayoutTable& layout) const {
    const Slot& slot = slots_.at(static_cast<std::size_t>(k));
    return layout.at(static_cast<std::size_t>(slot.layoutCountMinusOne))
        .at(static_cast<std::size_t>(slot.layoutPosition));
}

std::optional<int> PlayerSlots::SlotAt(int x, int y, const LayoutTable& layout) const {
    for (int k = 0; k < kCount; ++k) {
        if (!IsPlaced(k))
            continue;
        const LayoutCell cell = CellOf(k, layout);
        if (cell.x < x && x < cell.x + cell.cx && cell.y < y && y < cell.y + cell.cy)
            return k;
    }
    return std::nullopt;
}

std::vector<Player*> PlayerSlots::Chosen(bool onlySelected, int selected) const {
    std::vector<Player*> chosen;
    for (int k = 0; k < kCount; ++k) {
        if (Player* player = At(k); player && (!onlySelected || k == selected))
            chosen.push_back(player);
    }
    return chosen;
}

std::optional<int> PlayerSlots::LastHeld() const {
    for (int k = kCount - 1; k >= 0; --k) {
        if (At(k))
            return k;
    }
    return std::nullopt;
}

}  // namespace tramlet
