#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/data_root_path.h"

namespace tramlet {

// One file to copy: from its path below the data root to the same relative
// path ("video/NAME", "gps/NAME") below the backup folder.
struct BackupItem {
    std::string source;
    std::string relativeDestination;
    bool mayBeMissing = false;  // many days have no GPS log; that is no failure
};

// The day's GPS log, then every channel of the recording that starts at the
// given date and time.
std::vector<BackupItem> PlanCurrentRecording(const DataRootPath& dataRoot, int year, int month,
                                             int day, int hour, int minute, int second);

// Every clip whose start or end lies within [start, end] (seconds since 1970,
// both bounds inclusive), each day's GPS log before that day's first clip.
// Names that are not clips, or whose fields are not a valid date and time,
// are skipped.
std::vector<BackupItem> PlanPeriod(const DataRootPath& dataRoot, std::int64_t start,
                                   std::int64_t end);

}  // namespace tramlet
