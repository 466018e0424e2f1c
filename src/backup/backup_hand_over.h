#pragma once

#include "catalogue/calendar_date.h"
#include "common/data_root_path.h"

namespace tramlet {

// What the backup dialog is handed: the selected date, the start of the open
// recording (when one is open) and the data root.
struct BackupHandOver {
    CalendarDate date;
    bool recordingOpen = false;
    int clipHour = 0;
    int clipMinute = 0;
    int clipSecond = 0;
    DataRootPath dataRoot;
};

}  // namespace tramlet
