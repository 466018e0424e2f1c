#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "playback/layout_table.h"
#include "playback/player.h"

namespace tramlet {

// The four players of the open recording, one per channel index, each with
// its place in the layout table and what its cell shows.
class PlayerSlots {
  public:
    static constexpr int kCount = 4;
    using Factory = std::function<std::unique_ptr<Player>(int channelIndex)>;

    enum class State { kEmpty, kLoading, kShown, kFailed };

    // The clip for slot k, at layout position p of a recording of n channels.
    struct ClipToOpen {
        std::string path;
        int k = 0;
        int p = 0;
        int n = 0;
    };

    // A player's event, with the slot it came from.
    struct SlotEvent {
        int k = 0;
        PlayerEvent event;
    };

    void SetFactory(Factory factory) { factory_ = std::move(factory); }

    // Starts loading the clips into their slots, each picture in its cell.
    // A clip that fails at once is reported as kOpenFailed by TakeEvents,
    // like one that fails while it loads.
    void StartOpening(const std::vector<ClipToOpen>& clips, const LayoutTable& layout);
    void CloseAll();

    // Every player's queued events, in slot order. A loaded slot shows its
    // picture; a failed one keeps its place and loses its player.
    std::vector<SlotEvent> TakeEvents();

    // The player of a loading or shown slot.
    Player* At(int k) const;
    State StateOf(int k) const;
    bool AnyLoading() const;
    // Whether slot k has a player and a place in the layout.
    bool IsPlaced(int k) const;
    // The cell of slot k; only for slots with a place, failed ones included.
    LayoutCell CellOf(int k, const LayoutTable& layout) const;
    bool HasPlace(int k) const;
    // The slot with a player whose cell contains the point strictly inside.
    std::optional<int> SlotAt(int x, int y, const LayoutTable& layout) const;

    // Every player, or only slot `selected`'s when `onlySelected`.
    std::vector<Player*> Chosen(bool onlySelected, int selected) const;
    // The slot that holds a player with the highest index, if any.
    std::optional<int> LastHeld() const;

  private:
    struct Slot {
        std::unique_ptr<Player> player;
        int layoutPosition = -1;
        int layoutCountMinusOne = -1;
        State state = State::kEmpty;
    };
    const Slot& SlotOf(int k) const { return slots_.at(static_cast<std::size_t>(k)); }

    Factory factory_;
    std::array<Slot, kCount> slots_;
    // Failures known at once, handed out with the players' own events.
    std::vector<SlotEvent> immediate_;
};

}  // namespace tramlet
