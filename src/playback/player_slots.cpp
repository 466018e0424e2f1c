#include "playback/player_slots.h"

namespace tramlet {

PlayerSlots::OpenOutcome PlayerSlots::OpenClip(const std::string& path, int k, int p, int n,
                                               const LayoutTable& layout) {
    OpenOutcome outcome;
    if (k < 0 || k >= kCount || p < 0 || p >= kCount || n < 1 || n > kCount || !factory_)
        return outcome;
    std::unique_ptr<Player> player = factory_(k);
    if (!player)
        return outcome;
    if (std::optional<std::string> error = player->Open(path)) {
        // A player that holds no clip would still be run, seeked and chosen
        // as the heard channel; it goes at once.
        outcome.error = std::move(*error);
        return outcome;
    }
    player->Seek(0, SeekMode::kExact);
    Slot& slot = slots_[static_cast<std::size_t>(k)];
    slot = Slot{std::move(player), p, n - 1};
    slot.player->ShowVideo(CellOf(k, layout));
    outcome.opened = true;
    outcome.duration = slot.player->Duration();
    return outcome;
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
