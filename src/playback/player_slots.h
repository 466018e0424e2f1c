#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "playback/layout_table.h"
#include "playback/player.h"

namespace tramlet {

// The four players of the open recording, one per channel index, each with
// its place in the layout table.
class PlayerSlots {
  public:
    static constexpr int kCount = 4;
    using Factory = std::function<std::unique_ptr<Player>(int channelIndex)>;

    struct OpenOutcome {
        bool opened = false;
        // Shown to the user when the clip was found but would not open.
        std::string error;
        std::optional<std::int64_t> duration;
    };

    void SetFactory(Factory factory) { factory_ = std::move(factory); }

    // The clip for slot k, at layout position p of a recording of n channels.
    struct ClipToOpen {
        std::string path;
        int k = 0;
        int p = 0;
        int n = 0;
    };

    // Opens the clips into their slots and shows each picture in its cell,
    // at the start of the clip, all within one bound (kOpenTimeout). One
    // outcome a clip, in order.
    std::vector<OpenOutcome> OpenClips(const std::vector<ClipToOpen>& clips,
                                       const LayoutTable& layout);
    void CloseAll();

    Player* At(int k) const;
    bool IsPlaced(int k) const;
    // The cell of slot k; only for placed slots.
    LayoutCell CellOf(int k, const LayoutTable& layout) const;
    // The slot whose cell contains the point strictly inside, if any.
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
    };

    Factory factory_;
    std::array<Slot, kCount> slots_;
};

}  // namespace tramlet
