#pragma once

#include <optional>
#include <string>
#include <vector>

#include "avi_clip_writer.h"
#include "card_plan.h"

namespace tramlet::simcard {

struct TailChunk {
    std::string id;
    std::uint32_t offset = 0;
    std::uint32_t announced = 0;  // the size its header gives
    std::uint32_t written = 0;    // data bytes actually in the file
};

// What was written for one clip, in file order, for the manifest.
struct ClipResult {
    std::string fileName;
    int channel = 0;
    bool unclosed = false;
    std::vector<ChunkRecord> frames;  // whole frame chunks only
    std::optional<TailChunk> tail;    // torn frame or foreign chunk after them
};

// Encodes and writes one channel's clip of a recording below the card root.
ClipResult WriteClip(const CardPlan& card, const RecordingPlan& recording, int channel);

}  // namespace tramlet::simcard
