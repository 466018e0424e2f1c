#pragma once

#include <optional>
#include <vector>

namespace tramlet {

// A machine-readable mark the recorder simulator paints into every frame, so
// that a test can tell from a decoded picture or a screenshot which channel
// and which frame of its clip is on screen.
//
// The mark is one row of equally wide dark and light modules: a start guard,
// 32 Manchester-coded bits (channel, frame index, CRC-8) and an end guard,
// with light quiet zones on both sides. Manchester coding keeps every run one
// or two modules long, so a reader can measure each run on its own and no
// error in the module width adds up along the row after scaling.
struct FrameStamp {
    static constexpr int kMaxChannel = 7;
    static constexpr int kMaxFrame = (1 << 21) - 1;

    int channel = 0;
    int frame = 0;  // counted from the clip's first frame

    friend bool operator==(const FrameStamp&, const FrameStamp&) = default;
};

inline constexpr int kFrameStampModules = 71;      // guards and data
inline constexpr int kFrameStampQuietModules = 2;  // light modules wanted on each side

// The module row from the first module of the start guard to the last of
// the end guard; true is dark. Throws std::out_of_range for values that do
// not fit the mark.
std::vector<bool> FrameStampModules(const FrameStamp& stamp);

// The stamp a module row carries; nothing when a guard, a bit or the check
// sum is wrong.
std::optional<FrameStamp> DecodeFrameStampModules(const std::vector<bool>& modules);

}  // namespace tramlet
