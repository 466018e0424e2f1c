#pragma once

#include <array>
#include <string>
#include <vector>

#include "export/export_request.h"

namespace tramlet::exporter {

// One recording's part of the span: the seconds of the day [from, to) that
// it covers, and the clip of each chosen channel (empty where missing).
struct PlannedRecording {
    std::string stamp;  // YYYYMMDD-HHMMSS
    int startSecond = 0;
    int fromSecond = 0;
    int toSecond = 0;
    std::array<std::string, 4> clips;  // by channel index; only chosen channels are filled

    int FromOffset() const { return fromSecond - startSecond; }
    int ToOffset() const { return toSecond - startSecond; }
};

// The day's recordings that overlap the span and hold at least one chosen
// channel, in time order. Time between recordings is left out.
std::vector<PlannedRecording> PlanExport(const ExportRequest& request);

}  // namespace tramlet::exporter
