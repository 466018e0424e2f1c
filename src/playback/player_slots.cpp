#include "playback/player_slots.h"

namespace tramlet {

void PlayerSlots::StartOpening(const std::vector<ClipToOpen>& clips, const LayoutTable& layout) {
    for (const ClipToOpen& c : clips) {
        if (c.k < 0 || c.k >= kCount || c.p < 0 || c.p >= kCount || c.n < 1 || c.n > kCount ||
            !factory_)
            continue;
        Slot& slot = slots_[static_cast<std::size_t>(c.k)];
        slot = Slot{factory_(c.k), c.p, c.n - 1, State::kLoading};
        // Without a player there is nothing to draw the picture with.
        std::optional<Failure<OpenProblem>> failed =
            slot.player ? slot.player->StartOpen(c.path)
                        : Failure<OpenProblem>{OpenProblem::kNotRendered, 0, {}};
        if (failed) {
            // A player that holds no clip would still be run, seeked and
            // chosen as the heard channel; it goes at once.
            slot.player.reset();
            slot.state = State::kFailed;
            immediate_.push_back({c.k, {PlayerEventCode::kOpenFailed, std::move(failed->text)}});
            continue;
        }
        slot.player->ShowVideo(CellOf(c.k, layout));
    }
}

void PlayerSlots::CloseAll() {
    for (Slot& slot : slots_) {
        if (slot.player) {
            slot.player->Pause();
            slot.player->HideVideo();
        }
        slot = Slot{};
    }
    immediate_.clear();
}

std::vector<PlayerSlots::SlotEvent> PlayerSlots::TakeEvents() {
    std::vector<SlotEvent> events = std::move(immediate_);
    immediate_.clear();
    for (int k = 0; k < kCount; ++k) {
        Slot& slot = slots_[static_cast<std::size_t>(k)];
        while (slot.player) {
            std::optional<PlayerEvent> event = slot.player->FetchEvent();
            if (!event)
                break;
            if (event->code == PlayerEventCode::kLoaded && slot.state == State::kLoading)
                slot.state = State::kShown;
            if (event->code == PlayerEventCode::kOpenFailed) {
                slot.player->HideVideo();
                slot.player.reset();
                slot.state = State::kFailed;
            }
            events.push_back({k, std::move(*event)});
        }
    }
    return events;
}

Player* PlayerSlots::At(int k) const {
    if (k < 0 || k >= kCount)
        return nullptr;
    return SlotOf(k).player.get();
}

PlayerSlots::State PlayerSlots::StateOf(int k) const {
    return SlotOf(k).state;
}

bool PlayerSlots::AnyLoading() const {
    for (const Slot& slot : slots_) {
        if (slot.state == State::kLoading)
            return true;
    }
    return false;
}

bool PlayerSlots::HasPlace(int k) const {
    const Slot& slot = SlotOf(k);
    return slot.layoutPosition >= 0 && slot.layoutCountMinusOne >= 0;
}

bool PlayerSlots::IsPlaced(int k) const {
    return SlotOf(k).player && HasPlace(k);
}

LayoutCell PlayerSlots::CellOf(int k, const LayoutTable& layout) const {
    const Slot& slot = SlotOf(k);
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
