#pragma once

#include <string>
#include <vector>

#include "card_plan.h"
#include "clip_writer.h"

namespace tramlet::simcard {

// Writes what every clip's chunks hold, so that tests can compare a
// repaired index or a demuxer's packets with what was really written:
//
//   clip NAME frames N rate RATE_MILLI size WxH unclosed|finished
//   frame OFFSET SIZE key|delta     (one per whole frame chunk, in file order)
//   tail FOURCC OFFSET ANNOUNCED WRITTEN   (a torn frame or a foreign chunk)
//
// OFFSET is the file offset of the chunk header, SIZE the size it gives.
void WriteManifest(const std::string& path, const CardPlan& card,
                   const std::vector<ClipResult>& clips);

}  // namespace tramlet::simcard
