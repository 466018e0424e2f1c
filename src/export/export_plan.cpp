#include "export/export_plan.h"

#include <algorithm>
#include <map>

#include "catalogue/clip_name.h"
#include "catalogue/folder_listing.h"
#include "catalogue/storage_layout.h"

namespace tramlet::exporter {

std::vector<PlannedRecording> PlanExport(const ExportRequest& request) {
    const CalendarDate& date = request.date;
    const std::string pattern = DayClipsPattern(request.dataRoot, date.year, date.month, date.day);
    std::map<int, PlannedRecording> byStart;
    for (const std::string& name : FindFiles(pattern)) {
        const std::optional<ClipName> clip = ParseClipName(name);
        if (!clip || clip->IsUnfinished() || !clip->HasValidChannel() ||
            !clip->IsOnDate(date.year, date.month, date.day) ||
            std::find(request.channels.begin(), request.channels.end(), clip->channel) ==
                request.channels.end()) {
            continue;
        }
        // A long duration field covers the rest of the day, as its name says.
        const long long end = static_cast<long long>(clip->StartSecond()) + clip->duration;
        const int from = std::max(request.fromSecond, clip->StartSecond());
        const int to = static_cast<int>(std::min<long long>(request.toSecond, end));
        if (from >= to)
            continue;
        PlannedRecording& recording = byStart[clip->StartSecond()];
        if (recording.stamp.empty()) {
            recording = {clip->Stamp(), clip->StartSecond(), from, to, {}};
        } else {
            // Channels of one recording may differ in length by a second.
            recording.toSecond = std::max(recording.toSecond, to);
        }
        recording.clips[static_cast<size_t>(clip->channel - 1)] = ClipPath(request.dataRoot, name);
    }
    std::vector<PlannedRecording> plan;
    for (auto& [start, recording] : byStart)
        plan.push_back(std::move(recording));
    return plan;
}

}  // namespace tramlet::exporter
