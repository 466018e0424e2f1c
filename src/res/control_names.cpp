#include "res/control_names.h"

#include <map>

#include "res/resource_ids.h"

namespace tramlet::res {

const char* ControlName(int id) {
    // The about box's version and the repair window's text share their id;
    // each window names its own.
    static const std::map<int, const char*> kNames = {
        {kVideoArea, "videoArea"},
        {kTimeline, "timeline"},
        {kMapArea, "mapArea"},
        {kTimeText, "timeText"},
        {kVolume, "volume"},
        {kCalendar, "calendar"},
        {kHourSlider, "hourSlider"},
        {kMinuteSlider, "minuteSlider"},
        {kSecondSlider, "secondSlider"},
        {kMarkAnchor, "markAnchor"},
        {kRate, "rate"},
        {kHourCaption, "hourCaption"},
        {kMinuteCaption, "minuteCaption"},
        {kSecondCaption, "secondCaption"},
        {kPlay, "play"},
        {kPause, "pause"},
        {kRewind, "rewind"},
        {kForward, "forward"},
        {kCapture, "capture"},
        {kPath, "path"},
        {kBackup, "backup"},
        {kReset, "reset"},
        {kFileProgress, "fileProgress"},
        {kTotalProgress, "totalProgress"},
        {kBackupDialog, "backupDialog"},
        {kRadioPeriod, "periodChoice"},
        {kStartDate, "startDate"},
        {kEndDate, "endDate"},
        {kStartTime, "startTime"},
        {kEndTime, "endTime"},
        {kBrowseFolder, "browseFolder"},
        {kBackupFolderText, "backupFolder"},
        {kRadioCurrent, "currentChoice"},
        {kExportVideo, "exportVideo"},
        {kRadioLossless, "losslessChoice"},
        {kRadioMerged, "mergedChoice"},
        {kExportChannel1, "exportChannel1"},
        {kExportChannel1 + 1, "exportChannel2"},
        {kExportChannel1 + 2, "exportChannel3"},
        {kExportChannel1 + 3, "exportChannel4"},
        {kExportFullSize, "exportFullSize"},
        {kOk, "ok"},
        {kCancel, "cancel"},
    };
    const auto found = kNames.find(id);
    return found == kNames.end() ? "" : found->second;
}

}  // namespace tramlet::res
