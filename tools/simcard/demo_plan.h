#pragma once

#include "card_plan.h"

namespace tramlet::simcard {

// A small card for trying the program: six days of the month `today` falls
// in, so that the calendar opens on them, with recordings of one to four
// channels, clips a power cut left unclosed (one of them torn), a finished
// clip still named with duration 0, and GPS logs for all days but one.
CardPlan DemoPlan(const DataRootPath& root, RecorderTime today);

}  // namespace tramlet::simcard
