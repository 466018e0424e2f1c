#pragma once

#include <vector>

#include "card_plan.h"
#include "clip_writer.h"

namespace tramlet::simcard {

struct CardReport {
    std::vector<ClipResult> clips;  // in plan order: recording by recording, channel by channel
    int gpsLines = 0;
};

// Writes the plan's clips (several at a time, one encoder per clip), the GPS
// logs and the version file. Throws std::runtime_error when something cannot
// be written.
CardReport WriteCard(const CardPlan& card);

}  // namespace tramlet::simcard
