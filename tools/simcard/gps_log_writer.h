#pragma once

#include "card_plan.h"

namespace tramlet::simcard {

// Appends to each day's GPS log one line per second in which a recording
// of that day runs or a logged drive goes on, along one drive per day.
// Returns the number of lines.
int WriteGpsLogs(const CardPlan& card);

}  // namespace tramlet::simcard
